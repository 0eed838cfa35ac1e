#include "recordfile.h"

#include <QDir>
#include <QFile>
#include <QFileDevice>
#include <QtEndian>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace ml {

namespace {
QString shown(const QString& path) { return QDir::toNativeSeparators(path); }
}  // namespace

bool syncToDisk(QIODevice& device) {
    auto* file = qobject_cast<QFileDevice*>(&device);
    if (!file) return true;
    if (!file->flush()) return false;
    const int fd = file->handle();
    if (fd < 0) return false;
#ifdef Q_OS_WIN
    return _commit(fd) == 0;
#elif defined(Q_OS_MACOS)
    return ::fsync(fd) == 0;
#else
    return ::fdatasync(fd) == 0;
#endif
}

bool RecordFile::open(const QString& path, QString* error) {
    return open(std::make_unique<QFile>(path), error);
}

bool RecordFile::open(std::unique_ptr<QIODevice> device, QString* error) {
    close();
    error_.clear();
    if (!device) device = std::make_unique<QFile>();
    if (!device->isOpen() && !device->open(QIODevice::ReadWrite)) {
        auto* file = qobject_cast<QFileDevice*>(device.get());
        error_ = QStringLiteral("无法打开记录文件“%1”（可能没有读写权限）。")
                     .arg(shown(file ? file->fileName() : QString()));
        if (error) *error = error_;
        return false;
    }
    dev_ = std::move(device);
    if (error) error->clear();
    return true;
}

qint32 RecordFile::read() {
    if (!dev_) return 0;
    uchar bytes[4] = {0, 0, 0, 0};
    if (dev_->seek(0)) {
        const qint64 n = dev_->read(reinterpret_cast<char*>(bytes), 4);
        if (n < 4) {
            for (qint64 i = std::max<qint64>(n, 0); i < 4; ++i) bytes[i] = 0;
        }
    }
    return qFromLittleEndian<qint32>(bytes);
}

bool RecordFile::write(qint32 value) {
    if (!dev_) {
        error_ = QStringLiteral("记录文件没有打开。");
        return false;
    }
    uchar bytes[4];
    qToLittleEndian<qint32>(value, bytes);
    auto* file = qobject_cast<QFileDevice*>(dev_.get());
    // In place, out of Qt's buffer into the file, then down to the disk.
    const bool ok = dev_->seek(0) && dev_->write(reinterpret_cast<const char*>(bytes), 4) == 4 &&
                    (!file || file->flush()) && sync_(*dev_);
    if (!ok) {
        error_ = QStringLiteral("写入记录文件“%1”时出错（磁盘可能已满，或所在的磁盘已被移除）。")
                     .arg(shown(path()));
        return false;
    }
    error_.clear();
    return true;
}

void RecordFile::close() {
    if (dev_) {
        if (auto* file = qobject_cast<QFileDevice*>(dev_.get())) file->flush();
        dev_->close();
    }
    dev_.reset();
}

QString RecordFile::path() const {
    auto* file = qobject_cast<QFileDevice*>(dev_.get());
    return file ? file->fileName() : QString();
}

}  // namespace ml
