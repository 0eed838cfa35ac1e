#include "course/drill.h"

#include <algorithm>

namespace ml::course {

namespace {
// A pause longer than this is the learner away from the keyboard, not slowness at the item.
constexpr qint64 kLongestKeyMs = 10'000;

int characterCount(const Item& item) {
    return item.kind == Kind::Root ? 1 : int(item.text.toUcs4().size());
}
}  // namespace

Round::Round(QString lesson, QList<Target> targets, qint64 startMs)
    : lesson_(std::move(lesson)), targets_(std::move(targets)), startMs_(startMs),
      lastMs_(startMs), itemStartMs_(startMs) {
    // An item without keys could never be finished.
    targets_.removeIf([](const Target& t) { return t.keys.isEmpty(); });
    missed_.fill(false, targets_.size());
}

QString Round::typed(int i) const {
    if (i < current_) return targets_[i].keys;
    if (i == current_ && !done()) return targets_[i].keys.left(position_);
    return {};
}

QChar Round::expected() const { return done() ? QChar() : targets_[current_].keys.at(position_); }

Round::Result Round::press(QChar key, qint64 nowMs, KeyRecord* record) {
    if (done()) return Result::Ignored;
    const QChar k = key.toLower();
    if (!(k == u' ' || (k >= u'a' && k <= u'y'))) return Result::Ignored;

    const Target& t = targets_[current_];
    const QChar want = t.keys.at(position_);
    const bool right = k == want;
    const qint64 since = std::max<qint64>(0, nowMs - lastMs_);
    if (firstMs_ < 0) firstMs_ = nowMs;
    lastMs_ = std::max(lastMs_, nowMs);
    ++keys_;
    if (record) *record = KeyRecord{lesson_, t.item.key(), t.item.label, want, k, right, since};

    if (!right) {
        missed_[current_] = true;
        wrongPending_ = true;
        return Result::Wrong;
    }
    ++rightKeys_;
    wrongPending_ = false;
    if (++position_ < t.keys.size()) return Result::Right;

    const qint64 itemMs = std::min(nowMs - itemStartMs_, kLongestKeyMs * t.keys.size());
    outcomes_ << ItemOutcome{t.item.key(), missed_[current_],
                             double(std::max<qint64>(0, itemMs)) / t.keys.size()};
    charactersDone_ += characterCount(t.item);
    itemStartMs_ = nowMs;
    position_ = 0;
    ++current_;
    return done() ? Result::RoundDone : Result::ItemDone;
}

bool Round::backspace() {
    if (done() || position_ == 0) return false;
    --position_;
    wrongPending_ = false;
    return true;
}

QList<int> Round::missedItems() const {
    QList<int> out;
    for (int i = 0; i < current_; ++i)
        if (missed_[i]) out << i;
    return out;
}

int codesPerMinute(int rightKeys, qint64 ms) {
    return ms <= 0 ? 0 : int(double(rightKeys) * 60000.0 / double(ms));
}

int charactersPerMinute(int characters, qint64 ms) { return codesPerMinute(characters, ms); }

int accuracyPercent(int rightKeys, int keys) {
    return keys <= 0 ? 100 : int(double(rightKeys) * 100.0 / double(keys));
}

}  // namespace ml::course
