// Builds the Wubi 86 course of the program folder's "课程" from data:
//
//   ml_gen_lessons ROOT_TABLE.json SPLITS.tsv WUBI86.dict.yaml LESSON_SOURCES OUTPUT_FOLDER
//
// LESSON_SOURCES is assets/lessons: the lesson list course.tsv (copied as 课程.tsv), the
// look-alike root groups lookalike.tsv and any hand-written item files. Written are one item file
// a lesson, <id>.tsv; the keys of the root table, 字根.tsv; the verified splits of every
// character the lessons use, 拆分.tsv (for the explanations of wrong keys); and 说明.txt with
// the attribution of the code table the frequencies and codes come from. The output depends on
// nothing but the inputs.
#include <QDir>
#include <QFile>
#include <QHash>
#include <QSaveFile>
#include <QSet>
#include <QStringDecoder>
#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

#include "art/artlib.h"
#include "course/lesson.h"
#include "platform/cp936.h"

namespace {

using ml::course::Item;
using ml::course::Kind;

void complain(const QString& message) {
    std::fprintf(stderr, "ml_gen_lessons: %s\n", message.toUtf8().constData());
}

std::optional<QStringList> readLines(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        complain(QStringLiteral("cannot read %1: %2").arg(path, f.errorString()));
        return std::nullopt;
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(f.readAll());
    if (utf8.hasError()) {
        complain(QStringLiteral("%1 is not UTF-8").arg(path));
        return std::nullopt;
    }
    QStringList lines = text.split(u'\n');
    for (QString& l : lines)
        if (l.endsWith(u'\r')) l.chop(1);
    return lines;
}

bool write(const QString& path, const QString& text) {
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(text.toUtf8()) < 0 || !f.commit()) {
        complain(QStringLiteral("cannot write %1").arg(path));
        return false;
    }
    return true;
}

// A character of GB 2312's two levels of hanzi: the simplified characters of everyday texts (the
// table's frequencies come from the web and rank traditional and Japanese forms high too).
bool isGb2312Hanzi(const QString& text) {
    QByteArray b;
    if (!ml::encodeCp936(text, b) || b.size() != 2 * text.size()) return false;
    for (qsizetype i = 0; i < b.size(); i += 2) {
        const auto lead = quint8(b[i]), trail = quint8(b[i + 1]);
        if (lead < 0xB0 || lead > 0xF7 || trail < 0xA1 || trail > 0xFE) return false;
    }
    return true;
}

// ---- The code table ----

struct Entry {
    QString code;
    double weight = 0;
};

struct CodeTable {
    QHash<QString, std::vector<Entry>> codes;  // by text, in the file's order
    QHash<QString, QString> top;               // by code: the text the space bar commits
    std::vector<QString> order;                // texts in the order they first appear

    double weight(const QString& text) const {
        double w = 0;
        for (const Entry& e : codes.value(text)) w = std::max(w, e.weight);
        return w;
    }
    // The longest code; of equal ones, the most used.
    QString full(const QString& text) const {
        QString best;
        double bw = -1;
        for (const Entry& e : codes.value(text))
            if (e.code.size() > best.size() || (e.code.size() == best.size() && e.weight > bw)) {
                best = e.code;
                bw = e.weight;
            }
        return best;
    }
    // The shortest code, shorter than the full one, that types this text first.
    QString shortest(const QString& text) const {
        const QString f = full(text);
        QString best;
        for (const Entry& e : codes.value(text))
            if (e.code.size() < f.size() && top.value(e.code) == text &&
                (best.isEmpty() || e.code.size() < best.size()))
                best = e.code;
        return best;
    }
};

std::optional<CodeTable> readCodeTable(const QString& path) {
    const auto lines = readLines(path);
    if (!lines) return std::nullopt;
    qsizetype i = 0;
    while (i < lines->size() && lines->at(i).trimmed() != u"...") ++i;
    if (i == lines->size()) {
        complain(QStringLiteral("%1: no \"...\" ends the header").arg(path));
        return std::nullopt;
    }
    CodeTable t;
    QHash<QString, double> topWeight;
    for (++i; i < lines->size(); ++i) {
        const QString& line = lines->at(i);
        if (line.isEmpty() || line.startsWith(u'#')) continue;
        const QStringList f = line.split(u'\t');
        if (f.size() < 2 || f[0].isEmpty()) continue;
        const QString& code = f[1];
        // Codes beginning with z are the table's symbols and reverse lookup, not Wubi.
        if (code.isEmpty() || code.startsWith(u'z') || code.size() > 4 ||
            !std::all_of(code.begin(), code.end(), [](QChar c) { return c >= u'a' && c <= u'y'; }))
            continue;
        const double w = f.size() > 2 ? f[2].toDouble() : 0;
        if (!t.codes.contains(f[0])) t.order.push_back(f[0]);
        t.codes[f[0]].push_back({code, w});
        auto it = topWeight.find(code);
        if (it == topWeight.end() || w > *it) {
            topWeight.insert(code, w);
            t.top.insert(code, f[0]);
        }
    }
    return t;
}

