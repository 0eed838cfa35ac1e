#include "qtplatform.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>

#include "sound.h"

namespace ml {

QString fileDialogFilter(const QString& filter) {
    // Pairs of description and pattern, separated by "|".
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        out << parts[i] + QStringLiteral(" (") + patterns + QLatin1Char(')');
    }
    if (parts.size() % 2 == 1 && !parts.last().isEmpty()) out << parts.last();
    return out.join(QStringLiteral(";;"));
}

QtPlatform::QtPlatform() : sound_(std::make_unique<SoundPlayer>()) { clock_.start(); }
QtPlatform::~QtPlatform() = default;

MsgResult QtPlatform::messageBox(QWidget* parent, const QString& text, MsgIcon icon,
                                 MsgButtons buttons) {
    QMessageBox box(parent);
    box.setWindowTitle(kAppTitle);
    // The tutor's messages separate sentences with CR; Qt's plain-text labels break on LF.
    QString shown = text;
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    box.setText(shown);
    box.setTextFormat(Qt::PlainText);
    switch (icon) {
        case MsgIcon::Exclamation: box.setIcon(QMessageBox::Warning); break;
        case MsgIcon::Stop: box.setIcon(QMessageBox::Critical); break;
        case MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
        case MsgIcon::None: box.setIcon(QMessageBox::NoIcon); break;
    }
    if (buttons == MsgButtons::OkCancel) {
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.button(QMessageBox::Ok)->setText(QStringLiteral("确定"));
        box.button(QMessageBox::Cancel)->setText(QStringLiteral("取消"));
    } else {
        box.setStandardButtons(QMessageBox::Ok);
        box.button(QMessageBox::Ok)->setText(QStringLiteral("确定"));
    }
    box.setDefaultButton(QMessageBox::Ok);
    return box.exec() == QMessageBox::Ok ? MsgResult::Ok : MsgResult::Cancel;
}

namespace {
QString startPath(const FileDialogRequest& r) {
    if (r.fileName.isEmpty()) return r.initialDir;
    if (QFileInfo(r.fileName).isAbsolute()) return r.fileName;
    return r.initialDir + QLatin1Char('/') + r.fileName;
}
QString defaultSuffix(const QString& ext) {
    QString s = ext;
    if (s.startsWith(QStringLiteral("*."))) s = s.mid(2);
    if (s.startsWith(QLatin1Char('.'))) s = s.mid(1);
    return s;
}
}  // namespace

QString QtPlatform::openFileName(QWidget* parent, const FileDialogRequest& request) {
    QFileDialog dlg(parent, QString(), startPath(request), fileDialogFilter(request.filter));
    dlg.setAcceptMode(QFileDialog::AcceptOpen);
    dlg.setFileMode(QFileDialog::ExistingFile);
    dlg.setDefaultSuffix(defaultSuffix(request.defaultExt));
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return {};
    return QDir::toNativeSeparators(dlg.selectedFiles().first());
}

QString QtPlatform::saveFileName(QWidget* parent, const FileDialogRequest& request) {
    QFileDialog dlg(parent, QString(), startPath(request), fileDialogFilter(request.filter));
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setFileMode(QFileDialog::AnyFile);
    dlg.setDefaultSuffix(defaultSuffix(request.defaultExt));
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return {};
    return QDir::toNativeSeparators(dlg.selectedFiles().first());
}

void QtPlatform::playSound(const QString& path) {
    if (!sound_->play(path)) QApplication::beep();
}

void QtPlatform::prepareSound() { sound_->prepare(); }

double QtPlatform::seconds() {
    // Offset by one second so that a reading is never 0, which means "clock not started".
    return 1.0 + clock_.nsecsElapsed() / 1e9;
}

void QtPlatform::openUrl(const QString& url) { QDesktopServices::openUrl(QUrl(url)); }

}  // namespace ml
