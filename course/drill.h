#pragma once
// The drill judge: the keys of a round's items typed one by one, each judged against the next key
// of the current item's answer the moment it is pressed. A wrong key is not accepted: it must be
// typed again right before the item counts, and the item is then recorded as missed once.

#include <QList>
#include <QString>

#include "course/lesson.h"

namespace ml::course {

// One judged key, as the record keeps it.
struct KeyRecord {
    QString lesson;
    QString item;   // Item::key()
    QString label;  // what learners call a drawn root; empty when the item's text says it
    QChar expected;  // 'a'–'y' or ' '
    QChar typed;
    bool right = false;
    qint64 ms = 0;  // since the previous key of the round (since the round began, for its first)
};

struct Target {
    Item item;
    QString keys;  // answerKeys()
};

// How one item of a round went, for the scheduler.
struct ItemOutcome {
    QString key;
    bool missed = false;
    double msPerKey = 0;  // from the previous item's last key to this one's, per key of the answer
};

class Round {
public:
    enum class Result {
        Ignored,    // not a key the drill judges, or the round is over
        Right,      // the next key of the item
        Wrong,      // not the key expected; the item is now missed
        ItemDone,   // the last key of an item
        RoundDone,  // the last key of the last item
    };

    // `startMs` is when the round was put on show.
    Round(QString lesson, QList<Target> targets, qint64 startMs);

    // Judges a key: 'a'–'y' (either case) or ' '. `record` receives what the record keeps.
    Result press(QChar key, qint64 nowMs, KeyRecord* record = nullptr);
    // Takes back the last accepted key of the current item; false when there is none.
    bool backspace();

    int size() const { return int(targets_.size()); }
    int current() const { return current_; }  // == size() once the round is over
    bool done() const { return current_ >= size(); }
    const Target& target(int i) const { return targets_[i]; }
    const QString& lesson() const { return lesson_; }
    // Keys accepted so far for item i.
    QString typed(int i) const;
    bool missed(int i) const { return missed_.value(i); }
    // The key expected next, or a null character when the round is over.
    QChar expected() const;
    // Where the next key lies in the current item's answer.
    int position() const { return position_; }
    // The last key pressed was wrong and has not been typed right yet.
    bool wrongPending() const { return wrongPending_; }

    // Figures of the round so far.
    int keys() const { return keys_; }
    int rightKeys() const { return rightKeys_; }
    int itemsDone() const { return current_; }
    int charactersDone() const { return charactersDone_; }
    // Milliseconds from the first key to the last; 0 before the second key.
    qint64 elapsedMs() const { return firstMs_ < 0 ? 0 : lastMs_ - firstMs_; }
    const QList<ItemOutcome>& outcomes() const { return outcomes_; }
    QList<int> missedItems() const;

private:
    QString lesson_;
    QList<Target> targets_;
    QList<bool> missed_;
    int current_ = 0;
    int position_ = 0;
    bool wrongPending_ = false;
    int keys_ = 0;
    int rightKeys_ = 0;
    int charactersDone_ = 0;
    qint64 startMs_ = 0;
    qint64 firstMs_ = -1;
    qint64 lastMs_ = 0;
    qint64 itemStartMs_ = 0;
    QList<ItemOutcome> outcomes_;
};

// Right keys a minute, and items' characters a minute, over `ms`; 0 when no time has passed.
int codesPerMinute(int rightKeys, qint64 ms);
int charactersPerMinute(int characters, qint64 ms);
// Per cent of keys right, rounded down; 100 before the first key.
int accuracyPercent(int rightKeys, int keys);

}  // namespace ml::course
