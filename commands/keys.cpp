// The key handlers of the input box and of the window.
#include "commands/keys.h"

#include <QInputMethodEvent>
#include <QKeyEvent>

#include "commands/vkeys.h"

namespace ml {

namespace {
const QString T = QStringLiteral("T");
const QString F = QStringLiteral("F");

// F5–F9 each show one chart alone, in both key tables.
Picture* chartOfKey(Form1& f, qint16 key) {
    switch (key) {
        case vk::F5: return f.imgg;
        case vk::F6: return f.imgh;
        case vk::F7: return f.imgt;
        case vk::F8: return f.imgy;
        case vk::F9: return f.imgn;
        default: return nullptr;
    }
}
}  // namespace

KeyCommands::KeyCommands(Form1& form) : f_(form) {}

void installCommands(Form1& form) {
    auto commands = std::make_unique<KeyCommands>(form);
    form.txtInput->installEventFilter(commands.get());
    form.installEventFilter(commands.get());
    form.setCommands(std::move(commands));
}

bool KeyCommands::drillKeyPress(QKeyEvent* ke) {
    // Only the letters of the codes, the space bar, Backspace, Enter and the function keys act;
    // every other key is taken so that the box never sees it.
    if (ke->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return true;
    const int key = ke->key();
    if (key >= Qt::Key_A && key <= Qt::Key_Y) {
        // A key held down repeats; a code is typed a key at a time.
        if (!ke->isAutoRepeat()) f_.drillKey(QChar(u'a' + (key - Qt::Key_A)));
        return true;
    }
    if (key == Qt::Key_Space) {
        if (!ke->isAutoRepeat()) f_.drillKey(QChar(u' '));
        return true;
    }
    qint16 code = virtualKey(key);
    const bool function = code >= vk::F1 && code <= vk::F12;
    if (function || code == vk::Back || code == vk::Return) {
        if (!f_.txtInput->hasFocus() && f_.txtInput->isEnabled()) f_.txtInput->setFocus();
        txtInput_KeyDown(code, static_cast<qint16>(ke->modifiers() >> 25));
        f_.drillRefresh();
    }
    return true;
}

bool KeyCommands::eventFilter(QObject* watched, QEvent* event) {
    if (f_.inDrill() && (watched == f_.txtInput || watched == &f_)) {
        // Nothing is composed in a drill: an input method that still sends text is ignored.
        if (event->type() == QEvent::InputMethod) return true;
        if (event->type() == QEvent::KeyPress) {
            if (watched == &f_ && f_.txtInput->hasFocus()) return false;  // had it already
            return drillKeyPress(static_cast<QKeyEvent*>(event));
        }
        return false;
    }
    if (watched == f_.txtInput && event->type() == QEvent::InputMethod) {
        // While the input method composes, its pre-edit text is not part of the box's text.
        composing_ = !static_cast<QInputMethodEvent*>(event)->preeditString().isEmpty();
        return false;
    }
    if (event->type() != QEvent::KeyPress) return false;
    auto* ke = static_cast<QKeyEvent*>(event);
    if (watched == f_.txtInput) {
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
        return !f_.txtInput->isEnabled();
    }
    if (watched == &f_) {
        // Keys the input box did not want bubble up to the window; the box's own handler has
        // had them.
        if (f_.txtInput->hasFocus()) return false;
        qint16 code = virtualKey(ke->key());
        if (code == 0) return false;
        Form_KeyDown(code, static_cast<qint16>(ke->modifiers() >> 25));
        return code == 0;
    }
    return false;
}

void KeyCommands::txtInput_KeyDown(qint16& KeyCode, qint16 /*Shift*/) {
    Form1& f = f_;
    auto codeHintsOff = [&f] {
        f.BmHelp = 0;
        f.BmHelpAll = 0;
        f.hideCodeLabels();
        f.hideKeys();
    };
    auto hintsOff = [&f, &codeHintsOff] {
        f.Showhelp = F;
        f.imghidehelp->show();
        codeHintsOff();
    };

    if (f.inDrill()) {
        // Drill mode: F10 and F11 leave it for text practice, F12, Enter and Backspace act on the
        // round; the hint and chart keys work as in text practice; the rest changes nothing.
        switch (KeyCode) {
            case vk::F10:
            case vk::F11: f.leaveDrill(); break;
            case vk::F12: KeyCode = 0; return f.drillRestart();
            case vk::Return: KeyCode = 0; return f.drillEnter();
            case vk::Back: KeyCode = 0; return f.drillBackspace();
            case vk::F1: case vk::F2: case vk::F3: case vk::F4: case vk::F5: case vk::F6:
            case vk::F7: case vk::F8: case vk::F9: break;
            default: KeyCode = 0; return;
        }
    }
    if (KeyCode == vk::Escape) {
        f.chartHideAll();
        KeyCode = 0;
    }
    if (KeyCode == vk::F10) return f.Image3_Click();
    if (KeyCode == vk::F11) {
        f.Image4_Click();
        f.nowLianXiCiShu = 0;
        return;
    }
    if (KeyCode == vk::F12) {
        f.closeReader();
        f.nowLianXiCiShu = 0;
        f.Jindu = 1;
        f.JinduNow = 1;
        if (f.isLianxi == T) f.writeProgress(f.Jindu);
        if (!f.openReader(f.Fname)) return;
        f.Lianxi();
    }
    if (KeyCode == vk::F4 && f.Showhelp == T) {
        f.chartHideAll();
        if (f.BmHelpAll == 1) {
            codeHintsOff();
        } else {
            f.BmHelpAll = 1;
            f.BmHelp = 1;
            f.Helpme();
            f.showCodeLabels();
        }
    }
    if (KeyCode == vk::F3 && f.Showhelp == T) {
        f.chartHideAll();
        if (f.BmHelpAll != 0 || f.BmHelp != 0) {
            codeHintsOff();
        } else {
            f.BmHelp = 1;
            f.showCodeLabels();
            f.Helpme();
        }
    }
    if (KeyCode == vk::F1) {
        if (f.UseHelp != 0) {
            f.UseHelp = 0;
            f.TmpHelp = 0;
            hintsOff();
        } else if (f.TmpHelp == 0) {
            f.TmpHelp = 1;
            f.Showhelp = T;
            f.Helpme();
            f.imghidehelp->hide();
        } else {
            f.TmpHelp = 0;
            hintsOff();
        }
    }
    if (KeyCode == vk::F2) {
        if (f.UseHelp != 0) {
            f.UseHelp = 0;
            hintsOff();
        } else {
            f.UseHelp = 1;
            f.imghidehelp->hide();
            f.Showhelp = T;
            if (f.Jishu < 25) f.Helpme();
        }
    }
    if (KeyCode == vk::Up) {
        KeyCode = 0;
        f.chartCycle();
        return;
    }
    if (KeyCode == vk::Left) {
        KeyCode = 0;
        f.chartToggle(QStringLiteral("横"));
    }
    if (KeyCode == vk::Right) {
        KeyCode = 0;
        f.chartToggle(QStringLiteral("竖"));
    }
    if (KeyCode == vk::Down) {
        KeyCode = 0;
        f.chartToggle(QStringLiteral("折"));
    }
    if (KeyCode == vk::Next) f.Lianxi();
    if (Picture* chart = chartOfKey(f, KeyCode)) {
        KeyCode = 0;
        f.chartShowOne(chart);
    }
    if (KeyCode == vk::Return && f.Jishu >= f.Temp.size()) {
        KeyCode = 0;
        if (f.isLianxi == T && f.nowLianXiCiShu >= f.Lianxicishu) {
            ++f.JinduNow;
            f.writeProgress(f.JinduNow);
        }
        f.Lianxi();
        return;
    }
    if (KeyCode == vk::Back) {
        const QString text = f.txtInput->text();
        f.Jishu = static_cast<qint16>(text.size());
        if (f.Jishu > 0) f.oldInput = text.left(f.Jishu - 1);
        if (f.Jishu >= 1 && f.Jishu <= 28) f.setCellColor(f.Jishu, Form1::kWhite);
        f.Jishu = static_cast<qint16>(f.Jishu - 1);
        if (f.Showhelp == T && f.Jishu >= 0) f.Helpme();
    }
}

void KeyCommands::Form_KeyDown(qint16& KeyCode, qint16 /*Shift*/) {
    Form1& f = f_;
    if (Picture* chart = chartOfKey(f, KeyCode)) {
        KeyCode = 0;
        return f.chartShowOne(chart);
    }
    switch (KeyCode) {
        case vk::F1: return;
        case vk::Escape: KeyCode = 0; return f.chartHideAll();
        case vk::F10: return f.Image3_Click();
        case vk::F11: return f.Image4_Click();
        case vk::Up: KeyCode = 0; return f.chartCycle();
        case vk::Left: KeyCode = 0; return f.chartToggle(QStringLiteral("横"));
        case vk::Right: KeyCode = 0; return f.chartToggle(QStringLiteral("竖"));
        case vk::Down: KeyCode = 0; return f.chartToggle(QStringLiteral("折"));
        default: return;
    }
}

}  // namespace ml