// ---- The splits ----

struct SplitRow {
    QString character, roots, keys, ident, shape;
};

// Columns are found by the names of the header line, so that columns added later do no harm.
std::optional<std::map<QString, SplitRow>> readSplits(const QString& path) {
    const auto lines = readLines(path);
    if (!lines) return std::nullopt;
    int cChar = 0, cRoots = 1, cKeys = 2, cIdent = 3, cShape = 4;
    std::map<QString, SplitRow> rows;
    for (const QString& line : *lines) {
        if (line.startsWith(u'#')) {
            const QStringList names = line.mid(1).trimmed().split(u'\t');
            for (int k = 0; k < names.size(); ++k) {
                const QString n = names[k].trimmed();
                if (n.startsWith(u"character")) cChar = k;
                else if (n.startsWith(u"roots")) cRoots = k;
                else if (n.startsWith(u"keys")) cKeys = k;
                else if (n.startsWith(u"identification")) cIdent = k;
                else if (n.startsWith(u"shape")) cShape = k;
            }
            continue;
        }
        if (line.isEmpty()) continue;
        const QStringList f = line.split(u'\t');
        SplitRow r{f.value(cChar), f.value(cRoots), f.value(cKeys), f.value(cIdent), f.value(cShape)};
        if (r.character.isEmpty() || r.keys.isEmpty()) continue;
        rows.emplace(r.character, r);
    }
    return rows;
}

// ---- The lessons ----

struct Sources {
    ml::art::RootTable roots;
    CodeTable table;
    std::map<QString, SplitRow> splits;
    QHash<QString, QString> groupOf;  // root → look-alike group
    QString folder;                   // assets/lessons
    std::vector<QString> rankedChars;  // GB 2312 characters, most frequent first
};

QString rootLabel(const Sources& s, const QString& root) {
    if (!root.startsWith(u'@')) return {};
    const ml::art::Shape* shape = s.roots.shape(root);
    return shape ? shape->label : QString();
}

Item charItem(const Sources& s, const QString& text, Kind kind = Kind::Character) {
    Item it;
    it.text = text;
    it.kind = kind;
    it.code = s.table.full(text);
    return it;
}

