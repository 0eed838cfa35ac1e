#pragma once
// The scheduler: which items a round brings, the spaced-review queue, the learner's weakest items
// and which lessons are open. Pure functions over plain data; the record keeps the data.

#include <QHash>
#include <QList>
#include <QString>
#include <optional>

#include "course/drill.h"
#include "course/lesson.h"

namespace ml::course {

// What the record knows of one item, summed up as it is practised, so that choosing a round reads
// one row per item and never the keystrokes themselves.
struct ItemStats {
    QString key;     // Item::key()
    QString lesson;  // the lesson it was last practised in (the review asks it that way)
    int seen = 0;    // times finished
    int missed = 0;  // times finished with a wrong key on the way
    // Recency-weighted: each new outcome counts for kRecent of the figure.
    double missRate = 0;  // share of times missed
    double msPerKey = 0;  // time per key
    qint64 last = 0;      // when last finished (seconds since the epoch)
    int box = 0;          // Leitner box 0–5: 0 is "again today", 5 "known for a month"
    qint64 due = 0;       // when it is due for review (seconds since the epoch)
};

inline constexpr double kRecent = 0.35;
inline constexpr int kTopBox = 5;

// The time a key may take at a lesson's goal speed.
double targetMsPerKey(const Goal& goal);

// Folds one outcome into the item's figures and moves it between the Leitner boxes: a miss sends
// it back to box 0, due at once; a right but slow answer (over twice the target time) keeps its
// box and comes back tomorrow; a right one moves up a box, due after 1, 2, 4, 8 or 16 days.
void recordOutcome(ItemStats& s, const ItemOutcome& outcome, const QString& lesson,
                   double targetMs, qint64 now);

// How much an item needs practice: near 0.1 for an item known well, several times that for one
// often missed or slow, more when its review is due. Never 0, so every item can come back.
double weakness(const ItemStats& s, double targetMs, qint64 now);

// The items of a lesson's next round, as indices into `items`. A learner who has practised none
// of them gets the first `size` items in the lesson's order. Otherwise up to half the round is
// items not seen yet, in order, and the rest is drawn from the items seen, each as likely as its
// weakness (recent outcomes weigh most); roots of a look-alike group then stand side by side.
// `seed` makes the draw repeatable.
QList<int> chooseRound(const QList<Item>& items, const QHash<QString, ItemStats>& stats, int size,
                       double targetMs, qint64 now, quint64 seed);

// Every item practised, due items first (longest overdue first, then lower boxes), then the rest
// by when they fall due.
QList<ItemStats> reviewQueue(const QList<ItemStats>& all, qint64 now);
// Items missed or slow, the worst first, at most `limit`.
QList<ItemStats> weakestItems(const QList<ItemStats>& all, int limit);

struct LessonProgress {
    bool passed = false;
    int rounds = 0;  // full rounds finished
    int bestSpeed = 0;
    int bestAccuracy = 0;
    std::optional<Goal> goal;  // set by the learner in the picker
};

enum class LessonState { Locked, Open, Passed };

// Lessons open in order: the first is open, each next one once the one before it is passed. The
// lessons drawn from the record are always open. A passed lesson stays passed.
QList<LessonState> lessonStates(const QList<Lesson>& lessons,
                                const QHash<QString, LessonProgress>& progress);

struct RoundFigures {
    bool complete = false;
    int accuracy = 0;
    int speed = 0;
};
bool meetsGoal(const RoundFigures& figures, const Goal& goal);

}  // namespace ml::course
