#pragma once
// The real platform: Qt dialogs, SDL2 sound, a monotonic clock, the desktop's URL handler.

#include <QElapsedTimer>
#include <memory>

#include "platform.h"

namespace ml {

class SoundPlayer;

class QtPlatform : public Platform {
public:
    QtPlatform();
    ~QtPlatform() override;
    MsgResult messageBox(QWidget* parent, const QString& text, MsgIcon icon,
                         MsgButtons buttons) override;
    QString openFileName(QWidget* parent, const FileDialogRequest& request) override;
    QString saveFileName(QWidget* parent, const FileDialogRequest& request) override;
    void playSound(const QString& path) override;
    void prepareSound() override;
    double seconds() override;
    void openUrl(const QString& url) override;

private:
    QElapsedTimer clock_;
    std::unique_ptr<SoundPlayer> sound_;
};

}  // namespace ml
