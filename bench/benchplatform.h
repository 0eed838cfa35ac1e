#pragma once
// A platform that does nothing, so that a benchmark measures the window and not dialogs or audio.
// It counts messages and sounds: a benchmark whose setup went wrong (a dictionary that did not
// open, a wrong keystroke) shows up as a message or a sound and is reported instead of timed.

#include <QString>

#include "platform/platform.h"

namespace mlbench {

class QuietPlatform : public ml::Platform {
public:
    ml::MsgResult messageBox(QWidget*, const QString& text, ml::MsgIcon, ml::MsgButtons) override {
        ++messages;
        lastMessage = text;
        return ml::MsgResult::Ok;
    }
    QString openFileName(QWidget*, const ml::FileDialogRequest&) override { return {}; }
    QString saveFileName(QWidget*, const ml::FileDialogRequest&) override { return {}; }
    void playSound(const QString& path) override {
        ++sounds;
        lastSound = path;
    }
    // Time stands still: the session clock's display is not what is measured.
    double seconds() override { return 1000.0; }
    void openUrl(const QString&) override {}

    int messages = 0;
    int sounds = 0;
    QString lastMessage;
    QString lastSound;
};

}  // namespace mlbench
