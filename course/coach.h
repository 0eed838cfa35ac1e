#pragma once
// The course as the drill mode uses it: the lessons read on first use, the next round of a
// lesson, the record kept as items and rounds are finished, lessons opened as goals are met.

#include <QHash>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

#include "course/drill.h"
#include "course/explain.h"
#include "course/lesson.h"
#include "course/schedule.h"
#include "course/store.h"

namespace ml::course {

struct RoundReport {
    RoundFigures figures;
    Goal goal;
    bool passed = false;       // this round met the goal
    bool firstPass = false;    // and the lesson was not passed before
    QString opened;            // title of the lesson this pass opened, if any
    LessonProgress progress;   // the lesson's progress after the round
};

class Coach {
public:
    // `folder` holds the lesson files ("课程" of the program folder's data).
    Coach(QString folder, DrillStore& store, ItemChecks checks);

    // The lesson list, read on the first call.
    Course& course();
    // Problems met since the last call (unreadable files, rows left out), for one message.
    QStringList takeProblems();
    void addProblem(const QString& problem) { problems_ << problem; }

    QList<LessonState> states();
    LessonProgress progressOf(const QString& lesson);
    Goal goalOf(const Lesson& lesson);
    void setGoal(const QString& lesson, const Goal& goal);
    bool shortFirst() { return store_.shortFirst(); }
    void setShortFirst(bool on) { store_.setShortFirst(on); }

    // The lesson with its items loaded, or null (with a problem) when it cannot be practised.
    Lesson* lesson(const QString& id);
    // The next round of a lesson, or nothing (with a problem) when there is nothing to practise.
    // `nowMs` is the drill clock, `now` the date (seconds since the epoch) for the review.
    std::optional<Round> nextRound(const QString& id, qint64 nowMs, qint64 now, quint64 seed);
    // Keeps what a finished item showed about the learner (called as each item is done).
    void itemDone(const Round& round, const ItemOutcome& outcome, qint64 now);
    // Keeps the figures of a round that was typed to its end, and opens the next lesson when the
    // goal is met.
    RoundReport roundDone(const Round& round);

    // The explanations' data, read on first use.
    const CodeFacts& facts();
    DrillStore& store() { return store_; }
    const QHash<QString, ItemStats>& stats();

private:
    // The lesson an item of the record was last practised in, and the item itself.
    std::optional<Target> targetFromRecord(const ItemStats& s);
    QString keysFor(const Item& item, const Lesson& lesson);

    QString folder_;
    DrillStore& store_;
    ItemChecks checks_;
    std::optional<Course> course_;
    std::optional<CodeFacts> facts_;
    std::optional<QHash<QString, ItemStats>> stats_;
    std::optional<QHash<QString, LessonProgress>> progress_;
    QStringList problems_;
};

}  // namespace ml::course
