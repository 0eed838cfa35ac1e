#pragma once
// The pictures of the main window. Pictures found in the program folder's "图片" folder are used
// as they are; anything missing is drawn here, so the window is complete on any installation.

#include <QPixmap>
#include <QString>
#include <array>

namespace ml {

struct Art {
    QPixmap background;  // 1021 × 738
    QPixmap openLocal, openLocalHi, openRemote, openRemoteHi;  // 86 × 23
    std::array<QPixmap, 3> cmd, cmdHi;                         // settings, lookup, about
    QPixmap helpHide, hideHelp;                                // 855 × 73
    QPixmap whiteCi, whiteBai;                                 // 217 × 52, 173 × 56
    std::array<QPixmap, 25> keys;                              // 29 × 29, a … y
    std::array<QPixmap, 5> charts;                             // 800 × 293: 横 竖 撇 点 折

    static Art load(const QString& home);
};

// The Wubi 86 keyboard as the charts show it.
struct KeyInfo {
    char key;        // 'a' … 'y'
    int zone;        // 0 横, 1 竖, 2 撇, 3 点, 4 折
    QChar name;      // key-name character
    QChar shortCode; // the character the key alone types
};
const std::array<KeyInfo, 25>& wubiKeys();
QColor zoneColor(int zone);

}  // namespace ml
