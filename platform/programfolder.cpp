#include "programfolder.h"

#include <QDir>

namespace ml {

QString inFolder(const QString& folder, const QString& relative) {
    QString rel = relative;
    rel.replace(QLatin1Char('\\'), QLatin1Char('/'));
    // The relative part is always taken inside the folder, even when written "\\练习文件\\a.txt".
    while (rel.startsWith(QLatin1Char('/'))) rel.remove(0, 1);
    if (folder.isEmpty()) return rel.isEmpty() ? QString() : QDir::cleanPath(rel);
    if (rel.isEmpty()) return QDir::cleanPath(folder);
    return QDir::cleanPath(folder + QLatin1Char('/') + rel);
}

}  // namespace ml
