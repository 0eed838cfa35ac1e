#pragma once
// Opens the dialogs the main window asks for: the settings, the code lookup, the About dialog and
// the course's lesson picker, each beside the window without blocking it, one of each at a time
// (asking again brings the open one forward). They are windows of their own, not children of the
// main window, so the tutor ends only when the last of them is closed too.

#include <QObject>
#include <QPointer>

namespace ml {

class Form1;
class findit;
class frmAbout;
class LessonPicker;
class readandset;

class DialogHost : public QObject {
    Q_OBJECT
public:
    explicit DialogHost(Form1& form);
    ~DialogHost() override;

    void showSettings();
    void showLookup();
    void showAbout();
    void showCourse();

    // The open dialogs, or null.
    readandset* settings() const;
    findit* lookup() const;
    frmAbout* about() const;
    LessonPicker* course() const;

private:
    Form1& form_;
    QPointer<readandset> settings_;
    QPointer<findit> lookup_;
    QPointer<frmAbout> about_;
    QPointer<LessonPicker> course_;
};

// Answers the window's requests for dialogs from now on.
DialogHost& installDialogs(Form1& form);
// The host installed on `form`, or null.
DialogHost* dialogsOf(const Form1& form);

}  // namespace ml
