#pragma once
// The state and the extra elements of the main window's drill mode "编码练习". Created the first
// time the mode is entered; until then the window is exactly the text-practice window.

#include <QLabel>
#include <QRect>
#include <QTimer>
#include <QString>
#include <optional>

#include "course/coach.h"
#include "course/drill.h"
#include "practice/drillline.h"

namespace ml {

class Picture;

struct DrillMode {
    // The line of items over the practice panel (object name "drillline").
    DrillLine* line = nullptr;
    // "lbwhy": why the last key was wrong, or how the round went.
    QLabel* why = nullptr;
    // "lbdrill": on the white cover of the hint area while hints are off: the lesson, the round,
    // the goal and the keys.
    QLabel* board = nullptr;
    // "lbmafen": the speed's unit, codes a minute, with the characters a minute under it.
    QLabel* unit = nullptr;
    // "imgnextkey": the next key, ringed on the keyboard chart; "imgspacekey": the space bar,
    // which the chart has no cell for.
    Picture* nextKey = nullptr;
    Picture* spaceKey = nullptr;
    // Writes the keys kept in memory once the learner pauses, so that little is lost if the
    // tutor is killed rather than closed.
    QTimer* flush = nullptr;

    bool active = false;
    QString lesson;
    std::optional<course::Round> round;
    std::optional<course::RoundReport> report;  // set once the round is over
    int whyItem = -1;  // the item the explanation is about

    // The session: figures since the lesson was entered, as the clock shows them.
    double start = 0;  // platform seconds of the first key; 0 before it
    qint64 keys = 0;
    qint64 rightKeys = 0;
    qint64 characters = 0;

    // Text practice as it was left.
    struct Saved {
        bool helpHide = false;
        QRect input;
        Qt::InputMethodHints hints;
    } saved;
};

}  // namespace ml
