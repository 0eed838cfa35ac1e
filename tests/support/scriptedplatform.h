#pragma once
// A platform for tests: dialogs answer from queues, and everything shown or played is recorded.

#include <QIODevice>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

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
    // The real files unless a test hands in others (files that fail part way, say).
    std::unique_ptr<QIODevice> progressDevice(const QString& path) override;
    std::unique_ptr<QIODevice> conversionDevice(const QString& path) override;
    std::function<std::unique_ptr<QIODevice>(const QString&)> progressDevices;
    std::function<std::unique_ptr<QIODevice>(const QString&)> conversionDevices;

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
