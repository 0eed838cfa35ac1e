// The split table behind the decomposition pictures (assets/decomp/splits.tsv): every entry must
// give, by the Wubi 86 coding rules, the character's full code in Rime's wubi86 table, and its
// roots' strokes must add up to the character's. Also checks the pictures the build draws.

#include <gtest/gtest.h>

#include <algorithm>

#include <QDir>
#include <QFile>
#include <QHash>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QString>
#include <QStringDecoder>
#include <QStringList>
#include <QTextStream>

#include <functional>

namespace {

const QString kWubiDict = QStringLiteral("/usr/share/rime-data/wubi86.dict.yaml");
const QString kStrokeDict = QStringLiteral("/usr/share/rime-data/stroke.dict.yaml");

QString sourceFile(const QString& name) {
    return QDir(qEnvironmentVariable("ML_SOURCE_DIR")).filePath(name);
}

bool readLines(const QString& path, const std::function<void(const QString&)>& line) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) return false;
    QTextStream in(&f);
    in.setEncoding(QStringConverter::Utf8);
    while (!in.atEnd()) line(in.readLine());
    return true;
}

// Lines after the "..." that ends a Rime table's header, split at tabs.
bool readRimeTable(const QString& path, const std::function<void(const QStringList&)>& row) {
    bool body = false;
    return readLines(path, [&](const QString& l) {
        if (l == QStringLiteral("...")) {
            body = true;
        } else if (body && !l.isEmpty() && !l.startsWith(u'#')) {
            row(l.split(u'\t'));
        }
    });
}

bool readTsv(const QString& path, const std::function<void(const QStringList&)>& row) {
    return readLines(path, [&](const QString& l) {
        if (!l.isEmpty() && !l.startsWith(u'#')) row(l.split(u'\t'));
    });
}

struct Entry {
    QString character;
    QStringList roots;
    QString keys;
    QString ident;
    int shape = 0;
    QString owners;  // root of each stroke, in writing order (hex digits); may be empty
    QString code;    // the full code the picture explains
    QString coding;  // the roots the code takes, or how a root character is coded
};

// Everything the rules need, read once for all tests.
struct Tables {
    QHash<QString, QSet<QString>> fullCodes;  // longest codes of each character
    QHash<QString, QString> firstFull;        // the one the code dictionary lists first
    QHash<QString, QString> strokes;          // h s p n z, mainland form where both are listed
    QHash<QString, QString> extraStrokes;     // root shapes the stroke table lacks or lists otherwise
    QHash<QString, QString> extraKeys;
    QHash<QString, QChar> extraIdentStroke;  // the stroke a root ending a character is read by
    QHash<QString, QString> sharedKeys;  // the shared root table
    QList<Entry> entries;
    QString error;

    Tables() {
        QHash<QString, QSet<QString>> codes;
        QHash<QString, QStringList> inOrder;
        const bool wubi = readRimeTable(kWubiDict, [&](const QStringList& c) {
            if (c.size() < 2 || c[0].toUcs4().size() != 1) return;
            const QString& code = c[1];
            if (code.isEmpty() || code.size() > 4) return;
            for (QChar k : code)
                if (k < u'a' || k > u'y') return;  // z codes are a lookup aid, not Wubi codes
            codes[c[0]].insert(code);
            inOrder[c[0]].append(code);
        });
        for (auto it = codes.cbegin(); it != codes.cend(); ++it) {
            qsizetype longest = 0;
            for (const QString& c : it.value()) longest = qMax(longest, c.size());
            for (const QString& c : it.value())
                if (c.size() == longest) fullCodes[it.key()].insert(c);
            // The code dictionary puts a character's longest codes first and keeps the table's
            // order among them, so a lookup shows the first of them in the table.
            for (const QString& c : inOrder.value(it.key()))
                if (c.size() == longest) {
                    firstFull.insert(it.key(), c);
                    break;
                }
        }
        // The table lists Taiwan's forms, then the mainland forms; the later line wins.
        const bool stroke = readRimeTable(kStrokeDict, [&](const QStringList& c) {
            if (c.size() >= 2 && !c[1].isEmpty()) strokes[c[0]] = c[1];
        });
        const bool extra = readTsv(sourceFile(QStringLiteral("assets/decomp/extra_roots.tsv")),
                                   [&](const QStringList& c) {
                                       if (c.size() < 3) return;
                                       if (!c[1].isEmpty()) extraKeys[c[0]] = c[1];
                                       if (!c[2].isEmpty()) extraStrokes[c[0]] = c[2];
                                       if (c.size() > 5 && c[5].size() == 1) extraIdentStroke[c[0]] = c[5][0];
                                   });
        const bool splits = readTsv(sourceFile(QStringLiteral("assets/decomp/splits.tsv")),
                                    [&](const QStringList& c) {
                                        Entry e;
                                        e.character = c.value(0);
                                        e.roots = c.value(1).split(u' ', Qt::SkipEmptyParts);
                                        e.keys = c.value(2);
                                        e.ident = c.value(3);
                                        e.shape = c.value(4).toInt();
                                        e.owners = c.value(5);
                                        e.code = c.value(6);
                                        e.coding = c.value(7);
                                        entries.append(e);
                                    });
        readSharedRoots();
        if (!wubi || !stroke) error = QStringLiteral("Rime tables missing (rime-data-wubi, rime-data-stroke)");
        else if (!extra || !splits) error = QStringLiteral("assets/decomp tables missing");
    }

