#include "wholefile.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>

#include "cp936.h"

namespace ml {

namespace {
bool failWith(QString* error, const QString& why) {
    if (error) *error = why;
    return false;
}
}  // namespace

bool readWholeFile(const QString& path, qint64 maxBytes, QByteArray* bytes, QString* error) {
    const QFileInfo info(path);
    if (!info.exists()) return failWith(error, QStringLiteral("找不到这个文件。"));
    if (!info.isFile()) return failWith(error, QStringLiteral("这不是一个普通文件。"));
    if (info.size() > maxBytes) return failWith(error, QStringLiteral("文件过大。"));
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return failWith(error, f.errorString());
    bytes->clear();
    QByteArray chunk(1 << 20, Qt::Uninitialized);
    for (;;) {
        const qint64 n = f.read(chunk.data(), chunk.size());
        if (n < 0) return failWith(error, f.errorString());
        if (n == 0) break;
        bytes->append(chunk.constData(), n);
        if (bytes->size() > maxBytes) return failWith(error, QStringLiteral("文件过大。"));
    }
    return true;
}

bool startsLikeBinary(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return false;
    return f.read(64 * 1024).contains('\0');
}

QString binaryContentReason() {
    return QStringLiteral("它不是文本文件（文件里有二进制数据，例如图片、文档或程序）。");
}

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

}  // namespace ml
