// The key handlers of the input box and of the window.
#include <QInputMethodEvent>
#include <QKeyEvent>

#include "commands/vkeys.h"
#include "practice/form1.h"

namespace ml {

namespace {
const QString T = QStringLiteral("T");
const QString F = QStringLiteral("F");
}  // namespace

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == txtInput && event->type() == QEvent::InputMethod) {
        // While the input method composes, its pre-edit text is not part of the box's text.
        composing_ = !static_cast<QInputMethodEvent*>(event)->preeditString().isEmpty();
    }
    if (watched == txtInput && event->type() == QEvent::KeyPress) {
        auto* ke = static_cast<QKeyEvent*>(event);
        qint16 code = virtualKey(ke->key());
        if (code == 0) return false;
        // During a composition Backspace, Enter, Esc and the cursor keys belong to the input
        // method (deleting in the composition, committing it, choosing a candidate); only the
        // function keys are commands then.
        if (composing_ && (code < vk::F1 || code > vk::F12)) return false;
        txtInput_KeyDown(code, static_cast<qint16>(ke->modifiers() >> 25));
        // A consumed key never reaches the box (a consumed cursor key does not move the caret).
        if (code == 0) return true;
        // A command that ended the practice (an open that failed) disabled the box and moved the
        // focus to the window: the box would ignore the key and let it bubble up to the window's
        // own handler, which would run F10 or F11 a second time.
        return !txtInput->isEnabled();
    }
    return QWidget::eventFilter(watched, event);
}

void Form1::keyPressEvent(QKeyEvent* e) {
    // Keys the input box did not want bubble up here; the box's own handler has had them.
    if (txtInput->hasFocus()) return QWidget::keyPressEvent(e);
    qint16 code = virtualKey(e->key());
    if (code != 0) Form_KeyDown(code, static_cast<qint16>(e->modifiers() >> 25));
    if (code == 0)
        e->accept();
    else
        QWidget::keyPressEvent(e);
}

void Form1::txtInput_KeyDown(qint16& KeyCode, qint16 /*Shift*/) {
    auto hintsOff = [this] {
        Showhelp = F;
        imghidehelp->show();
        BmHelp = 0;
        BmHelpAll = 0;
        hideCodeLabels();
        hideKeys();
    };
    auto codeHintsOff = [this] {
        BmHelp = 0;
        BmHelpAll = 0;
        hideCodeLabels();
        hideKeys();
    };

    if (KeyCode == vk::Escape) {
        chartHideAll();
        KeyCode = 0;
    }
    if (KeyCode == vk::F10) return Image3_Click();
    if (KeyCode == vk::F11) {
        Image4_Click();
        nowLianXiCiShu = 0;
        return;
    }
    if (KeyCode == vk::F12) {
        reader_.reset();
        nowLianXiCiShu = 0;
        Jindu = 1;
        JinduNow = 1;
        if (isLianxi == T) writeProgress(Jindu);
        if (!openReader(Fname)) return;
        Lianxi();
    }
    if (KeyCode == vk::F4 && Showhelp == T) {
        chartHideAll();
        if (BmHelpAll == 1) {
            codeHintsOff();
        } else {
            BmHelpAll = 1;
            BmHelp = 1;
            Helpme();
            showCodeLabels();
        }
    }
    if (KeyCode == vk::F3 && Showhelp == T) {
        chartHideAll();
        if (BmHelpAll != 0 || BmHelp != 0) {
            codeHintsOff();
        } else {
            BmHelp = 1;
            showCodeLabels();
            Helpme();
        }
    }
    if (KeyCode == vk::F1) {
        if (UseHelp != 0) {
            UseHelp = 0;
            TmpHelp = 0;
            hintsOff();
        } else if (TmpHelp == 0) {
            TmpHelp = 1;
            Showhelp = T;
            Helpme();
            imghidehelp->hide();
        } else {
            TmpHelp = 0;
            hintsOff();
        }
    }
    if (KeyCode == vk::F2) {
        if (UseHelp != 0) {
            UseHelp = 0;
            hintsOff();
        } else {
            UseHelp = 1;
            imghidehelp->hide();
            Showhelp = T;
            if (Jishu < 25) Helpme();
        }
    }
    if (KeyCode == vk::Up) {
        KeyCode = 0;
        chartCycle();
        return;
    }
    if (KeyCode == vk::Left) {
        KeyCode = 0;
        chartToggle(QStringLiteral("横"));
    }
    if (KeyCode == vk::Right) {
        KeyCode = 0;
        chartToggle(QStringLiteral("竖"));
    }
    if (KeyCode == vk::Down) {
        KeyCode = 0;
        chartToggle(QStringLiteral("折"));
    }
    if (KeyCode == vk::Next) Lianxi();
    if (KeyCode == vk::F7) {
        KeyCode = 0;
        chartShowOne(imgt);
    }
    if (KeyCode == vk::F8) {
        KeyCode = 0;
        chartShowOne(imgy);
    }
    if (KeyCode == vk::F5) {
        KeyCode = 0;
        chartShowOne(imgg);
    }
    if (KeyCode == vk::F6) {
        KeyCode = 0;
        chartShowOne(imgh);
    }
    if (KeyCode == vk::F9) {
        KeyCode = 0;
        chartShowOne(imgn);
    }
    if (KeyCode == vk::Return && Jishu >= Temp.size()) {
        KeyCode = 0;
        if (isLianxi == T && nowLianXiCiShu >= Lianxicishu) {
            ++JinduNow;
            writeProgress(JinduNow);
        }
        Lianxi();
        return;
    }
    if (KeyCode == vk::Back) {
        const QString text = txtInput->text();
        Jishu = static_cast<qint16>(text.size());
        if (Jishu > 0) oldInput = text.left(Jishu - 1);
        if (Jishu >= 1 && Jishu <= 28) setCellColor(Jishu, kWhite);
        Jishu = static_cast<qint16>(Jishu - 1);
        if (Showhelp == T && Jishu >= 0) Helpme();
    }
}

void Form1::Form_KeyDown(qint16& KeyCode, qint16 /*Shift*/) {
    switch (KeyCode) {
        case vk::F1: return;
        case vk::Escape: KeyCode = 0; return chartHideAll();
        case vk::F7: KeyCode = 0; return chartShowOne(imgt);
        case vk::F8: KeyCode = 0; return chartShowOne(imgy);
        case vk::F5: KeyCode = 0; return chartShowOne(imgg);
        case vk::F6: KeyCode = 0; return chartShowOne(imgh);
        case vk::F9: KeyCode = 0; return chartShowOne(imgn);
        case vk::F10: return Image3_Click();
        case vk::F11: return Image4_Click();
        case vk::Up: KeyCode = 0; return chartCycle();
        case vk::Left: KeyCode = 0; return chartToggle(QStringLiteral("横"));
        case vk::Right: KeyCode = 0; return chartToggle(QStringLiteral("竖"));
        case vk::Down: KeyCode = 0; return chartToggle(QStringLiteral("折"));
        default: return;
    }
}

}  // namespace ml
