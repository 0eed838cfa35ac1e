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

}  // namespace mltest
