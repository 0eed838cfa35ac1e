#pragma once
// A platform for tests: dialogs answer from queues, and everything shown or played is recorded.

#include <QList>
#include <QString>
#include <QStringList>

#include "platform/platform.h"

namespace mltest {

struct ShownMessage {
    QString text;
    ml::MsgIcon icon;
    ml::MsgButtons buttons;
};

class ScriptedPlatform : public ml::Platform {
public:
    ml::MsgResult messageBox(QWidget*, const QString& text, ml::MsgIcon icon,
                             ml::MsgButtons buttons) override;
    QString openFileName(QWidget*, const ml::FileDialogRequest& request) override;
    QString saveFileName(QWidget*, const ml::FileDialogRequest& request) override;
    void playSound(const QString& path) override { sounds << path; }
    double seconds() override { return now; }
    void openUrl(const QString& url) override { urls << url; }

    // Answers, taken in order; an empty queue answers OK / cancels the dialog.
    QList<ml::MsgResult> messageAnswers;
    QStringList openAnswers;
    QStringList saveAnswers;

    // What happened.
    QList<ShownMessage> messages;
    QList<ml::FileDialogRequest> openRequests;
    QList<ml::FileDialogRequest> saveRequests;
    QStringList sounds;
    QStringList urls;
    double now = 1000.0;
};

}  // namespace mltest