    // Keys of the roots the shared root table names (its named shapes, "@…", are drawn there).
    void readSharedRoots() {
        QFile f(sourceFile(QStringLiteral("assets/roots/wubi86_roots.json")));
        if (!f.open(QIODevice::ReadOnly)) return;
        const QJsonArray keys = QJsonDocument::fromJson(f.readAll()).object().value("keys").toArray();
        for (const QJsonValue& row : keys) {
            const QString key = row[QStringLiteral("key")].toString().toLower();
            for (const QJsonValue& r : row[QStringLiteral("roots")].toArray())
                if (!sharedKeys.contains(r.toString())) sharedKeys.insert(r.toString(), key);
        }
    }

    QString rootStrokes(const QString& root) const {
        static const QHash<QString, QString> single = {{"一", "h"}, {"丨", "s"}, {"丿", "p"},
                                                      {"丶", "n"}, {"乙", "z"}};
        if (single.contains(root)) return single[root];
        if (extraStrokes.contains(root)) return extraStrokes[root];
        return strokes.value(root);
    }

    static const Tables& get() {
        static const Tables t;
        return t;
    }
};

QChar strokeKey(QChar s) {
    switch (s.unicode()) {
    case u'h': return u'g';
    case u's': return u'h';
    case u'p': return u't';
    case u'n': return u'y';
    default: return u'n';
    }
}

// Last stroke class x shape (1 left-right, 2 top-bottom, 3 other) -> identification letter.
QChar identLetter(QChar lastStroke, int shape) {
    static const QHash<QChar, QString> keys = {{u'h', "gfd"}, {u's', "hjk"}, {u'p', "tre"},
                                              {u'n', "yui"}, {u'z', "nbv"}};
    const QString row = keys.value(lastStroke);
    return shape >= 1 && shape <= row.size() ? row[shape - 1] : QChar();
}

bool isFrame(const QString& root) {
    return root == QStringLiteral("辶") || root == QStringLiteral("廴") || root == QStringLiteral("⻌");
}

