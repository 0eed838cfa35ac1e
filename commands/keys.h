#pragma once
// The main window's key commands: the table of the input box (F1–F12, the chart keys, Enter at
// the end of a line, Page Down, Backspace) and the smaller one of the window itself, which
// answers before a practice file is open.

#include <QKeyEvent>
#include <QObject>

#include "practice/form1.h"

namespace ml {

class KeyCommands : public QObject, public Form1Commands {
public:
    explicit KeyCommands(Form1& form);
    void txtInput_KeyDown(qint16& KeyCode, qint16 Shift) override;
    void Form_KeyDown(qint16& KeyCode, qint16 Shift) override;

protected:
    // Takes the keys of the input box before the box acts on them, and the keys that reach the
    // window itself.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // A key in drill mode; always taken.
    bool drillKeyPress(QKeyEvent* ke);

    Form1& f_;
    // The input method has a composition open in the input box.
    bool composing_ = false;
};

// Gives the window its key commands.
void installCommands(Form1& form);

}  // namespace ml
