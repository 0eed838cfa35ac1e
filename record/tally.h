#pragma once
// What one pass through a practice file adds up to, kept in memory as the characters are judged,
// so that the summary at the end of the pass needs neither the record nor a query.

#include <QChar>
#include <QHash>
#include <QList>
#include <QPair>
#include <QtGlobal>

namespace ml::record {

class PassTally {
public:
    void reset();
    // One judged character; gapMs is the time since the previous judged one (-1 for none).
    void add(char16_t target, bool right, qint32 gapMs);

    qint64 judged() const { return judged_; }
    qint64 right() const { return right_; }
    // Typing time without pauses of more than 10 s.
    qint64 activeMs() const { return activeMs_; }
    // Characters per minute over the active time; 0 when no time was taken.
    int speed() const;
    // Per cent right, rounded down as the window's own figure is.
    int accuracy() const;
    // The targets typed wrong most often, most first; equal counts in the order first missed.
    QList<QPair<QChar, int>> mostMissed(int n) const;

private:
    qint64 judged_ = 0, right_ = 0, activeMs_ = 0;
    QHash<char16_t, int> misses_;
    QList<char16_t> missOrder_;
};

}  // namespace ml::record
