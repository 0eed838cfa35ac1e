#pragma once
// Opening the record file, with every way it can be unusable told apart. The file is never
// deleted or overwritten: one that is not a record, or is of a newer schema, is left exactly as it
// is; a damaged one is moved aside under a time-stamped name before a new one is made.

#include <QDateTime>
#include <QLockFile>
#include <QString>
#include <memory>

struct sqlite3;

namespace ml::record {

enum class OpenStatus {
    Ok,          // open; `message` may still tell that a damaged file was moved aside
    Missing,     // reading only: there is no record yet
    NotARecord,  // the file is not an SQLite database
    Newer,       // made by a newer tutor (a schema version this one does not know)
    Locked,      // another running tutor, or another program, holds it
    ReadOnly,    // the folder or the file cannot be written
    Damaged,     // reading only: the database is damaged
    Failed,      // anything else; `message` says what
};

struct Opened {
    sqlite3* db = nullptr;
    OpenStatus status = OpenStatus::Failed;
    QString message;  // for the learner; empty when there is nothing to say
};

// Opens `path` for recording, creating it when missing and bringing its schema up to date. Holds
// `lock` (the file "<path>.lock") while open, so that a second tutor on the same folder sees that
// the record is taken. WAL journal, synchronous NORMAL: a commit reaches the file at once (a
// killed process loses nothing committed) without waiting for the disk.
Opened openForWriting(const QString& path, std::unique_ptr<QLockFile>* lock);

// Whether a look through the whole file finds it sound. It reads every page, so the recorder runs
// it on its own thread after opening rather than while the window waits.
bool intact(sqlite3* db);

// After the record was found damaged while open: moves it aside and makes a new one in its place.
// The caller holds the lock and has closed its connection.
Opened replaceDamaged(const QString& path);

// Opens `path` to read statistics. A file of an older schema is brought up to date first.
Opened openForReading(const QString& path);

// "练习记录.db" -> "练习记录.损坏-20250131-235959.db" in the same folder, not yet taken.
QString asideName(const QString& path, const QDateTime& when);

// SQLite's result for the last failed call, with the file named, as the learner reads it.
QString sqliteReason(sqlite3* db);

}  // namespace ml::record
