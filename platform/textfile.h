#pragma once
// Writing text files in code page 936 with CR LF line ends. Files that hold the learner's data or
// settings are replaced atomically (written beside, flushed, renamed), so a crash never leaves an
// empty or half-written file behind.

#include <QIODevice>
#include <QString>
#include <QStringList>
#include <memory>

namespace ml {

class Cp936LineWriter {
public:
    // Starts writing `path`; nothing replaces the old file until commit().
    bool open(const QString& path, QString* error = nullptr);
    // Writes into `device`, opening it for writing unless it is open already. A QSaveFile is
    // renamed into place by commit() and thrown away by cancel() or by a failed write; any other
    // device is simply closed.
    bool open(std::unique_ptr<QIODevice> device, QString* error = nullptr);
    // Appends `line` and CR LF. Fails on a code unit that code page 936 cannot hold.
    bool writeLine(QStringView line);
    // Appends text without a line end.
    bool write(QStringView text);
    // Flushes and renames into place.
    bool commit(QString* error = nullptr);
    void cancel();
    bool isOpen() const { return dev_ != nullptr; }
    QString errorString() const { return error_; }

private:
    QString fileName() const;
    void abandon();

    std::unique_ptr<QIODevice> dev_;
    QString error_;
};

// Writes the lines, each followed by CR LF, replacing `path` atomically.
bool writeLinesCp936(const QString& path, const QStringList& lines, QString* error = nullptr);
// Writes raw bytes, replacing `path` atomically.
bool writeBytesAtomic(const QString& path, const QByteArray& bytes, QString* error = nullptr);

}  // namespace ml
