#include <QFile>
#include <QFileInfo>

#include "content/remote.h"
#include "platform/cp936.h"
#include "platform/itemreader.h"

namespace ml {

namespace {
// A shared practice text is a lesson, not a library: anything larger is refused rather than
// copied over the network into memory.
constexpr qint64 kMaxRemoteBytes = 64ll * 1024 * 1024;

bool isNetworkPath(const QString& path) {
    return path.startsWith(QStringLiteral("\\\\")) || path.startsWith(QStringLiteral("//"));
}

bool failWith(QString* error, const QString& why) {
    if (error) *error = why;
    return false;
}

bool readLocal(const QString& path, QByteArray* bytes, QString* error) {
    const QFileInfo info(path);
    if (!info.exists()) return failWith(error, QStringLiteral("找不到这个文件。"));
    // A folder, a device or a pipe is no practice text, and a pipe would block on opening.
    if (!info.isFile()) return failWith(error, QStringLiteral("这不是一个普通文件。"));
    if (info.size() > kMaxRemoteBytes) return failWith(error, QStringLiteral("文件过大。"));
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return failWith(error, f.errorString());
    // Read against the cap, not the size seen before: the file may grow meanwhile.
    bytes->clear();
    QByteArray chunk(1 << 20, Qt::Uninitialized);
    for (;;) {
        const qint64 n = f.read(chunk.data(), chunk.size());
        if (n < 0) return failWith(error, f.errorString());
        if (n == 0) break;
        bytes->append(chunk.constData(), n);
        if (bytes->size() > kMaxRemoteBytes) return failWith(error, QStringLiteral("文件过大。"));
    }
    return true;
}

// The whole text is in memory anyway: a bad byte is found now, at opening, rather than in the
// middle of practice.
bool isCp936Text(const QByteArray& bytes, QString* error) {
    Cp936Decoder decoder;
    QString scratch;
    constexpr qsizetype kPiece = 1 << 20;
    for (qsizetype at = 0; at < bytes.size(); at += kPiece) {
        const qsizetype n = std::min(kPiece, bytes.size() - at);
        scratch.clear();
        if (!decoder.decode(bytes.constData() + at, n, at + n == bytes.size(), scratch)) {
            return failWith(error, QStringLiteral("第 %1 字节处不是有效的 GBK（代码页 936）文本。")
                                       .arg(decoder.errorOffset() + 1));
        }
    }
    return true;
}
}  // namespace

std::unique_ptr<ItemReader> openRemoteText(const QString& path, QString* error) {
    QByteArray bytes;
#ifndef Q_OS_WIN
    // Windows opens \\server\share paths as files; elsewhere they go through SMB.
    const bool fetched = isNetworkPath(path) ? fetchFromShare(path, kMaxRemoteBytes, &bytes, error)
                                             : readLocal(path, &bytes, error);
#else
    const bool fetched = readLocal(path, &bytes, error);
#endif
    if (!fetched) return nullptr;
    // An empty shared text is a lesson not yet in place; practising nothing helps nobody.
    if (bytes.isEmpty()) {
        failWith(error, QStringLiteral("文件是空的。"));
        return nullptr;
    }
    // NUL never stands in a code page 936 text (it does in pictures, documents and UTF-16 text),
    // yet decodes without complaint.
    if (bytes.contains('\0')) {
        failWith(error, QStringLiteral("它不是文本文件（文件里有二进制数据）。"));
        return nullptr;
    }
    if (!isCp936Text(bytes, error)) return nullptr;
    return ItemReader::fromBytes(bytes);
}

}  // namespace ml
