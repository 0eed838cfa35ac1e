#include "record/roots.h"

#include <QSet>
#include <algorithm>

namespace ml::record {

Splits Splits::parse(const QByteArray& tsv) {
    Splits s;
    qsizetype start = 0;
    while (start < tsv.size()) {
        qsizetype end = tsv.indexOf('\n', start);
        if (end < 0) end = tsv.size();
        const QByteArray line = tsv.mid(start, end - start);
        start = end + 1;
        if (line.isEmpty() || line.startsWith('#')) continue;
        const QList<QByteArray> fields = line.split('\t');
        if (fields.size() < 2) continue;
        const QString ch = QString::fromUtf8(fields[0]);
        if (ch.size() != 1) continue;
        const QStringList roots =
            QString::fromUtf8(fields[1]).trimmed().split(u' ', Qt::SkipEmptyParts);
        if (!roots.isEmpty()) s.roots_.insert(ch[0].unicode(), roots);
    }
    return s;
}

std::vector<RootCount> rootsInMissed(const std::vector<CharStat>& chars, const Splits& splits,
                                     int n) {
    QHash<QString, RootCount> counts;
    QStringList order;
    for (const CharStat& c : chars) {
        if (c.missed <= 0) continue;
        QSet<QString> seen;
        for (const QString& r : splits.rootsOf(c.ch)) {
            if (seen.contains(r)) continue;
            seen.insert(r);
            auto it = counts.find(r);
            if (it == counts.end()) {
                it = counts.insert(r, RootCount{r, 0, 0});
                order << r;  // equal counts keep the order the roots were first met in
            }
            it->misses += c.missed;
            ++it->characters;
        }
    }
    std::vector<RootCount> out;
    for (const QString& r : order) out.push_back(counts.value(r));
    std::stable_sort(out.begin(), out.end(), [](const RootCount& a, const RootCount& b) {
        return a.misses != b.misses ? a.misses > b.misses : a.characters > b.characters;
    });
    if (out.size() > size_t(n)) out.resize(size_t(n));
    return out;
}

}  // namespace ml::record
