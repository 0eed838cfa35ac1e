#pragma once
// The course's part of the learning record "练习记录.db": the drills' keys go to the record's
// keystroke table through its writer, like every other row; each item's figures, each lesson's
// progress and goal and the "简码优先" choice live in the course's own tables (a step of the
// record's schema), written by jobs of the same writer and read back through a reader.

#include <QString>
#include <functional>
#include <memory>
#include <optional>

#include "course/store.h"

struct sqlite3;

namespace ml::record {
class Recorder;
}

namespace ml::course {

class RecordStore : public DrillStore {
public:
    // Writes through `recorder` (kept by the caller) and reads the file at `path` it writes.
    RecordStore(record::Recorder& recorder, QString path);
    // The same with a writer of its own.
    RecordStore(std::unique_ptr<record::Recorder> recorder, QString path);
    ~RecordStore() override;

    void beginLesson(const QString& lesson) override;
    void endLesson() override;
    void addKey(const KeyRecord& key) override;
    QHash<QString, ItemStats> itemStats() override;
    void saveItemStats(const QList<ItemStats>& stats) override;
    QHash<QString, LessonProgress> progress() override;
    void saveProgress(const QString& lesson, const LessonProgress& progress) override;
    bool shortFirst() override;
    void setShortFirst(bool on) override;
    void flush() override;
    QString takeMessage() override;

private:
    // Runs `query` over the course's tables of the file; false (with a message kept) when the
    // record cannot be read. A record not written yet reads as empty.
    bool read(const std::function<void(sqlite3*)>& query);

    std::unique_ptr<record::Recorder> own_;
    record::Recorder& recorder_;
    QString path_;
    std::optional<bool> shortFirst_;
    QString message_;
};

// Writes the drills' keys of the record at `recordPath` as CSV (UTF-8; header
// "lesson,item,expected,typed,right,ms"; the space bar written "space"; ms empty where the record
// has none), replacing `target` atomically. Returns the exit code and says what happened in
// `report`.
int exportKeysCsv(const QString& recordPath, const QString& target, QString* report);

}  // namespace ml::course
