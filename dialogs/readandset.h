#pragma once
// The settings dialog: the function keys at a glance, the classroom's remote path (shown, not
// edited: the configuration file is edited by hand), and the repeat count.

#include <QDialog>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace ml {

class Form1;

class readandset : public QDialog {
    Q_OBJECT
public:
    // Uses only the main window's repeat count and program folder. Form_Load runs here.
    explicit readandset(Form1& main, QWidget* parent = nullptr);

    QLabel* Picture1 = nullptr;
    QLabel* Label22 = nullptr;
    QLabel* lblVersion = nullptr;
    QGroupBox* Frame2 = nullptr;
    QGroupBox* Frame3 = nullptr;
    QLineEdit* setfilename = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command1 = nullptr;
    QGroupBox* Frame4 = nullptr;
    QRadioButton* Option1 = nullptr;
    QRadioButton* Option2 = nullptr;
    QRadioButton* Option3 = nullptr;
    QPushButton* cmdOK = nullptr;

    // The dialog's own repeat count, handed to the main window only by cmdOK.
    qint16 Cishu = 1;

    void Form_Load();
    void Option1_Click() { Cishu = 1; }
    void Option2_Click() { Cishu = 2; }
    void Option3_Click() { Cishu = 3; }
    void cmdOK_Click();
    void Command1_Click();
    void Command2_Click();

protected:
    // Esc presses cmdOK, as Enter does; closing through the frame stores nothing.
    void keyPressEvent(QKeyEvent* e) override;

private:
    void createElements();
    // Writes "远程内容.ini" with the given path line; a failure to write is not reported.
    void writeRemoteConfig(const QString& pathLine);

    Form1& main_;
};

}  // namespace ml
