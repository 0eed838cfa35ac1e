#include "platform.h"

#include <QFile>
#include <QSaveFile>

namespace ml {

std::unique_ptr<QIODevice> Platform::progressDevice(const QString& path) {
    return std::make_unique<QFile>(path);
}

std::unique_ptr<QIODevice> Platform::conversionDevice(const QString& path) {
    return std::make_unique<QSaveFile>(path);
}

}  // namespace ml
