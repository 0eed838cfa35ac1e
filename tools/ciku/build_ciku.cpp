// Builds the code dictionary CiKu.mdb from Rime's wubi86.dict.yaml (Debian package
// rime-data-wubi).
//
//   build_ciku <wubi86.dict.yaml> <CiKu.mdb> [<splits.tsv>]
//
// The table body follows the YAML header ending with "...": one entry per line,
// "text<TAB>code[<TAB>weight[<TAB>stem]]", lines starting with '#' commented out. Kept are the
// entries whose text code page 936 can hold (the tutor's texts are GBK) and whose code does not
// start with "z" (Rime's reverse-lookup and symbol codes, not typeable Wubi). Same text and code
// are kept once.
//
// Order: names in the order they first appear; each name's codes longest first, so a lookup,
// which takes the first record, shows the full code. Codes of equal length keep the file's order
// (the weights of a character's alternative full codes are almost always equal, so they would
// not rank them anyway), except that where a character has two full codes and its decomposition
// picture (splits.tsv, column 7) explains one of them, that one comes first: the tutor then shows
// the code the picture teaches, and both stay typeable. The weights are kept in ppl.weight, and
// give each character its most frequent two-character word (table common_word). The output
// depends on nothing but the inputs.

#include <QByteArray>
#include <QFile>
#include <QHash>
#include <QString>
#include <QStringDecoder>
#include <QStringList>
#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

#include "hints/dictionary.h"
#include "platform/cp936.h"

namespace {

struct Group {
    QString name;
    std::vector<QString> codes;
    std::optional<qint64> weight;  // the highest of its entries, when the table gives one
};

struct Stats {
    qsizetype zCodes = 0;
    qsizetype notCp936 = 0;
    qsizetype duplicates = 0;
};

void complain(const QString& message) {
    std::fprintf(stderr, "build_ciku: %s\n", message.toUtf8().constData());
}

bool isCode(QStringView code) {
    return !code.isEmpty() &&
           std::all_of(code.begin(), code.end(), [](QChar c) { return c >= u'a' && c <= u'z'; });
}

// The whole of a UTF-8 file; false (and said why) when it cannot be read or decoded.
bool readUtf8(const QString& path, QString& text) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        complain(QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
        return false;
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    text = utf8.decode(file.readAll());
    if (utf8.hasError()) {
        complain(QStringLiteral("%1 is not valid UTF-8").arg(path));
        return false;
    }
    return true;
}

bool readTable(const QString& path, std::vector<Group>& groups, Stats& stats) {
    QString text;
    if (!readUtf8(path, text)) return false;

    const QStringList lines = text.split(u'\n');
    qsizetype i = 0;
    while (i < lines.size() && lines[i].trimmed() != u"...") ++i;
    if (i == lines.size()) {
        complain(QStringLiteral("%1: no \"...\" line ends the header").arg(path));
        return false;
    }

    QHash<QString, size_t> groupOf;
    for (++i; i < lines.size(); ++i) {
        QStringView line(lines[i]);
        if (line.endsWith(u'\r')) line.chop(1);
        if (line.isEmpty() || line.startsWith(u'#')) continue;
        const QList<QStringView> fields = line.split(u'\t');
        if (fields.size() < 2 || fields[0].isEmpty() || !isCode(fields[1])) {
            complain(QStringLiteral("%1:%2: not \"text<TAB>code\": %3")
                         .arg(path)
                         .arg(i + 1)
                         .arg(line.toString()));
            return false;
        }
        const QStringView name = fields[0];
        const QStringView code = fields[1];
        if (code.startsWith(u'z')) {
            ++stats.zCodes;
            continue;
        }
        QByteArray gbk;
        if (!ml::encodeCp936(name, gbk)) {
            ++stats.notCp936;
            continue;
        }
        const QString key = name.toString();
        auto it = groupOf.constFind(key);
        if (it == groupOf.cend()) {
            it = groupOf.insert(key, groups.size());
            groups.push_back({key, {}, std::nullopt});
        }
        if (fields.size() >= 3) {
            bool numeric = false;
            const qint64 weight = fields[2].toLongLong(&numeric);
            std::optional<qint64>& w = groups[*it].weight;
            if (numeric && (!w || weight > *w)) w = weight;
        }
        std::vector<QString>& codes = groups[*it].codes;
        if (std::find(codes.begin(), codes.end(), code) != codes.end()) {
            ++stats.duplicates;
            continue;
        }
        codes.push_back(code.toString());
    }
    return true;
}

// Character -> the full code its decomposition picture explains: "char<TAB>…<TAB>code…" lines,
// the code in the seventh column, '#' lines comments.
bool readExplained(const QString& path, QHash<QString, QString>& explained) {
    QString text;
    if (!readUtf8(path, text)) return false;
    for (const QStringView line : QStringView(text).split(u'\n')) {
        if (line.isEmpty() || line.startsWith(u'#')) continue;
        const QList<QStringView> fields = line.split(u'\t');
        if (fields.size() < 7 || !isCode(fields[6])) {
            complain(QStringLiteral("%1: not a split line: %2").arg(path, line.toString()));
            return false;
        }
        explained.insert(fields[0].toString(), fields[6].toString());
    }
    return true;
}

// Longest codes first, in the table's order, the one the picture explains before the others of
// its length. Returns whether that moved it.
bool orderCodes(std::vector<QString>& codes, const QString& explained) {
    std::stable_sort(codes.begin(), codes.end(),
                     [](const QString& a, const QString& b) { return a.size() > b.size(); });
    if (explained.isEmpty() || codes.empty() || codes.front() == explained ||
        explained.size() != codes.front().size())
        return false;
    const auto it = std::find(codes.begin(), codes.end(), explained);
    if (it == codes.end()) return false;
    std::rotate(codes.begin(), it, it + 1);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: build_ciku <wubi86.dict.yaml> <CiKu.mdb> [<splits.tsv>]\n");
        return 2;
    }
    const QString input = QString::fromLocal8Bit(argv[1]);
    const QString output = QString::fromLocal8Bit(argv[2]);

    std::vector<Group> groups;
    Stats stats;
    if (!readTable(input, groups, stats)) return 1;
    QHash<QString, QString> explained;
    if (argc == 4 && !readExplained(QString::fromLocal8Bit(argv[3]), explained)) return 1;

    std::vector<ml::DictionaryRow> rows;
    qsizetype reordered = 0;
    for (Group& group : groups) {
        reordered += orderCodes(group.codes, explained.value(group.name));
        for (QString& code : group.codes) rows.push_back({group.name, std::move(code), group.weight});
    }
    if (rows.empty()) {
        complain(QStringLiteral("%1 holds no usable entries").arg(input));
        return 1;
    }

    QString error;
    if (!ml::writeDictionaryRows(output, rows, &error)) {
        complain(error);
        return 1;
    }
    std::printf(
        "CiKu.mdb: %zu rows (%zu names); left out: %lld codes starting with z, %lld entries "
        "outside code page 936, %lld duplicates; %lld characters list first the full code their "
        "picture explains\n",
        rows.size(), groups.size(), static_cast<long long>(stats.zCodes),
        static_cast<long long>(stats.notCp936), static_cast<long long>(stats.duplicates),
        static_cast<long long>(reordered));
    return 0;
}
