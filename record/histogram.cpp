#include "record/histogram.h"

#include <QtEndian>
#include <algorithm>

namespace ml::record {

Histogram Histogram::decode(const QByteArray& blob) {
    Histogram h;
    const auto* p = reinterpret_cast<const uchar*>(blob.constData());
    const qsizetype pairs = blob.size() / 8;
    h.bins_.reserve(size_t(pairs));
    qint32 last = -1;
    for (qsizetype i = 0; i < pairs; ++i) {
        const qint32 ms = qint32(std::min<quint32>(qFromLittleEndian<quint32>(p + 8 * i), kMaxMs));
        const qint64 n = qFromLittleEndian<quint32>(p + 8 * i + 4);
        if (n == 0) continue;
        // A blob written by this class rises strictly; anything else is taken bin by bin.
        if (ms > last) {
            h.bins_.emplace_back(ms, n);
            h.count_ += n;
            last = ms;
        } else {
            h.add(ms, n);
        }
    }
    return h;
}

QByteArray Histogram::encode() const {
    QByteArray out(qsizetype(bins_.size()) * 8, Qt::Uninitialized);
    auto* p = reinterpret_cast<uchar*>(out.data());
    for (size_t i = 0; i < bins_.size(); ++i) {
        qToLittleEndian<quint32>(quint32(bins_[i].first), p + 8 * i);
        qToLittleEndian<quint32>(quint32(std::min<qint64>(bins_[i].second, 0xFFFFFFFF)), p + 8 * i + 4);
    }
    return out;
}

void Histogram::add(qint32 ms, qint64 count) {
    if (count <= 0) return;
    ms = std::clamp<qint32>(ms, 0, kMaxMs);
    auto it = std::lower_bound(bins_.begin(), bins_.end(), ms,
                               [](const auto& bin, qint32 v) { return bin.first < v; });
    if (it != bins_.end() && it->first == ms) {
        it->second += count;
    } else {
        bins_.insert(it, {ms, count});
    }
    count_ += count;
}

void Histogram::merge(const Histogram& other) {
    if (other.empty()) return;
    if (empty()) {
        *this = other;
        return;
    }
    std::vector<std::pair<qint32, qint64>> out;
    out.reserve(bins_.size() + other.bins_.size());
    auto a = bins_.cbegin(), b = other.bins_.cbegin();
    while (a != bins_.cend() || b != other.bins_.cend()) {
        if (b == other.bins_.cend() || (a != bins_.cend() && a->first < b->first)) {
            out.push_back(*a++);
        } else if (a == bins_.cend() || b->first < a->first) {
            out.push_back(*b++);
        } else {
            out.emplace_back(a->first, a->second + b->second);
            ++a;
            ++b;
        }
    }
    bins_.swap(out);
    count_ += other.count_;
}

int Histogram::median() const {
    if (count_ == 0) return -1;
    // The values of rank count/2 and (count-1)/2, counting from 0.
    const qint64 hi = count_ / 2, lo = (count_ - 1) / 2;
    qint64 seen = 0;
    int loValue = -1;
    for (const auto& [ms, n] : bins_) {
        if (loValue < 0 && seen + n > lo) loValue = ms;
        if (seen + n > hi) return int((qint64(loValue) + ms) / 2);
        seen += n;
    }
    return loValue;
}

}  // namespace ml::record
