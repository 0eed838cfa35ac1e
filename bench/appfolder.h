#pragma once
// The build's program folder, whose sounds, art, lessons and dictionary the benchmarks lay out in
// folders of their own. Needs ML_APP_DIR defined by the build.

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QString>

namespace mlbench {

// The build's program folder; ML_APP_DIR in the environment names another.
inline QString appDir() {
    const QString env = qEnvironmentVariable("ML_APP_DIR");
    return env.isEmpty() ? QStringLiteral(ML_APP_DIR) : env;
}

// Copies every file below `from` to the same place below `to`; false when `from` is no folder or
// a file cannot be copied.
inline bool copyTree(const QString& from, const QString& to) {
    if (!QFileInfo(from).isDir()) return false;
    QDir().mkpath(to);
    QDirIterator it(from, QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString src = it.next();
        const QString dst = QDir(to).filePath(QDir(from).relativeFilePath(src));
        QDir().mkpath(QFileInfo(dst).absolutePath());
        if (!QFile::copy(src, dst)) return false;
    }
    return true;
}

}  // namespace mlbench
