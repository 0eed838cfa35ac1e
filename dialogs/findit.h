#pragma once
// The code lookup dialog: the learner types a character and sees at once its Wubi code in four
// letter cells and its decomposition picture. It searches the main window's dictionary, so it
// needs no connection of its own.

#include <QDialog>
#include <QPixmap>
#include <array>

class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace ml {

class CodeDictionary;
class Platform;

class findit : public QDialog {
    Q_OBJECT
public:
    // `dictionary` belongs to the main window and may be null or closed: lookups then do
    // nothing. Give the main window as `parent` so the dialog never outlives the dictionary.
    findit(Platform& platform, const QString& home, CodeDictionary* dictionary,
           QWidget* parent = nullptr);

    // ---- Elements (object names are these member names) ----
    QLabel* imgfind = nullptr;
    QLabel* lbnotfind = nullptr;
    std::array<QLabel*, 4> lbbm{};  // lbbm1 … lbbm4
    QLabel* Label1 = nullptr;
    QLineEdit* txtfindit = nullptr;
    QPushButton* cmdOK = nullptr;
    QTimer* Timer1 = nullptr;
    QLabel* lblDisclaimer = nullptr;

    void txtfindit_Change();
    void Timer1_Timer();
    void cmdOK_Click();

    // The built-in picture shown until the first lookup: 拆 taken apart into 扌 斤 丶.
    static QPixmap placeholderPicture();

private:
    Platform& platform_;
    QString home_;
    CodeDictionary* dictionary_;
};

}  // namespace ml