// The code the rules give a split, checking what its last column says gives it; an empty
// string when they give none.
QString codeByRules(const Tables& t, const Entry& e, QString* why) {
    static const QString keyNames = QStringLiteral("王土大木工目日口田山禾白月人金言立水火之已子女又纟");
    static const QString keyOrder = QStringLiteral("gfdsahjklmtrewqyuiopnbvcx");
    const QString& ch = e.character;
    const QStringList how = e.coding.split(u' ', Qt::SkipEmptyParts);
    if (e.roots.size() == 1) {
        if (e.roots[0] != ch) {
            *why = QStringLiteral("one root that is not the character");
            return {};
        }
        const qsizetype name = keyNames.indexOf(ch);
        const QString k = e.keys;
        const QString s = t.rootStrokes(ch);
        const QString kind = name >= 0 ? QStringLiteral("key-name")
                             : QStringLiteral("一丨丿丶乙").contains(ch) ? QStringLiteral("stroke")
                                 : QStringLiteral("root-char");
        if (how.value(0) != kind) {
            *why = QStringLiteral("coded as %1, said to be %2").arg(kind, e.coding);
            return {};
        }
        if (kind == u"key-name") return QString(4, keyOrder[name]);
        if (kind == u"stroke") return k + k + QStringLiteral("ll");
        // Its key, then the strokes read, by their place in writing order: the first, the
        // second and the last the code reads (戈 and 戋 read their 丿 last, 忄 its 丨 second).
        const QString written = t.strokes.value(ch).size() == s.size() ? t.strokes.value(ch) : s;
        QString code = k;
        QSet<int> used;
        for (qsizetype i = 1; i < how.size(); ++i) {
            bool ok = false;
            const int at = how[i].toInt(&ok);
            if (!ok || at < 0 || at >= written.size() || used.contains(at)) {
                *why = QStringLiteral("strokes read: ") + e.coding;
                return {};
            }
            used.insert(at);
            code += strokeKey(written[at]);
        }
        const qsizetype read = qMin<qsizetype>(3, s.size());
        if (how.size() - 1 != read || !how.contains(QStringLiteral("0"))) {
            *why = QStringLiteral("%1 strokes read of %2").arg(how.size() - 1).arg(s.size());
            return {};
        }
        return code.size() == 2 ? code + QStringLiteral("ll") : code;
    }
    // The roots the code takes: all of up to four, else 1, 2, 3 and the last.
    QStringList coding;
    const int n = static_cast<int>(e.roots.size());
    for (int i = 0; i < n; ++i)
        if (n <= 4 || i < 3 || i == n - 1) coding << QString::number(i);
    if (how != coding) {
        *why = QStringLiteral("the code takes roots %1, not %2").arg(coding.join(u' '), e.coding);
        return {};
    }
    QString keys;
    for (const QString& i : how) keys += e.keys.mid(i.toInt(), 1);
    if (e.roots.size() >= 4) return keys;
    // Two or three roots: their keys and the identification letter. The last stroke is that of
    // the last root, taken inside a closing 辶 or 廴 that frames the character.
    QStringList body = e.roots;
    const int shape = e.shape;
    // A closing 辶 or 廴 frames the character only where it reads as "other" (这); inside a
    // part beside or under another (涟, 莲) its 捺 is the last stroke like any root's.
    if (isFrame(body.back()) && shape == 3)
        while (body.size() > 1 && isFrame(body.back())) body.removeLast();
    const QString& last = body.back();
    QChar stroke;
    if (last == QStringLiteral("力") || last == QStringLiteral("刀") || last == QStringLiteral("九") ||
        last == QStringLiteral("匕")) {
        stroke = u'z';  // their long bend counts, whatever the stroke order
    } else if (last == QStringLiteral("戈") || last == QStringLiteral("戋")) {
        stroke = u'p';
    } else if (t.extraIdentStroke.contains(last)) {
        stroke = t.extraIdentStroke[last];  // 龙's bend, not its dot
    } else {
        const QString s = t.rootStrokes(last);
        if (s.isEmpty()) {
            *why = QStringLiteral("no strokes for ") + last;
            return {};
        }
        stroke = s.back();
    }
    if (shape < 1 || shape > 3) {
        *why = QStringLiteral("no shape");
        return {};
    }
    const QChar ident = identLetter(stroke, shape);
    if (QString(ident) != e.ident) {
        *why = QStringLiteral("identification letter %1, table says %2").arg(ident).arg(e.ident);
        return {};
    }
    return keys + ident;
}

