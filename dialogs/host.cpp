#include "host.h"

#include <QMetaObject>
#include <QShortcut>

#include "dialogs/findit.h"
#include "dialogs/frmabout.h"
#include "dialogs/lessonpicker.h"
#include "dialogs/readandset.h"
#include "dialogs/statshost.h"
#include "dialogs/summary.h"
#include "practice/form1.h"

namespace ml {

namespace {
void bringForward(QWidget* w) {
    w->show();
    w->raise();
    w->activateWindow();
}
}  // namespace

DialogHost::DialogHost(Form1& form) : QObject(&form), form_(form) {
    setObjectName(QStringLiteral("dialogs"));
    connect(&form, &Form1::settingsRequested, this, &DialogHost::showSettings);
    connect(&form, &Form1::lookupRequested, this, &DialogHost::showLookup);
    connect(&form, &Form1::aboutRequested, this, &DialogHost::showAbout);
    connect(&form, &Form1::closing, this, &DialogHost::showAbout);
    connect(&form, &Form1::courseRequested, this, &DialogHost::showCourse);
    connect(&form, &Form1::statisticsRequested, this, &DialogHost::showStatistics);
    connect(&form, &Form1::passCompleted, this, &DialogHost::showSummary);
    // Ctrl+T: no input method takes it, and the line edit has no use for it.
    auto* key = new QShortcut(QKeySequence(kStatisticsKey), &form);
    key->setObjectName(QStringLiteral("statisticsKey"));
    key->setContext(Qt::WindowShortcut);
    connect(key, &QShortcut::activated, this, &DialogHost::showStatistics);
}

DialogHost::~DialogHost() {
    // The lookup dialog searches the window's dictionary and the settings dialog edits its
    // repeat count: neither may outlive the window.
    delete settings_.data();
    delete lookup_.data();
    delete about_.data();
    delete course_.data();
    // The statistics window asks its provider for figures: it goes first.
    delete statistics_.data();
    statsProvider_.reset();
}

readandset* DialogHost::settings() const { return settings_.data(); }
findit* DialogHost::lookup() const { return lookup_.data(); }
frmAbout* DialogHost::about() const { return about_.data(); }
LessonPicker* DialogHost::course() const { return course_.data(); }
QWidget* DialogHost::statistics() const { return statistics_.data(); }
PassSummary* DialogHost::summary() const { return summary_.data(); }

void DialogHost::showSettings() {
    if (!settings_) settings_ = new readandset(form_);
    bringForward(settings_);
}

void DialogHost::showLookup() {
    if (!lookup_) lookup_ = new findit(form_.platform(), form_.folder().data, form_.dictionary());
    bringForward(lookup_);
}

void DialogHost::showAbout() {
    if (!about_) about_ = new frmAbout(form_.platform(), form_.folder().data);
    bringForward(about_);
}

void DialogHost::showCourse() {
    if (!course_)
        course_ = new LessonPicker(form_);
    else
        course_->refresh();
    bringForward(course_);
}

void DialogHost::showStatistics() {
    if (statistics_) {
        // Brought forward after more practice: the figures are read again.
        QMetaObject::invokeMethod(statistics_, "refresh");
        bringForward(statistics_);
        return;
    }
    if (!statsProvider_) statsProvider_ = std::make_unique<StatsProvider>(form_);
    QString message;
    QWidget* w = createStatsWindow(statsProvider_.get(), &message);
    if (!w) {
        form_.platform().messageBox(&form_, message, MsgIcon::Exclamation, MsgButtons::Ok);
        return;
    }
    w->setAttribute(Qt::WA_DeleteOnClose);
    statistics_ = w;
    bringForward(w);
}

void DialogHost::showSummary() {
    if (!summary_) summary_ = new PassSummary(form_);
    summary_->showPass();
}

DialogHost& installDialogs(Form1& form) { return *new DialogHost(form); }

DialogHost* dialogsOf(const Form1& form) {
    return form.findChild<DialogHost*>(QStringLiteral("dialogs"), Qt::FindDirectChildrenOnly);
}

}  // namespace ml
