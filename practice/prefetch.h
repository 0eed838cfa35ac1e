#pragma once
// What the hint display needs for the coming keystrokes, readied ahead in idle time: the
// decomposition pictures decoded into Qt's pixmap cache, and the dictionary's answers for each
// character and for each pair that may start a word. A cold picture costs a file read and a GIF
// decode (about 0.1-0.2 ms) and a lookup about as much as the rest of a hinted keystroke, too much
// for the keystroke that needs them. One position is readied per turn of the event loop, so a
// keystroke that arrives meanwhile waits for one decode at most.

#include <QHash>
#include <QObject>
#include <QPixmap>
#include <QPixmapCache>
#include <QString>
#include <QTimer>
#include <functional>
#include <optional>

#include "hints/dictionary.h"

namespace ml {

class HintPrefetch : public QObject {
public:
    // `warm` readies what the hint for the character at index `i` of `line` needs; it returns
    // false when there was nothing to do (all of it was ready already).
    using Warm = std::function<bool(const QString& line, qsizetype i)>;
    HintPrefetch(Warm warm, QObject* parent);
    // Replaces what is still to be done by the positions of `line` from `from` on, then those
    // of `next` (the start of the line after it), in order.
    void want(const QString& line, qsizetype from, const QString& next);
    bool idle() const { return part_ >= 2; }

private:
    void step();
    bool advance();
    Warm warm_;
    QString parts_[2];
    int part_ = 2;
    qsizetype next_ = 0;
    QTimer timer_;
};

// Decomposition pictures by character. The pixmaps live in Qt's pixmap cache, which bounds their
// memory; this keeps the cache's own keys for them, so that a keystroke finds its picture without
// building the file's path or hashing it. A picture the cache has dropped is read again.
class PictureCache {
public:
    // `folder` is where the pictures lie, ending in a separator.
    explicit PictureCache(QString folder) : folder_(std::move(folder)) {}
    // The picture of `ch` when it is decoded already.
    bool find(const QString& ch, bool hiDpi, QPixmap* pm) const;
    // The picture of `ch`, decoded from its file when it is not in the cache; false when there is
    // none. Only successful reads are kept: a picture added while the tutor runs is found at
    // once, and one changed on disk is seen after a restart.
    bool get(const QString& ch, bool hiDpi, QPixmap* pm);

private:
    struct Entry {
        QPixmapCache::Key key;
        bool hiDpi = false;
    };
    QString folder_;
    QHash<QString, Entry> keys_;
};

// The dictionary's answers, kept: it is opened read-only inside one long read transaction, so an
// answer cannot change while the tutor runs. A failed lookup is not kept, so it fails again the
// same way (and is told the same way) the next time. At most kLimit answers are kept; the memo
// starts afresh when it is full.
class LookupMemo {
public:
    static constexpr qsizetype kLimit = 4096;
    std::optional<CodeDictionary::Result> search(CodeDictionary* dict, const QString& query);
    bool contains(const QString& query) const { return answers_.contains(query); }

private:
    QHash<QString, CodeDictionary::Result> answers_;
};

}  // namespace ml