TEST(DecompSplits, EveryEntryGivesTheFullCodeAndTheStrokeCount) {
    const Tables& t = Tables::get();
    ASSERT_TRUE(t.error.isEmpty()) << t.error.toStdString();
    ASSERT_GT(t.entries.size(), 6000);

    QHash<QString, QString> keyOfRoot;  // one root, one key, across the whole table
    QStringList faults;
    QSet<QString> seen;
    for (const Entry& e : t.entries) {
        const auto fault = [&](const QString& what) {
            if (faults.size() < 40) faults << e.character + QStringLiteral(": ") + what;
        };
        if (seen.contains(e.character)) fault(QStringLiteral("listed twice"));
        seen.insert(e.character);
        if (e.keys.size() != e.roots.size()) {
            fault(QStringLiteral("%1 keys for %2 roots").arg(e.keys.size()).arg(e.roots.size()));
            continue;
        }
        int strokeCount = 0;
        for (int i = 0; i < e.roots.size(); ++i) {
            const QString& r = e.roots[i];
            const QString key = e.keys.mid(i, 1);
            const QString known = keyOfRoot.value(r);
            if (!known.isEmpty() && known != key) fault(r + QStringLiteral(" on ") + key + QStringLiteral(" and ") + known);
            keyOfRoot.insert(r, key);
            const QString shared = t.sharedKeys.value(r, t.extraKeys.value(r));
            if (!shared.isEmpty() && shared != key) fault(r + QStringLiteral(" is on ") + shared);
            const QString s = t.rootStrokes(r);
            if (s.isEmpty()) fault(QStringLiteral("no strokes for ") + r);
            strokeCount += static_cast<int>(s.size());
        }
        const int expectedStrokes = static_cast<int>(t.strokes.value(e.character).size());
        if (strokeCount != expectedStrokes)
            fault(QStringLiteral("%1 strokes in the roots, %2 in the character").arg(strokeCount).arg(expectedStrokes));
        if (!e.owners.isEmpty()) {
            // The strokes coloured as each root's are that root's strokes: in some order, or in
            // order with a class a root's stroke may take inside a character (丨 for 月's 丿 in
            // 甫, a rising 一 for 匕's 丿 in 比, 一 for 丶 where it rises).
            const QString all = t.strokes.value(e.character);
            QList<QString> taken(e.roots.size());
            bool ok = e.owners.size() == all.size();
            for (qsizetype i = 0; ok && i < all.size(); ++i) {
                const int root = QString(e.owners[i]).toInt(&ok, 16);
                ok = ok && root < e.roots.size();
                if (ok) taken[root] += all[i];
            }
            const auto standsIn = [](QChar a, QChar b) {
                const QString pair = QString(a) + b;
                return a == b || pair == u"ps" || pair == u"sp" || pair == u"ph" || pair == u"hp" ||
                       pair == u"nh" || pair == u"hn";
            };
            const auto inOrder = [&](const QString& want, const QString& got) {
                bool same = want.size() == got.size();
                for (qsizetype k = 0; same && k < want.size(); ++k) same = standsIn(want[k], got[k]);
                return same;
            };
            for (int i = 0; ok && i < e.roots.size(); ++i) {
                // In the order the code reads them or, where the stroke table writes the root
                // otherwise (方, 忄), in writing order.
                QString want = t.rootStrokes(e.roots[i]), got = taken[i];
                ok = inOrder(want, got) || inOrder(t.strokes.value(e.roots[i]), got);
                std::sort(want.begin(), want.end());
                std::sort(got.begin(), got.end());
                ok = ok || want == got;
            }
            if (!ok) fault(QStringLiteral("strokes given to the roots do not match: ") + e.owners);
        }
        QString why;
        const QString code = codeByRules(t, e, &why);
        if (code.isEmpty()) fault(why);
        else if (code != t.firstFull.value(e.character))
            // The picture explains the code the tutor shows, the first full code of the table.
            fault(QStringLiteral("rules give %1, the tutor shows %2").arg(code, t.firstFull.value(e.character)));
        else if (e.code != code)
            fault(QStringLiteral("the picture shows %1 for %2").arg(e.code, code));
    }
    EXPECT_TRUE(faults.isEmpty()) << faults.join(u'\n').toStdString();
}

