#pragma once
// The course's part of the learning record "练习记录.db" (SQLite): the drills' keys, each item's
// figures, each lesson's progress and the "简码优先" choice. Keys wait in memory and are written
// in batches, one transaction each.

#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "course/store.h"

struct sqlite3;

namespace ml::course {

class SqliteStore : public DrillStore {
public:
    // Opens (creating when missing) the record at `path`. A file that is not a usable record is
    // left as it is and nothing is returned, with the reason in `error`.
    static std::unique_ptr<SqliteStore> open(const QString& path, QString* error);
    // Opens an existing record read-only (for --export-keys); nothing when there is none.
    static std::unique_ptr<SqliteStore> openReadOnly(const QString& path, QString* error);
    ~SqliteStore() override;

    void addKey(const KeyRecord& key) override;
    QHash<QString, ItemStats> itemStats() override;
    void saveItemStats(const QList<ItemStats>& stats) override;
    QHash<QString, LessonProgress> progress() override;
    void saveProgress(const QString& lesson, const LessonProgress& progress) override;
    bool shortFirst() override;
    void setShortFirst(bool on) override;
    void flush() override;
    QString lastError() const override { return error_; }

    // Every key of the record, oldest first; false (with the reason) on a read error.
    bool forEachKey(const std::function<void(const KeyRecord&)>& fn, QString* error);

private:
    explicit SqliteStore(sqlite3* db, bool readOnly);
    bool exec(const char* sql);
    void fail(const char* what);

    sqlite3* db_ = nullptr;
    bool readOnly_ = false;
    qint64 session_ = 0;
    std::vector<KeyRecord> pending_;
    QString error_;
};

// Writes the drills' keys of the record at `recordPath` as CSV (UTF-8; header
// "lesson,item,expected,typed,right,ms"; the space bar written "space"), replacing `target`
// atomically. Returns the exit code and puts what happened into `report`.
int exportKeysCsv(const QString& recordPath, const QString& target, QString* report);

}  // namespace ml::course
