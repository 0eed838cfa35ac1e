#pragma once
// The About dialog: the application's title and version, and a link to its manual.

#include <QDialog>

class QLabel;

namespace ml {

class Platform;

// "版本 " and the version, as the About and the settings dialog show it.
QString versionText();

class frmAbout : public QDialog {
    Q_OBJECT
public:
    frmAbout(Platform& platform, const QString& home, QWidget* parent = nullptr);

    QLabel* lblTitle = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* Label9 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* lblDisclaimer = nullptr;
    QLabel* picIcon = nullptr;

    void Label2_Click();
    void Label2_MouseMove();
    QString linkTarget() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Platform& platform_;
    QString home_;
};

}  // namespace ml