QStringList gbkHanzi(bool gb2312Only) {
    QStringList out;
    auto decoder = QStringDecoder("GBK");
    if (!decoder.isValid()) return out;
    for (int b1 = 0x81; b1 <= 0xfe; ++b1)
        for (int b2 = 0x40; b2 <= 0xfe; ++b2) {
            if (gb2312Only && (b1 < 0xb0 || b1 > 0xf7 || b2 < 0xa1)) continue;
            const char bytes[2] = {static_cast<char>(b1), static_cast<char>(b2)};
            const QString c = decoder.decode(QByteArrayView(bytes, 2));
            decoder.resetState();
            if (c.size() == 1 && c[0].unicode() >= 0x4e00 && c[0].unicode() <= 0x9fa5) out << c;
        }
    return out;
}

TEST(DecompSplits, CoversNearlyAllOfGb2312AndMostOfGbk) {
    const Tables& t = Tables::get();
    ASSERT_TRUE(t.error.isEmpty()) << t.error.toStdString();
    QSet<QString> have;
    for (const Entry& e : t.entries) have.insert(e.character);
    const QStringList gb2312 = gbkHanzi(true);
    const QStringList gbk = gbkHanzi(false);
    if (gbk.isEmpty()) GTEST_SKIP() << "no GBK converter in this Qt build";
    EXPECT_EQ(gb2312.size(), 6763);
    const auto covered = [&](const QStringList& set) {
        int n = 0;
        for (const QString& c : set) n += have.contains(c);
        return n;
    };
    // Floors just under what the derivation reaches, so a change that loses splits shows.
    EXPECT_GE(covered(gb2312), 6744) << "of " << gb2312.size();
    EXPECT_GE(covered(gbk), 20130) << "of " << gbk.size();
}

