#pragma once
// A file that takes the first `limit` bytes written to it and then fails, like a disk that fills
// up or a stick pulled out in the middle of a write. `File` is QFile, QSaveFile or another
// QFileDevice; reading, opening and renaming are the real file's.

#include <QFileDevice>
#include <QString>
#include <algorithm>

namespace mltest {

template <class File>
class FailingAfter : public File {
public:
    FailingAfter(const QString& path, qint64 limit) : File(path), limit_(limit) {}
    qint64 written() const { return written_; }
    int failures() const { return failures_; }

protected:
    qint64 writeData(const char* data, qint64 len) override {
        const qint64 room = std::max<qint64>(0, limit_ - written_);
        if (room == 0) {
            ++failures_;
            this->setErrorString(QStringLiteral("No space left on device"));
            return -1;
        }
        const qint64 n = File::writeData(data, std::min(len, room));
        if (n > 0) written_ += n;
        if (n < len) ++failures_;
        return n;
    }

private:
    qint64 limit_;
    qint64 written_ = 0;
    int failures_ = 0;
};

}  // namespace mltest
