#include "course/explain.h"

#include <QDir>
#include <QStringDecoder>

#include "platform/wholefile.h"

namespace ml::course {

namespace {

QString up(QChar c) { return c == u' ' ? QStringLiteral("空格") : QString(c.toUpper()); }
QString up(const QString& s) { return s.toUpper(); }

QString shapeName(int shape) {
    switch (shape) {
        case 1: return QStringLiteral("左右型");
        case 2: return QStringLiteral("上下型");
        case 3: return QStringLiteral("杂合型");
        default: return {};
    }
}

QString ordinal(int index, int codeLength) {
    if (index == 1) return QStringLiteral("首笔");
    if (index + 1 == codeLength || index >= 3) return QStringLiteral("末笔");
    return QStringLiteral("次笔");
}

std::optional<QStringList> lines(const QString& path, QString* why) {
    QByteArray bytes;
    if (!readWholeFile(path, 16 * 1024 * 1024, &bytes, why)) return std::nullopt;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    if (utf8.hasError()) {
        *why = QStringLiteral("不是 UTF-8 文本");
        return std::nullopt;
    }
    QStringList out = text.split(u'\n');
    for (QString& l : out)
        if (l.endsWith(u'\r')) l.chop(1);
    return out;
}

bool isLetter(QChar c) { return c >= u'a' && c <= u'y'; }

}  // namespace

QString showKeys(const QString& keys) {
    QString out = keys.toUpper();
    out.replace(u' ', QChar(0x2423));  // ␣, the open box for the space bar
    return out;
}

std::pair<int, int> wordLetterSource(int characters, int position) {
    if (characters <= 2) return {position / 2, position % 2};
    if (characters == 3) return position < 2 ? std::pair{position, 0} : std::pair{2, position - 2};
    return position < 3 ? std::pair{position, 0} : std::pair{characters - 1, 0};
}

CodeFacts CodeFacts::load(const QString& folder, QStringList* problems) {
    CodeFacts facts;
    QString why;
    const QString keysPath = QDir(folder).filePath(QStringLiteral("字根.tsv"));
    if (auto ls = lines(keysPath, &why)) {
        for (const QString& l : *ls) {
            if (l.isEmpty() || l.startsWith(u'#')) continue;
            const QStringList f = l.split(u'\t');
            KeyFact k;
            if (f.size() < 8 || f[0].size() != 1 || !isLetter(f[0][0])) continue;
            k.letter = f[0][0];
            k.zone = f[1].toInt();
            k.position = f[2].toInt();
            k.name = f[3];
            k.shortChar = f[4];
            k.zoneName = f[5];
            k.stroke = f[6];
            k.roots = f[7].split(u' ', Qt::SkipEmptyParts);
            if (k.zone < 1 || k.zone > 5 || k.position < 1 || k.position > 5) continue;
            facts.addKey(k);
        }
        if (facts.keys_.size() != 25 && problems)
            *problems << QStringLiteral("%1 中的键不全，编码说明会不完整")
                             .arg(QDir::toNativeSeparators(keysPath));
    } else if (problems) {
        *problems << QStringLiteral("读不出 %1（%2），编码说明会不完整")
                         .arg(QDir::toNativeSeparators(keysPath), why);
    }
    const QString splitsPath = QDir(folder).filePath(QStringLiteral("拆分.tsv"));
    if (auto ls = lines(splitsPath, &why)) {
        for (const QString& l : *ls) {
            if (l.isEmpty() || l.startsWith(u'#')) continue;
            const QStringList f = l.split(u'\t');
            if (f.size() < 3) continue;
            Split s;
            s.roots = f[1].split(u' ', Qt::SkipEmptyParts);
            s.keys = f[2];
            if (f.size() > 3 && f[3].size() == 1 && isLetter(f[3][0])) s.ident = f[3][0];
            if (f.size() > 4) s.shape = f[4].toInt();
            if (s.roots.isEmpty() || s.roots.size() != s.keys.size()) continue;
            facts.addSplit(f[0], s);
        }
    } else if (problems) {
        *problems << QStringLiteral("读不出 %1（%2），编码说明会不完整")
                         .arg(QDir::toNativeSeparators(splitsPath), why);
    }
    return facts;
}

void CodeFacts::addKey(const KeyFact& k) { keys_.insert(k.letter, k); }
void CodeFacts::addSplit(const QString& character, const Split& s) { splits_.insert(character, s); }

const KeyFact* CodeFacts::key(QChar letter) const {
    auto it = keys_.constFind(letter.toLower());
    return it == keys_.constEnd() ? nullptr : &*it;
}

const Split* CodeFacts::split(const QString& character) const {
    auto it = splits_.constFind(character);
    return it == splits_.constEnd() ? nullptr : &*it;
}

std::optional<QString> CodeFacts::letterSource(const QString& ch, int index, QChar letter,
                                               int codeLength) const {
    letter = letter.toLower();
    // A key-name character is its key four times.
    for (const KeyFact& k : keys_) {
        if (k.name != ch) continue;
        if (letter != k.letter) return std::nullopt;
        return QStringLiteral("%1 是键名字，%2 连打四下").arg(ch, up(letter));
    }
    // A single stroke: its key twice, then L twice.
    for (const KeyFact& k : keys_) {
        if (k.position != 1 || k.stroke != ch) continue;
        if (index < 2 && letter == k.letter)
            return QStringLiteral("单笔画 %1 在 %2 键，先打两下").arg(ch, up(letter));
        if (index >= 2 && letter == u'l') return QStringLiteral("单笔画打两下后再补两个 L");
        return std::nullopt;
    }
    const Split* s = split(ch);
    if (!s) return std::nullopt;
    const int n = int(s->roots.size());
    if (n == 1) {
        // A character that is a root itself: its key, then its first, second and last strokes.
        if (index == 0) {
            if (s->keys[0] != letter) return std::nullopt;
            return QStringLiteral("%1 是成字字根，在 %2 键").arg(ch, up(letter));
        }
        const KeyFact* k = key(letter);
        if (!k || k->position != 1) return std::nullopt;
        return QStringLiteral("%1 %2 → %3").arg(ordinal(index, codeLength), k->stroke, up(letter));
    }
    if (n >= 4 || index < n) {
        const int root = n >= 4 && index >= 3 ? n - 1 : index;
        if (root >= n || s->keys[root] != letter) return std::nullopt;
        const QString which = n >= 4 && index >= 3 ? QStringLiteral("末根 ") : QString();
        return QStringLiteral("%1%2 在 %3 键").arg(which, s->roots[root], up(letter));
    }
    if (index == n && s->ident == letter) {
        const KeyFact* k = key(letter);
        if (!k) return std::nullopt;
        const QString shape = shapeName(s->shape ? s->shape : k->position);
        return QStringLiteral("识别码：末笔 %1，%2 → %3").arg(k->stroke, shape, up(letter));
    }
    return std::nullopt;
}

QString CodeFacts::whyWrong(const Item& item, const QString& keys, int position,
                            QChar typed) const {
    if (position < 0 || position >= keys.size()) return {};
    const QChar want = keys[position];
    const QString name = item.label.isEmpty() ? item.text : item.label;

    if (item.kind == Kind::Root) {
        const KeyFact* k = key(want);
        if (!k) return QStringLiteral("字根 %1 在 %2 键").arg(name, up(want));
        return QStringLiteral("字根 %1 在 %2 键：%3区第 %4 键，键名字 %5")
            .arg(name, up(want), k->zoneName)
            .arg(k->position)
            .arg(k->name);
    }

    const QString code = keys.trimmed();
    if (want == u' ') {
        // The space bar ends a code shorter than four letters.
        if (!item.shortCode.isEmpty() && code == item.shortCode) {
            if (code.size() < item.code.size() && typed == item.code[code.size()])
                return QStringLiteral("%1 有简码 %2：打 %2 后按空格，不必打全码 %3")
                    .arg(item.text, up(code), up(item.code));
            return QStringLiteral("%1 的简码是 %2：打完按空格").arg(item.text, up(code));
        }
        return QStringLiteral("%1 的编码只有 %2 码 %3：打完按空格")
            .arg(item.text)
            .arg(code.size())
            .arg(up(code));
    }

    if (code.size() == 1 && position == 0) {
        for (const KeyFact& k : keys_)
            if (k.shortChar == item.text && k.letter == want)
                return QStringLiteral("%1 是一级简码：%2 加空格").arg(item.text, up(want));
    }
    // A short code is the first letters of the full code.
    const QString full = item.code.startsWith(code) ? item.code : code;
    const int length = int(full.size());
    std::optional<QString> source;
    if (item.kind == Kind::Word) {
        const QList<uint> chars = item.text.toUcs4();
        const auto [c, i] = wordLetterSource(int(chars.size()), position);
        if (c < chars.size()) {
            const QString ch = QString::fromUcs4(reinterpret_cast<const char32_t*>(&chars[c]), 1);
            const auto inner = letterSource(ch, i, want, 4);
            QString line = QStringLiteral("第%1码：%2 的第%3码 %4")
                               .arg(position + 1)
                               .arg(ch)
                               .arg(i + 1)
                               .arg(up(want));
            if (inner) line += QStringLiteral("，") + *inner;
            return line;
        }
    } else {
        source = letterSource(item.text, position, want, length);
    }
    if (!source) return QStringLiteral("第%1码是 %2").arg(position + 1).arg(up(want));
    if (source->startsWith(QStringLiteral("识别码"))) return *source;
    return QStringLiteral("第%1码：%2").arg(position + 1).arg(*source);
}

}  // namespace ml::course