TEST(DecompSplits, HardCharactersSplitTheWubiWay) {
    // Hand-checked: components the trees split otherwise, interwoven parts, 辶 and 廴 read last,
    // enclosures read outside first, 戈 whose 丿 comes last.
    const struct {
        const char* character;
        const char* roots;
    } cases[] = {
        {"凹", "冂 冂 一"},          {"凸", "丨 一 冂 一"},      {"母", "母框 一 ⺀"},
        {"臣", "匚 丨 コ 丨"},       {"遵", "丷 西 一 寸 辶"},   {"载", "十 戈 车"},
        {"戈", "戈"},                {"成", "厂 乙 乙 丶 丿"},   {"我", "丿 扌 乙 丶 丿"},
        {"末", "一 木"},             {"未", "二 小"},            {"身", "丿 冂 三 丿"},
        {"鬼", "白 儿 厶"},          {"傅", "亻 一 月 丨 丶 寸"}, {"编", "纟 丶 尸 冂 卄"},
        {"曹", "一 冂 廿 日"},       {"爽", "大 乂 乂 乂 乂"},   {"国", "囗 王 丶"},
        {"酉", "西 一"},             {"差", "丷 羊底撇 工"},     {"羊", "丷 羊底"},
        {"革", "廿 革底"},           {"鞍", "廿 革底 宀 女"},    {"才", "十 丿"},
        {"不", "一 小"},             {"年", "牛头 丨 十"},       {"失", "牛头 人"},
        {"气", "牛头 乙"},           {"骨", "骨头 月"},          {"非", "三 刂 三"},
        {"隹", "亻 隹右"},           {"每", "𠂉 母框 一 ⺀"},    {"登", "癶 一 口 䒑"},
        {"其", "卄 三 八"},          {"易", "日 勹 𠂆"},         {"专", "二 乙 丶"},
        {"长", "丿 七 丶"},          {"决", "冫 コ 人"},         {"尊", "丷 西 一 寸"},
        {"建", "彐 二 丨 廴"},       {"进", "二 刂 辶"},         {"因", "囗 大"},
        {"区", "匚 乂"},             {"凶", "乂 凵"},            {"画", "一 田 凵"},
        {"自", "丿 目"},             {"男", "田 力"},            {"伐", "亻 戈"},
        {"浅", "氵 戋"},             {"了", "了"},               {"王", "王"},
        {"一", "一"},                {"勿", "勹 𠂆"},            {"舟", "丿 舟身"},
        // Components that read inside others as they read alone, and more than six roots.
        {"龙", "ナ 龙右"},           {"宠", "宀 ナ 龙右"},       {"尤", "ナ 尤右"},
        {"垂", "丿 一 卄 士"},       {"睡", "目 丿 一 卄 士"},   {"永", "丶 乙 水两侧"},
        {"象", "⺈ 象中 𧰨"},         {"禹", "丿 口 冂 ⺊ 丶"},    {"属", "尸 丿 口 冂 ⺊ 丶"},
        {"肃", "彐 小 刂"},          {"然", "夕点 犬 灬"},       {"庸", "广 彐 月 丨"},
        {"衡", "彳 鱼头 大 二 丨"},  {"徽", "彳 山 一 幺 小 攵"}, {"越", "土 龰 匚 乙 丶 丿"},
        {"感", "厂 一 口 乙 丶 丿 心"}, {"鹅", "丿 扌 乙 丶 丿 勹 丶 乙 一"},
        {"散", "龷 月 攵"},          {"氖", "牛头 乙 乃"},       {"死", "一 夕 匕"},
        {"离", "文 凵 冂 厶"},       {"莲", "艹 车 辶"},         {"涟", "氵 车 辶"},
        {"函", "了 兆旁 凵"},         {"延", "丿 ⺪ 廴"},          {"舞", "牛头 四竖 一 夕 匚 丨"},
        {"拽", "扌 日 曳尾"},       {"磷", "石 米 夕 匚 丨"},   {"忝", "一 大 㣺"},
        // 𠂉, 方 and the characters that are roots themselves.
        {"吃", "口 𠂉 乙"},          {"矮", "𠂉 大 禾 女"},      {"短", "𠂉 大 一 口 䒑"},
        {"复", "𠂉 日 夂"},          {"腹", "月 𠂉 日 夂"},      {"族", "方 𠂉 𠂉 大"},
        {"施", "方 𠂉 也"},          {"旋", "方 𠂉 乙 龰"},      {"邡", "方 阝"},
        {"旎", "方 𠂉 尸 匕"},       {"旄", "方 𠂉 丿 二 乙"},   {"旒", "方 𠂉 亠 厶 丨 儿"},
        {"膂", "方 𠂉 𧘇 月"},       {"五", "五"},               {"忄", "忄"},
        {"乙", "乙"},
        // More than four roots: the code takes 1, 2, 3 and the last.
        {"嘁", "口 厂 上 小 乙 丶 丿"}, {"鹱", "勹 丶 乙 一 艹 亻 隹右 又"},
        {"藏", "艹 厂 乙 丆 匚 丨 コ 丨 乙 丶 丿"},
        // Common characters that had no picture, and the components that blocked them.
        {"鼎", "目 乙 厂 ⺊ 丨 乙"},  {"兜", "⺈ 白 コ 儿"},      {"脊", "兆旁 人 月"},
        {"聚", "耳 又 丿 乑底"},      {"骤", "马 耳 又 丿 乑底"}, {"舆", "亻 二 车 彐 一 八"},
        {"戢", "口 耳 乙 丶 丿"},     {"羲", "丷 王 禾 一 乙 乙 丶 丿"}, {"鳥", "亻 彐 一 乙 灬"},
        {"邋", "巛 囗 乂 乙 ⺀ 乙 ⺀ 乙 辶"}, {"卣", "⺊ 囗 コ"},
        {"麗", "一 冂 丶 一 冂 丶 广 コ 刂 匕 匕"},
    };
    const Tables& t = Tables::get();
    ASSERT_TRUE(t.error.isEmpty()) << t.error.toStdString();
    QHash<QString, QString> table;
    for (const Entry& e : t.entries) table.insert(e.character, e.roots.join(u' '));
    for (const auto& c : cases) {
        const QString ch = QString::fromUtf8(c.character);
        EXPECT_EQ(table.value(ch).toStdString(), c.roots) << c.character;
    }
}

