#pragma once
// Latencies as a histogram of whole milliseconds: exact medians without keeping every judged
// character's latency around. Stored in the record as a blob of (ms, count) pairs, each a
// little-endian unsigned 32-bit number, in rising order of ms.

#include <QByteArray>
#include <QtGlobal>
#include <utility>
#include <vector>

namespace ml::record {

class Histogram {
public:
    // Latencies above this are counted as this: a minute is a pause whatever its length.
    static constexpr qint32 kMaxMs = 60'000;

    static Histogram decode(const QByteArray& blob);
    QByteArray encode() const;

    void add(qint32 ms, qint64 count = 1);
    void merge(const Histogram& other);
    qint64 count() const { return count_; }
    bool empty() const { return count_ == 0; }
    // The median (the mean of the middle two for an even count, rounded down); -1 when empty.
    int median() const;
    const std::vector<std::pair<qint32, qint64>>& bins() const { return bins_; }

private:
    std::vector<std::pair<qint32, qint64>> bins_;  // rising ms, counts > 0
    qint64 count_ = 0;
};

}  // namespace ml::record