// The items of one source, or nothing (with a complaint) when the source is not understood.
std::optional<QList<Item>> build(const Sources& s, const QString& source) {
    const QStringList part = source.split(u':');
    QList<Item> items;
    const QString& kind = part[0];
    auto number = [&](int k) { return part.value(k).toInt(); };

    if (kind == u"roots") {
        const bool all = part.value(1) == u"all";
        const int zone = number(1);
        if (!all && (zone < 1 || zone > 5)) return std::nullopt;
        for (const ml::art::KeyEntry& k : s.roots.keys) {
            if (!all && k.zone != zone) continue;
            for (const QString& r : k.roots) {
                Item it;
                it.text = r;
                it.kind = Kind::Root;
                it.code = QString(QChar(k.letter));
                it.group = s.groupOf.value(r);
                it.label = rootLabel(s, r);
                items << it;
            }
        }
        return items;
    }
    if (kind == u"keynames") {
        for (const ml::art::KeyEntry& k : s.roots.keys) items << charItem(s, k.name);
        return items;
    }
    if (kind == u"strokes") {
        for (const ml::art::Zone& z : s.roots.zones) items << charItem(s, z.stroke);
        return items;
    }
    if (kind == u"rootchars") {
        QSet<QString> skip;
        for (const ml::art::KeyEntry& k : s.roots.keys) skip << k.name;
        for (const ml::art::Zone& z : s.roots.zones) skip << z.stroke;
        for (const ml::art::KeyEntry& k : s.roots.keys)
            for (const QString& r : k.roots) {
                if (r.startsWith(u'@') || skip.contains(r) || !s.table.codes.contains(r)) continue;
                Item it = charItem(s, r);
                // A root whose code starts on another key is read another way; leave it to the
                // lessons of characters.
                if (it.code.size() < 2 || it.code[0] != QChar(k.letter)) continue;
                items << it;
            }
        return items;
    }
    if (kind == u"short1") {
        for (const ml::art::KeyEntry& k : s.roots.keys) {
            Item it = charItem(s, k.shortCode);
            it.shortCode = QString(QChar(k.letter));
            if (s.table.top.value(it.shortCode) != k.shortCode)
                complain(QStringLiteral("short1: %1 is not the first entry of %2")
                             .arg(k.shortCode, it.shortCode));
            items << it;
        }
        return items;
    }
    if (kind == u"short2") {
        for (const ml::art::KeyEntry& a : s.roots.keys)
            for (const ml::art::KeyEntry& b : s.roots.keys) {
                const QString code = QString(QChar(a.letter)) + QChar(b.letter);
                const QString text = s.table.top.value(code);
                if (text.size() != 1) continue;
                Item it = charItem(s, text);
                if (it.code.size() <= 2) continue;
                it.shortCode = code;
                items << it;
            }
        return items;
    }
    if (kind == u"chars") {
        const int n = number(1);
        if (n <= 0) return std::nullopt;
        for (int i = 0; i < n && i < int(s.rankedChars.size()); ++i) {
            Item it = charItem(s, s.rankedChars[i]);
            it.shortCode = s.table.shortest(it.text);
            items << it;
        }
        return items;
    }
    if (kind == u"ident") {
        const int n = number(1);
        if (n <= 0) return std::nullopt;
        for (const QString& c : s.rankedChars) {
            if (items.size() >= n) break;
            auto it = s.splits.find(c);
            if (it == s.splits.end() || it->second.ident.size() != 1) continue;
            const int roots = int(it->second.roots.split(u' ', Qt::SkipEmptyParts).size());
            Item item = charItem(s, c);
            if ((roots != 2 && roots != 3) || item.code != it->second.keys + it->second.ident)
                continue;
            items << item;
        }
        return items;
    }
    if (kind == u"words") {
        const QString sizes = part.value(1);
        const int n = number(2);
        if ((sizes != u"2" && sizes != u"34") || n <= 0) return std::nullopt;
        std::vector<std::pair<double, QString>> ranked;
        for (const QString& t : s.table.order) {
            const qsizetype len = t.size();
            if (sizes == u"2" ? len != 2 : (len != 3 && len != 4)) continue;
            const QString code = s.table.full(t);
            // Only words that their code types first: the drill asks for the code alone.
            if (code.size() != 4 || s.table.top.value(code) != t || !isGb2312Hanzi(t)) continue;
            ranked.emplace_back(-s.table.weight(t), t);
        }
        std::stable_sort(ranked.begin(), ranked.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        for (int i = 0; i < n && i < int(ranked.size()); ++i)
            items << charItem(s, ranked[i].second, Kind::Word);
        return items;
    }
    if (kind == u"file") {
        const auto lines = readLines(QDir(s.folder).filePath(part.value(1)));
        if (!lines) return std::nullopt;
        for (const QString& l : *lines) {
            if (l.isEmpty() || l.startsWith(u'#')) continue;
            const QStringList f = l.split(u'\t');
            Item it;
            it.text = f[0].trimmed();
            it.code = f.value(1).trimmed();
            it.shortCode = f.value(2).trimmed();
            if (!it.text.isEmpty()) items << it;
        }
        return items;
    }
    return std::nullopt;
}

QString header(const QString& title, const QString& source) {
    return QStringLiteral(
               "# %1 (%2): written by ml_gen_lessons from the Wubi 86 root table, the verified\n"
               "# splits and Rime's wubi86.dict.yaml (LGPL-3.0); see 说明.txt.\n"
               "# text\tcode\tshort code\tlook-alike group\tlabel\n")
        .arg(title, source);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 6) {
        std::fprintf(stderr,
                     "usage: ml_gen_lessons ROOT_TABLE.json SPLITS.tsv WUBI86.dict.yaml "
                     "LESSON_SOURCES OUTPUT_FOLDER\n");
        return 2;
    }
    const QString rootsPath = QString::fromLocal8Bit(argv[1]);
    const QString splitsPath = QString::fromLocal8Bit(argv[2]);
    const QString dictPath = QString::fromLocal8Bit(argv[3]);
    Sources s;
    s.folder = QString::fromLocal8Bit(argv[4]);
    const QString out = QString::fromLocal8Bit(argv[5]);

    QString error;
    auto roots = ml::art::RootTable::fromFile(rootsPath, &error);
    if (!roots) {
        complain(error);
        return 1;
    }
    s.roots = *roots;
    auto table = readCodeTable(dictPath);
    auto splits = readSplits(splitsPath);
    const auto courseLines = readLines(QDir(s.folder).filePath(QStringLiteral("course.tsv")));
    const auto lookalike = readLines(QDir(s.folder).filePath(QStringLiteral("lookalike.tsv")));
    if (!table || !splits || !courseLines || !lookalike) return 1;
    s.table = std::move(*table);
    s.splits = std::move(*splits);

    QSet<QString> allRoots;
    for (const ml::art::KeyEntry& k : s.roots.keys)
        for (const QString& r : k.roots) allRoots << r;
    for (const QString& l : *lookalike) {
        if (l.isEmpty() || l.startsWith(u'#')) continue;
        const QStringList group = l.split(u'\t', Qt::SkipEmptyParts);
        for (const QString& r : group) {
            if (!allRoots.contains(r)) {
                complain(QStringLiteral("lookalike.tsv: %1 is not a root of the root table").arg(r));
                return 1;
            }
            s.groupOf.insert(r, group.first());
        }
    }

    std::vector<std::pair<double, QString>> ranked;
    for (const QString& t : s.table.order)
        if (t.size() == 1 && isGb2312Hanzi(t)) ranked.emplace_back(-s.table.weight(t), t);
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& [w, t] : ranked) s.rankedChars.push_back(t);

    if (!QDir().mkpath(out)) {
        complain(QStringLiteral("cannot create %1").arg(out));
        return 1;
    }
    QSet<QString> usedChars;
    int lessons = 0;
    for (const QString& line : *courseLines) {
        if (line.isEmpty() || line.startsWith(u'#')) continue;
        const QStringList f = line.split(u'\t');
        if (f.size() < 9) {
            complain(QStringLiteral("course.tsv: not nine columns: %1").arg(line));
            return 1;
        }
        const QString id = f[0], title = f[1], source = f[8];
        if (source == u"review" || source == u"mistakes") continue;
        const auto items = build(s, source);
        if (!items || items->isEmpty()) {
            complain(QStringLiteral("course.tsv: lesson %1: source \"%2\" gives no items").arg(id, source));
            return 1;
        }
        QString text = header(title, source);
        for (const Item& it : *items) {
            if (it.kind != Kind::Root && it.code.isEmpty()) {
                complain(QStringLiteral("lesson %1: %2 has no code in the code table").arg(id, it.text));
                return 1;
            }
            text += ml::course::itemRow(it) + u'\n';
            if (it.kind != Kind::Root)
                for (QChar c : it.text) usedChars << QString(c);
        }
        if (!write(QDir(out).filePath(id + QStringLiteral(".tsv")), text)) return 1;
        std::printf("lesson %s: %lld items\n", qPrintable(id), static_cast<long long>(items->size()));
        ++lessons;
    }
    if (!write(QDir(out).filePath(QStringLiteral("课程.tsv")), courseLines->join(u'\n'))) return 1;

    QString keys = QStringLiteral("# key\tzone\tplace\tkey-name character\tfirst-level short code"
                                  "\tzone\tstroke\troots\n");
    for (const ml::art::KeyEntry& k : s.roots.keys) {
        const ml::art::Zone& z = s.roots.zones[k.zone - 1];
        QStringList named;
        for (const QString& r : k.roots) {
            const QString label = rootLabel(s, r);
            named << (label.isEmpty() ? r : label);
        }
        keys += QStringLiteral("%1\t%2\t%3\t%4\t%5\t%6\t%7\t%8\n")
                    .arg(QChar(k.letter))
                    .arg(k.zone)
                    .arg(k.position)
                    .arg(k.name, k.shortCode, z.name, z.stroke, named.join(u' '));
    }
    if (!write(QDir(out).filePath(QStringLiteral("字根.tsv")), keys)) return 1;

    QString splitText = QStringLiteral("# character\troots\tkeys\tidentification letter\tshape\n");
    for (const auto& [c, r] : s.splits)
        if (usedChars.contains(c))
            splitText += QStringList{c, r.roots, r.keys, r.ident, r.shape}.join(u'\t') + u'\n';
    if (!write(QDir(out).filePath(QStringLiteral("拆分.tsv")), splitText)) return 1;

    const QString notice = QStringLiteral(
        "五笔课程的数据\n"
        "\n"
        "课程.tsv 是手写的课程表。各课的字词、编码和字频取自 Rime 的五笔 86 码表\n"
        "wubi86.dict.yaml（Debian 软件包 rime-data-wubi，GNU LGPL 3.0），字根取自本软件的\n"
        "五笔 86 字根表，拆分.tsv 取自本软件经过核对的拆分表（由 CJK Decomposition Data、\n"
        "Make Me a Hanzi 与 Rime 码表导出，GNU LGPL 3.0 或更新版本）。由这些数据导出的课程\n"
        "文件同样按 GNU LGPL 3.0 发布。\n"
        "\n"
        "The lesson files are derived from Rime's wubi86.dict.yaml (rime-data-wubi, GNU LGPL 3.0),\n"
        "the tutor's Wubi 86 root table and its verified splits, and are distributed under the\n"
        "GNU LGPL 3.0 as well.\n");
    if (!write(QDir(out).filePath(QStringLiteral("说明.txt")), notice)) return 1;
    std::printf("%d lessons written to %s\n", lessons, qPrintable(out));
    return 0;
}