TEST(DecompSplits, StrokesGoToTheRootThatOwnsThem) {
    // Hand-checked against the outlines the pictures are drawn from: which root each stroke
    // is coloured as, in writing order, and the strokes a root character's code reads.
    const struct {
        const char* character;
        const char* owners;
        const char* coding;
    } cases[] = {
        {"施", "000011222", "0 1 2"},         // 方's hook is 方's, not 也's
        {"旋", "00001123333", "0 1 2 3"},     {"邡", "000011", "0 1"},
        {"膂", "00001122223333", "0 1 2 3"},
        {"爽", "01122334400", "0 1 2 4"},      // 大's 丿 and 丶 are written last
        {"国", "00111120", "0 1 2"},           // the frame is closed last
        {"嘁", "00011222333465", "0 1 2 6"},  {"鹱", "001234445566666677", "0 1 2 7"},
        {"五", "0000", "root-char 0 1 3"},    {"戈", "0000", "root-char 0 1 2"},  // its 丿, read last
        {"忄", "000", "root-char 0 2 1"},      // written 丶 丶 丨, read 丶 丨 丶
        {"王", "0000", "key-name"},           {"乙", "0", "stroke"},
    };
    const Tables& t = Tables::get();
    ASSERT_TRUE(t.error.isEmpty()) << t.error.toStdString();
    QHash<QString, const Entry*> table;
    for (const Entry& e : t.entries) table.insert(e.character, &e);
    for (const auto& c : cases) {
        const Entry* e = table.value(QString::fromUtf8(c.character));
        ASSERT_NE(e, nullptr) << c.character;
        EXPECT_EQ(e->owners.toStdString(), c.owners) << c.character;
        EXPECT_EQ(e->coding.toStdString(), c.coding) << c.character;
    }
}

// Runs of columns in a band of a picture that hold a mark: dark ink or a root's colour, not
// the grey of the roots the code does not take.
int markedRuns(const QImage& img, const QRect& band) {
    int runs = 0, gap = 1;
    for (int x = band.left(); x <= band.right(); ++x) {
        bool marked = false;
        for (int y = band.top(); y <= band.bottom() && !marked; ++y) {
            const QColor c = img.pixelColor(x, y);
            marked = qGray(c.rgb()) < 80 || (c.hsvSaturation() > 120 && c.value() < 235);
        }
        if (marked && gap >= 1) ++runs;
        gap = marked ? 0 : gap + 1;
    }
    return runs;
}

bool inkIn(const QImage& img, const QRect& band) {
    for (int y = band.top(); y <= band.bottom(); ++y)
        for (int x = band.left(); x <= band.right(); ++x)
            if (qGray(img.pixel(x, y)) < 235) return true;
    return false;
}

TEST(DecompPictures, WordModeShowsTheCharacterWholeAndTheKeysReadAsTheCode) {
    const Tables& t = Tables::get();
    ASSERT_TRUE(t.error.isEmpty()) << t.error.toStdString();
    const QDir dir(QDir(qEnvironmentVariable("ML_APP_DIR")).filePath(QStringLiteral("拆字图")));
    QHash<QString, const Entry*> table;
    for (const Entry& e : t.entries) table.insert(e.character, &e);
    // The characters, and the longest splits, where the roots are most crowded.
    QStringList sample = QStringLiteral("吃 嘁 鹱 五 戈 忄 乙 王 施 爽 中 国 藏 键 每").split(u' ');
    QList<const Entry*> longest;
    for (const Entry& e : t.entries) longest.append(&e);
    std::sort(longest.begin(), longest.end(),
              [](const Entry* a, const Entry* b) { return a->roots.size() > b->roots.size(); });
    for (int i = 0; i < 12 && i < longest.size(); ++i) sample << longest[i]->character;
    for (const QString& ch : sample) {
        const Entry* e = table.value(ch);
        ASSERT_NE(e, nullptr) << ch.toStdString();
        for (int scale : {1, 2}) {
            const QString name = ch + (scale == 2 ? QStringLiteral("@2x.gif") : QStringLiteral(".gif"));
            const QImage img(dir.filePath(name), "GIF");
            ASSERT_FALSE(img.isNull()) << name.toStdString();
            // The word hint shows the left 110 px of the first character's picture and 112 of
            // the second's: nothing may be drawn across those lines.
            EXPECT_FALSE(inkIn(img, QRect(108 * scale, 0, 6 * scale, img.height()))) << name.toStdString();
            // Left of them, the character and its code, one mark a letter.
            EXPECT_TRUE(inkIn(img, QRect(0, 0, 54 * scale, img.height()))) << name.toStdString();
            EXPECT_EQ(markedRuns(img, QRect(56 * scale, 17 * scale, 52 * scale, 20 * scale)), e->code.size())
                << name.toStdString() << " " << e->code.toStdString();
            // Under the roots, the keys of those the code takes and nothing for the others:
            // the keys read as the code (the identification letter stands apart).
            if (e->ident.isEmpty()) {
                EXPECT_EQ(markedRuns(img, QRect(115 * scale, 38 * scale, 102 * scale, 13 * scale)), e->code.size())
                    << name.toStdString() << " " << e->code.toStdString();
            }
        }
    }
    // 𠂉, which the Kai face draws empty, is drawn: 吃 shows three roots over its keys.
    const QImage chi(dir.filePath(QStringLiteral("吃.gif")), "GIF");
    ASSERT_FALSE(chi.isNull());
    EXPECT_EQ(markedRuns(chi, QRect(115, 4, 68, 30)), 3);
}

