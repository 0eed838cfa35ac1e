// The typing checker: runs after every change of the input box.
#include "form1.h"

namespace ml {

void Form1::endTemporaryHints() {
    if (!BigHelp.isEmpty()) {
        BigHelp.clear();
        Bigshow();
    }
    if (TmpHelp == 1 && UseHelp == 0) {
        TmpHelp = 0;
        Showhelp = QStringLiteral("F");
        imghidehelp->show();
        BmHelp = 0;
        BmHelpAll = 0;
        hideCodeLabels();
    }
    if (BmHelpAll == 0) {
        BmHelp = 0;
        hideCodeLabels();
        hideKeys();
    }
    if (BmHelpAll == 1 && BmHelp == 0) {
        BmHelp = 1;
        showCodeLabels();
    }
}

void Form1::txtInput_Change() {
    // The drill shows its own keys in the box and judges them itself.
    if (inDrill()) return;
    // For the record: the hints as they were while the character was typed, before this change
    // ends the temporary ones.
    const bool hintDisplay = Showhelp == QStringLiteral("T");
    const bool codeHints = BmHelp == 1;
    endTemporaryHints();

    const QString text = txtInput->text();
    if (text.size() <= oldInput.size()) return;
    const qsizetype from = oldInput.size();
    oldInput = text;

    // An input method commits a whole word in one change: every added character is judged on
    // its own cell.
    bool wrong = false;
    const double now = platform_.seconds();
    for (qsizetype pos = from + 1; pos <= text.size(); ++pos) {
        ++Types;
        if (Times == 0) {
            Timer1->start();
            Times = platform_.seconds();
        }
        Jishu = static_cast<qint16>(pos);
        const bool right = pos <= Temp.size() && text.at(pos - 1) == Temp.at(pos - 1);
        if (right) {
            ++RightTypes;
            if (pos >= 1 && pos <= 28) setCellColor(static_cast<int>(pos), rightColor());
        } else {
            if (pos >= 1 && pos <= 28) setCellColor(static_cast<int>(pos), kRed);
            wrong = true;
        }
        recordJudged(pos, text.at(pos - 1), right, pos == from + 1, now, hintDisplay, codeHints);
    }
    // One sound per change: a new sound would cut the previous one off anyway.
    if (wrong) platform_.playSound(dataPath(QStringLiteral("声音/打错字.wav")));

    if (Showhelp == QStringLiteral("T")) Helpme();

    if (Jishu == 28 && Temp.right(2) == text.right(2)) {
        if (isLianxi == QStringLiteral("T") && nowLianXiCiShu >= Lianxicishu) {
            ++JinduNow;
            writeProgress(JinduNow);
        }
        Lianxi();
    }
}

}  // namespace ml
