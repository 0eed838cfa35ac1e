#include "scriptedplatform.h"

namespace mltest {

ml::MsgResult ScriptedPlatform::messageBox(QWidget*, const QString& text, ml::MsgIcon icon,
                                           ml::MsgButtons buttons) {
    messages.append({text, icon, buttons});
    return messageAnswers.isEmpty() ? ml::MsgResult::Ok : messageAnswers.takeFirst();
}

QString ScriptedPlatform::openFileName(QWidget*, const ml::FileDialogRequest& request) {
    openRequests.append(request);
    return openAnswers.isEmpty() ? QString() : openAnswers.takeFirst();
}

QString ScriptedPlatform::saveFileName(QWidget*, const ml::FileDialogRequest& request) {
    saveRequests.append(request);
    return saveAnswers.isEmpty() ? QString() : saveAnswers.takeFirst();
}

std::unique_ptr<QIODevice> ScriptedPlatform::progressDevice(const QString& path) {
    return progressDevices ? progressDevices(path) : ml::Platform::progressDevice(path);
}

std::unique_ptr<QIODevice> ScriptedPlatform::conversionDevice(const QString& path) {
    return conversionDevices ? conversionDevices(path) : ml::Platform::conversionDevice(path);
}

}  // namespace mltest
