#include "rules.h"

#include <algorithm>
#include <cmath>

namespace ml {

namespace {

// The digits of n, with a blank before a value of 0 or more and a minus sign before a negative.
QString signedText(qint64 n) {
    return n >= 0 ? QLatin1Char(' ') + QString::number(n) : QString::number(n);
}

// Two-digit field: "0" and the last digit below 10, else the last two characters.
QString twoDigits(qint64 n) {
    if (n < 10) return QLatin1Char('0') + QString::number(n).right(1);
    return signedText(n).right(2);
}
}  // namespace

QByteArray configBytes(int count) {
    return QByteArray(" ") + QByteArray::number(count) + QByteArray(" \r\n");
}

QString timeText(double elapsed) {
    // One whole number of seconds (a half to the even neighbour) gives all three fields, so the
    // caption only ever moves forward: rounding the seconds alone while the minutes were cut
    // showed 0:03:00 between 0:03:59 and 0:04:01.
    const qint64 total = static_cast<qint64>(std::nearbyint(elapsed));
    auto floorDiv = [](qint64 a, qint64 b) { return a >= 0 ? a / b : -((-a + b - 1) / b); };
    const qint64 h = floorDiv(total, 3600);
    const qint64 m = floorDiv(total, 60) - floorDiv(total, 3600) * 60;
    const qint64 s = total - floorDiv(total, 60) * 60;
    return signedText(h) + QLatin1Char(':') + twoDigits(m) + QLatin1Char(':') + twoDigits(s);
}

QString speedText(qint64 types, double elapsed) {
    if (elapsed <= 0) return QString();
    // A hair of tolerance keeps exact quotients such as 1 / 0.4 × 60 from falling to 149.
    const double v = static_cast<double>(types) / elapsed * 60.0;
    return QString::number(static_cast<qint64>(std::floor(v + 1e-9)));
}

QString accuracyText(qint64 rightTypes, qint64 types) {
    if (types <= 0) return QStringLiteral("100%");
    // Whole-number arithmetic: 29 of 100 is 29%, not the 28% that 29 / 100 × 100 in floating
    // point would round down to.
    const qint64 a = rightTypes * 100 / types;
    return signedText(a).right(3) + QLatin1Char('%');
}

QString fileNameOf(const QString& path) {
    const qsizetype cut = std::max(path.lastIndexOf(QLatin1Char('\\')), path.lastIndexOf(QLatin1Char('/')));
    return cut < 0 ? path : path.mid(cut + 1);
}

QString progressFileName(const QString& practicePath) {
    const QString name = fileNameOf(practicePath);
    return name.left(std::max<qsizetype>(0, name.size() - 4)) + QStringLiteral(".SAV");
}

bool hasTxtExtension(const QString& path) {
    return path.right(4).toUpper() == QStringLiteral(".TXT");
}

QString shortenPath(const QString& path) {
    const qsizetype L = path.size();
    if (L <= 37) return path;
    const QString name = fileNameOf(path);
    const qsizetype N = name.size();
    const QString folder = path.left(L - N);
    const QString namePart = N > 19 ? QStringLiteral("...") + name.right(17) : name;
    // The ellipsis ends in the path's own separator.
    const QString sep = folder.isEmpty() ? QStringLiteral("\\") : QString(folder.back());
    const QString folderPart = folder.size() > 39 ? folder.left(39) + QStringLiteral("...") + sep : folder;
    return (folderPart + namePart).left(63);
}

}  // namespace ml
