#pragma once
// The progress record: a small binary file whose first four bytes hold one 32-bit signed
// little-endian integer. It is kept open while a file is practised and each write goes to disk at
// once (written in place, flushed, then synced), so nothing is lost when the window closes or the
// power fails after a finished line.

#include <QIODevice>
#include <QString>
#include <functional>
#include <memory>

namespace ml {

// Pushes what was written to `device` down to the disk: Qt's buffer is flushed, then the system
// is asked to write the file's data (fdatasync, or _commit on Windows). A device that is no file
// (a buffer) has no disk to reach and counts as synced.
bool syncToDisk(QIODevice& device);

class RecordFile {
public:
    using Sync = std::function<bool(QIODevice&)>;
    explicit RecordFile(Sync sync = syncToDisk) : sync_(std::move(sync)) {}

    // Opens for reading and writing, creating the file when missing.
    bool open(const QString& path, QString* error = nullptr);
    // Uses `device`, opening it for reading and writing unless it is open already.
    bool open(std::unique_ptr<QIODevice> device, QString* error = nullptr);
    bool isOpen() const { return dev_ != nullptr; }
    // Record 1; bytes missing at the end of a shorter file read as 0.
    qint32 read();
    // Replaces record 1 in place, flushes and syncs. Bytes after the fourth are left as they are.
    // False when any of it failed; errorString() then says why.
    bool write(qint32 value);
    void close();
    // The file's path; empty for a device that is no file.
    QString path() const;
    QString errorString() const { return error_; }

private:
    Sync sync_;
    std::unique_ptr<QIODevice> dev_;
    QString error_;
};

}  // namespace ml