TEST(DecompPictures, DrawnForTheTableWithTheCharacterInTheVisibleLeftPart) {
    const Tables& t = Tables::get();
    ASSERT_TRUE(t.error.isEmpty()) << t.error.toStdString();
    const QDir dir(QDir(qEnvironmentVariable("ML_APP_DIR")).filePath(QStringLiteral("拆字图")));
    for (const QString& ch : {QStringLiteral("键"), QStringLiteral("国"), QStringLiteral("了")}) {
        for (int scale : {1, 2}) {
            const QString name = ch + (scale == 2 ? QStringLiteral("@2x.gif") : QStringLiteral(".gif"));
            QImage img(dir.filePath(name), "GIF");
            ASSERT_FALSE(img.isNull()) << name.toStdString();
            EXPECT_EQ(img.size(), QSize(219 * scale, 54 * scale)) << name.toStdString();
            // In word mode only the left 110 px show: the character must be drawn there, and
            // must reach most of the height to be readable.
            int top = img.height(), bottom = -1, inked = 0;
            for (int y = 0; y < img.height(); ++y)
                for (int x = 0; x < 110 * scale; ++x)
                    if (qGray(img.pixel(x, y)) < 128) {
                        ++inked;
                        top = qMin(top, y);
                        bottom = qMax(bottom, y);
                    }
            EXPECT_GT(inked, 60 * scale * scale) << name.toStdString();
            EXPECT_GT(bottom - top, img.height() * 6 / 10) << name.toStdString();
        }
    }
#ifdef ML_TEST_STROKE_OUTLINES
    // Drawn from stroke outlines, the character shows its roots in their colours: 键's five
    // roots give at least four distinct hues among the strokes in the left part.
    {
        QImage img(dir.filePath(QStringLiteral("键@2x.gif")), "GIF");
        ASSERT_FALSE(img.isNull());
        QSet<int> hues;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < 112; ++x) {
                const QColor c = img.pixelColor(x, y);
                if (c.saturation() > 150 && c.value() > 80) hues.insert(c.hue() / 20);
            }
        EXPECT_GE(hues.size(), 4);
    }
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("ARPHICPL.TXT"))))
        << "the outlines' licence goes with the pictures";
#else
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("ARPHICPL.TXT"))));
#endif
    // Every entry has its picture; a character without a verified split has none, so the
    // display falls back to the character itself.
    int missing = 0;
    for (const Entry& e : t.entries) missing += !QFile::exists(dir.filePath(e.character + QStringLiteral(".gif")));
    EXPECT_EQ(missing, 0);
    QSet<QString> listed;
    for (const Entry& e : t.entries) listed.insert(e.character);
    int stale = 0;
    for (const QString& c : gbkHanzi(false))
        if (!listed.contains(c)) stale += QFile::exists(dir.filePath(c + QStringLiteral(".gif")));
    EXPECT_EQ(stale, 0);
}

}  // namespace
