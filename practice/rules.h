#pragma once
// Pure rules of the practice session: texts, names and checks that need no window.

#include <QByteArray>
#include <QString>
#include <QStringView>

namespace ml {

// "config" holds the count as one blank, the digit, one blank and CR LF.
QByteArray configBytes(int count);

// The three figures under the input box.
QString timeText(double elapsedSeconds);
QString speedText(qint64 types, double elapsedSeconds);
QString accuracyText(qint64 rightTypes, qint64 types);

// The text after the last path separator ("\" or "/"); the whole path when there is none.
QString fileNameOf(const QString& path);
// The progress file's name for a practice file: its file name less the last four characters,
// then ".SAV".
QString progressFileName(const QString& practicePath);
// The open dialog only accepts names ending in ".txt", in any letter case.
bool hasTxtExtension(const QString& path);
// The path as the file-name bar shows it, at most 63 characters.
QString shortenPath(const QString& path);

}  // namespace ml
