#pragma once
// Where the course keeps what the learner did: every judged key, each item's figures, each
// lesson's progress, goals and bests, and the "简码优先" choice. The learning record implements it
// over "练习记录.db"; MemoryStore keeps it in memory (tests, and a record that cannot be opened).

#include <QHash>
#include <QList>
#include <QString>

#include "course/drill.h"
#include "course/schedule.h"

namespace ml::course {

class DrillStore {
public:
    virtual ~DrillStore() = default;
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
    // A problem the store met, for the learner (empty when all is well).
    virtual QString lastError() const { return {}; }
};

class MemoryStore : public DrillStore {
public:
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

    QList<KeyRecord> keys;
    QHash<QString, ItemStats> stats;
    QHash<QString, LessonProgress> lessons;
    bool shortFirst_ = true;
    int flushes = 0;
};

}  // namespace ml::course
