#include <QFile>
#include <QFileInfo>

#include "content/remote.h"
#include "platform/itemreader.h"

namespace ml {

namespace {
// A shared practice text is a lesson, not a library: anything larger is refused rather than
// copied over the network into memory.
constexpr qint64 kMaxRemoteBytes = 64ll * 1024 * 1024;

bool isNetworkPath(const QString& path) {
    return path.startsWith(QStringLiteral("\\\\")) || path.startsWith(QStringLiteral("//"));
}
}  // namespace

std::unique_ptr<ItemReader> openRemoteText(const QString& path, QString* error) {
#ifndef Q_OS_WIN
    if (isNetworkPath(path)) {
        if (error) *error = QStringLiteral("无法访问网络路径。");
        return nullptr;
    }
#endif
    QFile f(path);
    if (QFileInfo(path).isDir() || !f.open(QIODevice::ReadOnly)) {
        if (error) *error = f.errorString();
        return nullptr;
    }
    if (f.size() > kMaxRemoteBytes) {
        if (error) *error = QStringLiteral("文件过大。");
        return nullptr;
    }
    const QByteArray bytes = f.readAll();
    if (f.error() != QFile::NoError) {
        if (error) *error = f.errorString();
        return nullptr;
    }
    return ItemReader::fromBytes(bytes);
}

}  // namespace ml
