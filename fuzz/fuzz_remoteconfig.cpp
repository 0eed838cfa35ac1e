// The classroom's configuration file "远程内容.ini", in code page 936 or, after a byte-order
// mark, in UTF-8 or UTF-16. Whatever it holds, the result is one of the defined states; a file
// that can be decoded whole reads as the same text saved in code page 936 would; one that cannot
// be decoded is never taken for a missing file.
#include <QFile>
#include <QStringDecoder>
#include <QTemporaryDir>

#include "content/remote.h"
#include "fuzz/harness.h"
#include "platform/cp936.h"
#include "platform/itemreader.h"

namespace {

bool same(const ml::RemoteConfig& a, const ml::RemoteConfig& b) {
    return a.status == b.status && a.path == b.path && a.tooLong == b.tooLong;
}

// The text after a byte-order mark, when the file has one and decodes whole; else nullopt.
std::optional<QString> markedText(const QByteArray& bytes, bool* marked) {
    QStringConverter::Encoding encoding;
    qsizetype mark;
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        encoding = QStringConverter::Utf8;
        mark = 3;
    } else if (bytes.startsWith("\xFF\xFE")) {
        encoding = QStringConverter::Utf16LE;
        mark = 2;
    } else if (bytes.startsWith("\xFE\xFF")) {
        encoding = QStringConverter::Utf16BE;
        mark = 2;
    } else {
        *marked = false;
        return std::nullopt;
    }
    *marked = true;
    // An odd byte left at the end of UTF-16 is a character cut off (Qt's decoder drops it
    // without an error even when stateless).
    if (encoding != QStringConverter::Utf8 && (bytes.size() - mark) % 2 != 0) return std::nullopt;
    // Stateless: a sequence cut off at the end is an error here, as it must be for the tutor.
    QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless);
    const QString text = decoder.decode(QByteArrayView(bytes).sliced(mark));
    if (decoder.hasError()) return std::nullopt;
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("远程内容.ini"));
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    {
        QFile f(path);
        ML_CHECK(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ML_CHECK(f.write(bytes) == bytes.size());
    }
    auto reader = ml::openRemoteConfig(path);
    ML_CHECK(reader != nullptr);
    const ml::RemoteConfig cfg = ml::readRemoteConfig(*reader);

    switch (cfg.status) {
        case ml::RemoteConfig::Ok:
            if (cfg.tooLong) {
                ML_CHECK(cfg.path.endsWith(QStringLiteral("…")));
            } else {
                ML_CHECK(cfg.path.isEmpty() || cfg.path.size() >= 8);
                ML_CHECK(cfg.path.size() <= ml::kMaxRemotePath);
            }
            break;
        case ml::RemoteConfig::Unreadable:
            ML_CHECK(!cfg.problem.isEmpty());
            break;
        case ml::RemoteConfig::Missing:
        case ml::RemoteConfig::BadPrefix:
            ML_CHECK(cfg.path.isEmpty());
            break;
    }

    bool marked = false;
    const std::optional<QString> text = markedText(bytes, &marked);
    if (!marked) {
        // Code page 936 as it stands: the same as reading the bytes from memory.
        auto plain = ml::ItemReader::fromBytes(bytes);
        ML_CHECK(same(cfg, ml::readRemoteConfig(*plain)));
        return 0;
    }
    QByteArray gbk;
    if (text && ml::encodeCp936(*text, gbk)) {
        auto plain = ml::ItemReader::fromBytes(gbk);
        ML_CHECK(same(cfg, ml::readRemoteConfig(*plain)));
    } else {
        // Somewhere the text cannot be decoded or held in code page 936; if that is within the
        // two items read, the file is unreadable, and it is never "missing" for want of items
        // that a cut-off sequence swallowed.
        ML_CHECK(cfg.status != ml::RemoteConfig::Missing);
    }
    return 0;
}
