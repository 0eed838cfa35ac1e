#include "textfile.h"

#include <QDir>
#include <QSaveFile>

#include "cp936.h"

namespace ml {

namespace {

QString shown(const QString& path) { return QDir::toNativeSeparators(path); }

bool encodeOrDescribe(QStringView text, QByteArray& bytes, QString* error) {
    qsizetype bad = -1;
    if (encodeCp936(text, bytes, &bad)) return true;
    if (error) {
        *error = QStringLiteral("%1无法用 GBK（代码页 936）保存。").arg(describeCharacter(text, bad));
    }
    return false;
}

}  // namespace

bool Cp936LineWriter::open(const QString& path, QString* error) {
    return open(std::make_unique<QSaveFile>(path), error);
}

bool Cp936LineWriter::open(std::unique_ptr<QIODevice> device, QString* error) {
    cancel();
    error_.clear();
    if (!device) device = std::make_unique<QSaveFile>(QString());
    dev_ = std::move(device);
    if (!dev_->isOpen() && !dev_->open(QIODevice::WriteOnly)) {
        error_ = QStringLiteral("无法写入文件“%1”（可能没有写入权限，或文件夹不存在）。")
                     .arg(shown(fileName()));
        dev_.reset();
        if (error) *error = error_;
        return false;
    }
    if (error) error->clear();
    return true;
}

QString Cp936LineWriter::fileName() const {
    auto* file = qobject_cast<QFileDevice*>(dev_.get());
    return file ? file->fileName() : QString();
}

void Cp936LineWriter::abandon() {
    // A file with a line missing must never replace the old one: give up on it. The device stays
    // until commit() or cancel(), so that commit() reports the failure.
    if (auto* save = qobject_cast<QSaveFile*>(dev_.get())) save->cancelWriting();
}

bool Cp936LineWriter::write(QStringView text) {
    if (!dev_) {
        if (error_.isEmpty()) error_ = QStringLiteral("文件没有打开，无法写入。");
        return false;
    }
    if (!error_.isEmpty()) return false;  // an earlier write failed: the file is given up
    QByteArray bytes;
    if (!encodeOrDescribe(text, bytes, &error_)) {
        abandon();
        return false;
    }
    if (dev_->write(bytes) != bytes.size()) {
        error_ = QStringLiteral("写入文件“%1”时出错（磁盘可能已满）。").arg(shown(fileName()));
        abandon();
        return false;
    }
    return true;
}

bool Cp936LineWriter::writeLine(QStringView line) {
    return write(line) && write(u"\r\n");
}

bool Cp936LineWriter::commit(QString* error) {
    if (!dev_) {
        if (error_.isEmpty()) error_ = QStringLiteral("文件没有打开，无法保存。");
        if (error) *error = error_;
        return false;
    }
    const QString name = fileName();
    bool ok = error_.isEmpty();
    if (auto* save = qobject_cast<QSaveFile*>(dev_.get())) {
        // A cancelled file is not committed: its temporary file goes with the device.
        if (ok) ok = save->commit();
    } else {
        auto* file = qobject_cast<QFileDevice*>(dev_.get());
        if (ok && file) ok = file->flush();
        dev_->close();
    }
    dev_.reset();
    if (!ok) {
        // An earlier failure (error_ already set) cancels the file; keep that reason.
        if (error_.isEmpty())
            error_ = QStringLiteral("无法保存文件“%1”（可能没有写入权限，或磁盘已满）。").arg(shown(name));
        if (error) *error = error_;
        return false;
    }
    if (error) error->clear();
    return true;
}

void Cp936LineWriter::cancel() {
    if (auto* save = qobject_cast<QSaveFile*>(dev_.get())) {
        save->cancelWriting();
    } else if (dev_) {
        dev_->close();
    }
    dev_.reset();  // a save file's temporary file is removed with it; the old file is untouched
}

bool writeLinesCp936(const QString& path, const QStringList& lines, QString* error) {
    QByteArray all;
    for (const QString& line : lines) {
        QByteArray bytes;
        if (!encodeOrDescribe(line, bytes, error)) return false;
        all += bytes;
        all += "\r\n";
    }
    return writeBytesAtomic(path, all, error);
}

bool writeBytesAtomic(const QString& path, const QByteArray& bytes, QString* error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = QStringLiteral("无法写入文件“%1”（可能没有写入权限，或文件夹不存在）。").arg(shown(path));
        return false;
    }
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        file.cancelWriting();
        if (error)
            *error = QStringLiteral("无法保存文件“%1”（可能没有写入权限，或磁盘已满）。").arg(shown(path));
        return false;
    }
    if (error) error->clear();
    return true;
}

}  // namespace ml
