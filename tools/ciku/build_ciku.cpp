// Builds the code dictionary CiKu.mdb from Rime's wubi86.dict.yaml (Debian package
// rime-data-wubi).
//
//   build_ciku <wubi86.dict.yaml> <CiKu.mdb>
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
// not rank them anyway). The weights are kept in ppl.weight, and give each character its most
// frequent two-character word (table common_word). The output depends on nothing but the input.

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

bool readTable(const QString& path, std::vector<Group>& groups, Stats& stats) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        complain(QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
        return false;
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(file.readAll());
    if (utf8.hasError()) {
        complain(QStringLiteral("%1 is not valid UTF-8").arg(path));
        return false;
    }

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

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: build_ciku <wubi86.dict.yaml> <CiKu.mdb>\n");
        return 2;
    }
    const QString input = QString::fromLocal8Bit(argv[1]);
    const QString output = QString::fromLocal8Bit(argv[2]);

    std::vector<Group> groups;
    Stats stats;
    if (!readTable(input, groups, stats)) return 1;

    std::vector<ml::DictionaryRow> rows;
    for (Group& group : groups) {
        std::stable_sort(group.codes.begin(), group.codes.end(),
                         [](const QString& a, const QString& b) { return a.size() > b.size(); });
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
        "outside code page 936, %lld duplicates\n",
        rows.size(), groups.size(), static_cast<long long>(stats.zCodes),
        static_cast<long long>(stats.notCp936), static_cast<long long>(stats.duplicates));
    return 0;
}
