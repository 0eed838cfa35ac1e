#include "record/tally.h"

#include <algorithm>

#include "record/record.h"

namespace ml::record {

void PassTally::reset() { *this = PassTally(); }

void PassTally::add(char16_t target, bool right, qint32 gapMs) {
    ++judged_;
    if (right) ++right_;
    if (gapMs >= 0 && gapMs <= kPauseMs) activeMs_ += gapMs;
    if (!right && target != 0) {
        auto it = misses_.find(target);
        if (it == misses_.end()) {
            misses_.insert(target, 1);
            missOrder_ << target;
        } else {
            ++*it;
        }
    }
}

int PassTally::speed() const {
    if (activeMs_ <= 0) return 0;
    return int(judged_ * 60'000 / activeMs_);
}

int PassTally::accuracy() const {
    if (judged_ == 0) return 100;
    return int(right_ * 100 / judged_);
}

QList<QPair<QChar, int>> PassTally::mostMissed(int n) const {
    QList<QPair<QChar, int>> out;
    for (char16_t c : missOrder_) out.append({QChar(c), misses_.value(c)});
    std::stable_sort(out.begin(), out.end(),
                     [](const auto& a, const auto& b) { return a.second > b.second; });
    if (out.size() > n) out.resize(n);
    return out;
}

}  // namespace ml::record
