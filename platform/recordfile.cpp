#include "recordfile.h"

#include <QDir>
#include <QtEndian>

namespace ml {

bool RecordFile::open(const QString& path, QString* error) {
    close();
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::ReadWrite)) {
        if (error) {
            *error = QStringLiteral("无法打开记录文件“%1”（可能没有读写权限）。")
                         .arg(QDir::toNativeSeparators(path));
        }
        return false;
    }
    file_ = std::move(file);
    if (error) error->clear();
    return true;
}

qint32 RecordFile::read() {
    if (!file_) return 0;
    uchar bytes[4] = {0, 0, 0, 0};
    if (file_->seek(0)) {
        const qint64 n = file_->read(reinterpret_cast<char*>(bytes), 4);
        if (n < 4) {
            for (qint64 i = std::max<qint64>(n, 0); i < 4; ++i) bytes[i] = 0;
        }
    }
    return qFromLittleEndian<qint32>(bytes);
}

bool RecordFile::write(qint32 value) {
    if (!file_) return false;
    uchar bytes[4];
    qToLittleEndian<qint32>(value, bytes);
    if (!file_->seek(0)) return false;
    if (file_->write(reinterpret_cast<const char*>(bytes), 4) != 4) return false;
    return file_->flush();
}

void RecordFile::close() {
    if (file_) {
        file_->flush();
        file_->close();
    }
    file_.reset();
}

QString RecordFile::path() const { return file_ ? file_->fileName() : QString(); }

}  // namespace ml
