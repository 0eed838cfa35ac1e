#pragma once
// Where the course keeps what the learner did: every judged key, each item's figures, each
// lesson's progress, goals and bests, and the "简码优先" choice. RecordStore keeps it in the
// learning record "练习记录.db"; MemoryStore in memory (tests).

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include "course/drill.h"
#include "course/schedule.h"

namespace ml::course {

class DrillStore {
public:
    virtual ~DrillStore() = default;
    // The keys that follow are of this lesson (the record files them under a session of its own).
    virtual void beginLesson(const QString& lesson) { Q_UNUSED(lesson); }
    virtual void endLesson() {}
    // A key judged in a drill; may be written later, in a batch.
    virtual void addKey(const KeyRecord& key) = 0;
    // Figures of every item practised, by Item::key().
    virtual QHash<QString, ItemStats> itemStats() = 0;
    virtual void saveItemStats(const QList<ItemStats>& stats) = 0;
    virtual QHash<QString, LessonProgress> progress() = 0;
    virtual void saveProgress(const QString& lesson, const LessonProgress& progress) = 0;
    virtual bool shortFirst() = 0;
    virtual void setShortFirst(bool on) = 0;
    // Makes everything written so far durable (a round's end, leaving drill mode, closing).
    virtual void flush() = 0;
    // A problem the store met, for the learner, each told once; empty when there is none.
    virtual QString takeMessage() { return {}; }
};

class MemoryStore : public DrillStore {
public:
    void beginLesson(const QString& lesson) override { lessonsBegun << lesson; }
    void addKey(const KeyRecord& key) override { keys << key; }
    QHash<QString, ItemStats> itemStats() override { return stats; }
    void saveItemStats(const QList<ItemStats>& s) override {
        for (const ItemStats& i : s) stats.insert(i.key, i);
    }
    QHash<QString, LessonProgress> progress() override { return lessons; }
    void saveProgress(const QString& lesson, const LessonProgress& p) override {
        lessons.insert(lesson, p);
    }
    bool shortFirst() override { return shortFirst_; }
    void setShortFirst(bool on) override { shortFirst_ = on; }
    void flush() override { ++flushes; }

    QStringList lessonsBegun;
    QList<KeyRecord> keys;
    QHash<QString, ItemStats> stats;
    QHash<QString, LessonProgress> lessons;
    bool shortFirst_ = true;
    int flushes = 0;
};

}  // namespace ml::course
