// The classroom's configuration file "远程内容.ini" and the network path it names.
#include "content/remote.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <QUrl>
#include <algorithm>
#include <cstring>

#include "platform/cp936.h"
#include "platform/itemreader.h"

namespace ml {

namespace {

// A decoder that tells whether a sequence was left unfinished at the end of the data: Qt keeps
// such bytes for the next chunk and would otherwise drop them silently at the end.
class EndAwareDecoder : public QStringDecoder {
public:
    using QStringDecoder::QStringDecoder;
    bool unfinished() const { return state.remainingChars != 0; }
};

QString encodingName(QStringConverter::Encoding encoding) {
    return encoding == QStringConverter::Utf8 ? QStringLiteral("UTF-8") : QStringLiteral("UTF-16");
}

// Hands the text of a file saved as UTF-8 or UTF-16 to the item reader as code page 936 bytes, a
// piece at a time. Text that code page 936 cannot hold, a broken sequence and one cut off at the
// end of the file end the data with a read error (naming what is wrong), after the bytes of
// everything before it.
class RecodingDevice : public QIODevice {
public:
    RecodingDevice(std::unique_ptr<QFile> file, QStringConverter::Encoding encoding)
        : file_(std::move(file)), encoding_(encoding), decoder_(encoding) {}
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        while (qint64(ready_.size() - used_) < maxSize && !ended_) pump();
        const qint64 n = std::min<qint64>(maxSize, ready_.size() - used_);
        if (n == 0 && failed_) return -1;
        std::memcpy(data, ready_.constData() + used_, size_t(n));
        used_ += n;
        if (used_ == ready_.size()) {
            ready_.clear();
            used_ = 0;
        }
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    void pump() {
        char raw[16 * 1024];
        const qint64 n = file_->read(raw, sizeof raw);
        if (n <= 0) {
            ended_ = true;
            if (n < 0) {
                fail(file_->errorString());
            } else if (decoder_.unfinished()) {
                fail(QStringLiteral("文件末尾的字符不完整（%1 文本在最后一个字符的中间断开了）。")
                         .arg(encodingName(encoding_)));
            }
            return;
        }
        // A broken sequence decodes as U+FFFD, which code page 936 cannot hold either.
        const QString text = decoder_.decode(QByteArrayView(raw, n));
        QByteArray bytes;
        qsizetype bad = -1;
        if (encodeCp936(text, bytes, &bad)) {
            ready_ += bytes;
            return;
        }
        if (encodeCp936(QStringView(text).left(bad), bytes)) ready_ += bytes;
        ended_ = true;
        if (decoder_.hasError() && text.at(bad) == QChar::ReplacementCharacter) {
            fail(QStringLiteral("文件里有不是有效 %1 文本的字节。").arg(encodingName(encoding_)));
        } else {
            fail(QStringLiteral("文件以 %1 保存，其中的%2无法用 GBK（代码页 936）表示。")
                     .arg(encodingName(encoding_), describeCharacter(text, bad)));
        }
    }
    void fail(const QString& why) {
        failed_ = true;
        setErrorString(why);
    }

    std::unique_ptr<QFile> file_;
    QStringConverter::Encoding encoding_;
    EndAwareDecoder decoder_;
    QByteArray ready_;
    qsizetype used_ = 0;
    bool ended_ = false;
    bool failed_ = false;
};

}  // namespace

RemoteConfig readRemoteConfig(ItemReader& reader) {
    RemoteConfig cfg;
    QString title, pathItem;
    qint64 length = 0;
    // Only the first two items matter, and only a bounded beginning of each is kept.
    if (!reader.next(&title, 256) || !reader.next(&pathItem, 5 + kMaxRemotePath, &length)) {
        const bool broken = reader.error() == ItemReader::Error::BadEncoding ||
                            reader.error() == ItemReader::Error::Io;
        cfg.status = broken ? RemoteConfig::Unreadable : RemoteConfig::Missing;
        if (broken) cfg.problem = reader.errorString();
        return cfg;
    }
    const QString prefix = pathItem.left(5);
    if (prefix != QStringLiteral("path=") && prefix != QStringLiteral("Path=") &&
        prefix != QStringLiteral("PATH=")) {
        cfg.status = RemoteConfig::BadPrefix;
        return cfg;
    }
    cfg.status = RemoteConfig::Ok;
    if (length > 5 + kMaxRemotePath) {
        cfg.tooLong = true;
        cfg.path = pathItem.mid(5, 120) + QStringLiteral("…");
    } else if (pathItem.size() > 12) {
        cfg.path = pathItem.mid(5);
    }
    return cfg;
}

std::unique_ptr<ItemReader> openRemoteConfig(const QString& path, QString* error) {
    auto plain = ItemReader::openFile(path, error);
    if (!plain) return nullptr;
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::ReadOnly)) return plain;  // the plain reader reports the failure
    const QByteArray head = file->peek(3);
    QStringConverter::Encoding encoding;
    qint64 mark = 0;
    if (head.startsWith("\xEF\xBB\xBF")) {
        encoding = QStringConverter::Utf8;
        mark = 3;
    } else if (head.startsWith("\xFF\xFE")) {
        encoding = QStringConverter::Utf16LE;
        mark = 2;
    } else if (head.startsWith("\xFE\xFF")) {
        encoding = QStringConverter::Utf16BE;
        mark = 2;
    } else {
        return plain;
    }
    file->skip(mark);
    auto device = std::make_unique<RecodingDevice>(std::move(file), encoding);
    device->open(QIODevice::ReadOnly);
    return std::make_unique<ItemReader>(std::move(device));
}

QString smbUrlFor(const QString& networkPath) {
    QString rest = networkPath;
    rest.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (!rest.startsWith(QStringLiteral("//"))) return {};
    const QStringList parts = rest.mid(2).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (parts.size() < 3) return {};
    // The server keeps a ":port" (tests reach a server on a high loopback port); an "@" in it
    // would otherwise be taken for user credentials.
    QString url = QStringLiteral("smb://") +
                  QString::fromLatin1(QUrl::toPercentEncoding(parts[0], QByteArrayLiteral(":")));
    for (qsizetype i = 1; i < parts.size(); ++i)
        url += QLatin1Char('/') + QString::fromLatin1(QUrl::toPercentEncoding(parts[i]));
    return url;
}

}  // namespace ml
