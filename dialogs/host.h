#pragma once
// Opens the dialogs the main window asks for: the settings, the code lookup, the About dialog and
// the course's lesson picker, each beside the window without blocking it, one of each at a time
// (asking again brings the open one forward). They are windows of their own, not children of the
// main window, so the tutor ends only when the last of them is closed too.

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <memory>

namespace ml {

class Form1;
class PassSummary;
class StatsProvider;
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
    // The statistics window "练习统计"; its module is loaded on the first call. When the module
    // cannot be loaded the learner is told so and nothing opens.
    void showStatistics();
    // The summary of the pass that just ended.
    void showSummary();

    // The open dialogs, or null.
    readandset* settings() const;
    findit* lookup() const;
    frmAbout* about() const;
    LessonPicker* course() const;
    QWidget* statistics() const;
    PassSummary* summary() const;

    // The key that opens the statistics from anywhere in the main window.
    static constexpr int kStatisticsKey = 0x04000000 | 0x54;  // Ctrl+T

private:
    Form1& form_;
    QPointer<readandset> settings_;
    QPointer<findit> lookup_;
    QPointer<frmAbout> about_;
    QPointer<LessonPicker> course_;
    std::unique_ptr<StatsProvider> statsProvider_;
    QPointer<QWidget> statistics_;
    QPointer<PassSummary> summary_;
};

// Answers the window's requests for dialogs from now on.
DialogHost& installDialogs(Form1& form);
// The host installed on `form`, or null.
DialogHost* dialogsOf(const Form1& form);

}  // namespace ml
