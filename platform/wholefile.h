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

// A NUL byte never stands in a code page 936 text: a file that holds one is a picture, a document,
// a program or text saved as UTF-16. Such bytes may still decode (NUL and most byte pairs are
// valid), so without this look the learner would be shown garbage instead of a message.
// Looks at the first 64 KiB of `path`; false when they hold no NUL or cannot be read (whoever
// reads the file then reports why). Reads no further, so a device like /dev/zero is judged at
// once.
bool startsLikeBinary(const QString& path);
// Why such a file is refused, in the learner's words.
QString binaryContentReason();

// True when `bytes` decode as code page 936 text; otherwise *error names the first bad byte,
// counted from 1.
bool isCp936Text(const QByteArray& bytes, QString* error);

}  // namespace ml
