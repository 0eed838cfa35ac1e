#pragma once
// What the learning record "练习记录.db" holds, as the tutor hands it over: sessions, judged
// characters, and the keystrokes of the code drills.
//
// Times of day are UTC milliseconds since 1970; latencies are milliseconds on the tutor's
// monotonic clock. A character is one UTF-16 code unit, as everywhere in the tutor.

#include <QString>
#include <QtGlobal>

namespace ml::record {

inline const QString kFileName = QStringLiteral("练习记录.db");

// Gaps between judged characters longer than this are pauses: they do not count as practice.
constexpr qint64 kPauseMs = 10'000;

enum class SessionKind {
    Practice = 0,  // a practice file, local or remote
    Drill = 1,     // a code drill of a lesson
};

// One opening of a practice file (or one drill), until the next opening or the window closing.
struct SessionInfo {
    SessionKind kind = SessionKind::Practice;
    QString path;      // the practice file as opened
    QString name;      // its base name (file name without the extension)
    bool remote = false;
    int repeats = 1;   // the repeat count at the opening
    QString lesson;    // drills: the lesson practised
    qint64 startedMs = 0;  // 0: now
};

// One judged character. A word committed at once gives one row per character; only the first
// carries the latency.
struct CharRow {
    qint32 line = 0;     // the practice line's number, from 1
    qint32 pos = 0;      // position in the line, from 1
    char16_t target = 0; // 0 when typed beyond the end of the line
    char16_t typed = 0;
    bool right = false;
    // Milliseconds since the previous judged character; -1 for the first of a line and for the
    // later characters of a word committed at once.
    qint32 ms = -1;
    // Milliseconds since the previous judged character of the session, whatever the line; -1 for
    // the session's first. Only for the active time; not stored.
    qint32 gapMs = -1;
    bool hintDisplay = false;  // the hint display was on while it was typed
    bool codeHints = false;    // the code hints were on
};

// One keystroke of a code drill: a letter typed against the letter the target's code expects.
struct KeyRow {
    QString lesson;
    QString item;        // what was being coded (a character, a word, a root)
    char expected = 0;   // 'a' … 'y'; 0 when nothing more was expected
    char typed = 0;
    bool right = false;
    qint32 ms = -1;      // since the previous key of the item; -1 for the first
    qint32 gapMs = -1;   // since the previous key of the session (active time only)
};

}  // namespace ml::record
