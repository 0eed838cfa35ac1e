#pragma once
// The progress record: a small binary file whose first four bytes hold one 32-bit signed
// little-endian integer. It is kept open while a file is practised and each write goes to disk at
// once, so nothing is lost when the window closes or the machine stops.

#include <QFile>
#include <QString>
#include <memory>

namespace ml {

class RecordFile {
public:
    // Opens for reading and writing, creating the file when missing.
    bool open(const QString& path, QString* error = nullptr);
    bool isOpen() const { return file_ != nullptr; }
    // Record 1; bytes missing at the end of a shorter file read as 0.
    qint32 read();
    // Replaces record 1 and flushes. Bytes after the fourth are left as they are.
    bool write(qint32 value);
    void close();
    QString path() const;

private:
    std::unique_ptr<QFile> file_;
};

}  // namespace ml
