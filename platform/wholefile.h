#pragma once
// Reading a small text file whole: the classroom's shared text is read once into memory, so that
// a share that drops during practice does not break the current pass.

#include <QByteArray>
#include <QString>

namespace ml {

// Reads the file at a local (or mounted) path, refusing what cannot be a text: a missing file, a
// folder, a device or pipe (which would block on opening), and more than `maxBytes` (read against
// the cap, not the size seen before, since the file may grow meanwhile).
bool readWholeFile(const QString& path, qint64 maxBytes, QByteArray* bytes, QString* error);

// True when `bytes` decode as code page 936 text; otherwise *error names the first bad byte,
// counted from 1.
bool isCp936Text(const QByteArray& bytes, QString* error);

}  // namespace ml
