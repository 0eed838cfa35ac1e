#pragma once
// Everything the tutor needs from the machine it runs on, behind one interface: message boxes,
// file dialogs, sounds, the clock and the shell. The window talks to the outside only through
// this, so tests drive it with a scripted platform that answers dialogs and records what was
// shown and played.

#include <QString>

class QWidget;

namespace ml {

inline const QString kAppTitle = QStringLiteral("墨岚输入法");
// The filter as written in the tutor's own notation; fileDialogFilter() turns it into Qt's.
inline const QString kPracticeFilter = QStringLiteral("五笔练习文本文件(*.txt)|*.txt");

enum class MsgIcon { None, Exclamation, Stop, Information };
enum class MsgButtons { Ok, OkCancel };
enum class MsgResult { Ok, Cancel };

struct FileDialogRequest {
    QString initialDir;
    QString defaultExt;  // "*.txt"
    QString filter;      // "描述|模式|描述|模式…"
    QString fileName;    // preset name; the chosen path comes back as the result
};

// "五笔练习文本文件(*.txt)|*.txt" -> "五笔练习文本文件(*.txt) (*.txt)" (Qt's ";;" separated form).
QString fileDialogFilter(const QString& filter);

class Platform {
public:
    virtual ~Platform() = default;
    // A message box titled with the application's title; blocks until answered.
    virtual MsgResult messageBox(QWidget* parent, const QString& text, MsgIcon icon,
                                 MsgButtons buttons) = 0;
    // Modal open and save-as dialogs; return the chosen full path, or "" when cancelled.
    virtual QString openFileName(QWidget* parent, const FileDialogRequest& request) = 0;
    virtual QString saveFileName(QWidget* parent, const FileDialogRequest& request) = 0;
    // Plays a WAV file without waiting; a new sound stops the one still playing; a missing or
    // unplayable file gives the platform's default sound.
    virtual void playSound(const QString& path) = 0;
    // A sound may be wanted soon: get ready to play without blocking (nothing by default).
    virtual void prepareSound() {}
    // Seconds on a monotonic clock, always > 0; never jumps back (no wrap at midnight).
    virtual double seconds() = 0;
    // Asks the desktop to open a web address; the result is not examined.
    virtual void openUrl(const QString& url) = 0;
};

}  // namespace ml
