#pragma once
// Writing text files in code page 936 with CR LF line ends. Files that hold the learner's data or
// settings are replaced atomically (written beside, flushed, renamed), so a crash never leaves an
// empty or half-written file behind.

#include <QSaveFile>
#include <QString>
#include <QStringList>
#include <memory>

namespace ml {

class Cp936LineWriter {
public:
    // Starts writing `path`; nothing replaces the old file until commit().
    bool open(const QString& path, QString* error = nullptr);
    // Appends `line` and CR LF. Fails on a code unit that code page 936 cannot hold.
    bool writeLine(QStringView line);
    // Appends text without a line end.
    bool write(QStringView text);
    // Flushes and renames into place.
    bool commit(QString* error = nullptr);
    void cancel();
    bool isOpen() const { return file_ != nullptr; }
    QString errorString() const { return error_; }

private:
    std::unique_ptr<QSaveFile> file_;
    QString error_;
};

// Writes the lines, each followed by CR LF, replacing `path` atomically.
bool writeLinesCp936(const QString& path, const QStringList& lines, QString* error = nullptr);
// Writes raw bytes, replacing `path` atomically.
bool writeBytesAtomic(const QString& path, const QByteArray& bytes, QString* error = nullptr);

}  // namespace ml
