#include "record/roots.h"

#include <QSet>
#include <algorithm>

namespace ml::record {

Splits Splits::parse(const QByteArray& tsv) {
    Splits s;
    s.tsv_ = tsv;
    const char* data = tsv.constData();
    const qsizetype size = tsv.size();
    qsizetype start = 0;
    while (start < size) {
        qsizetype end = tsv.indexOf('\n', start);
        if (end < 0) end = size;
        const qsizetype tab = tsv.indexOf('\t', start);
        if (data[start] != '#' && tab > start && tab < end) {
            const QString ch = QString::fromUtf8(data + start, tab - start);
            qsizetype rootsEnd = tsv.indexOf('\t', tab + 1);
            if (rootsEnd < 0 || rootsEnd > end) rootsEnd = end;
            if (ch.size() == 1 && rootsEnd > tab + 1)
                s.fields_.insert(ch[0].unicode(), {tab + 1, rootsEnd - tab - 1});
        }
        start = end + 1;
    }
    return s;
}

QStringList Splits::rootsOf(QChar c) const {
    const auto it = fields_.constFind(c.unicode());
    if (it == fields_.cend()) return {};
    return QString::fromUtf8(tsv_.constData() + it->first, it->second)
        .trimmed()
        .split(u' ', Qt::SkipEmptyParts);
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
