#pragma once
// The pictures of the main window. The build draws them into the program folder's "图片" folder
// (tools/art); a picture whose file is missing or unreadable is drawn here with the same code, so
// the window is complete on any installation.

#include <QIcon>
#include <QPixmap>
#include <QString>
#include <array>

namespace ml {

struct Art {
    QPixmap background;                                        // 1021 × 738
    QPixmap openLocal, openLocalHi, openRemote, openRemoteHi;  // 86 × 23
    std::array<QPixmap, 4> cmd, cmdHi;                         // settings, lookup, about, statistics
    QPixmap helpHide, hideHelp;                                // 855 × 73
    QPixmap whiteCi, whiteBai;                                 // 217 × 52, 173 × 56
    std::array<QPixmap, 25> keys;                              // 29 × 29, a … y
    std::array<QPixmap, 5> charts;                             // 800 × 293: 横 竖 撇 点 折

    // `dpr` is the screen's device pixel ratio; by default the highest of the screens. Above 1
    // the "@2x" files are preferred.
    static Art load(const QString& home, qreal dpr = 0);

    // One picture of "图片" by its 1× file name, e.g. "settings.png" (53 × 53) or "about.png"
    // (64 × 64), with the same preference and fallback.
    static QPixmap picture(const QString& home, const QString& file, qreal dpr = 0);
    // The same as an image, in the format a pixmap takes it without converting; safe to call
    // on a worker thread when `dpr` is given.
    static QImage image(const QString& home, const QString& file, qreal dpr);

    // The application icon, from "图片/icon.png" and "图片/icon_48.png".
    static QIcon appIcon(const QString& home);
};

}  // namespace ml
