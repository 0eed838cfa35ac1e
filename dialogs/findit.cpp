#include "findit.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "hints/dictionary.h"
#include "platform/platform.h"
#include "platform/programfolder.h"
#include "art/artlib.h"

namespace ml {

QPixmap findit::placeholderPicture() {
    // Drawn at twice the element's size; the stretched picture element scales it down smoothly.
    return QPixmap::fromImage(
        art::render(QStringLiteral("findit_placeholder.png"), art::RootTable::builtIn(), 2));
}

findit::findit(Platform& platform, const QString& home, CodeDictionary* dictionary, QWidget* parent)
    : QDialog(parent), platform_(platform), home_(home), dictionary_(dictionary) {
    setObjectName(QStringLiteral("findit"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(418, 343);
    setModal(false);
    setWindowTitle(QStringLiteral("墨岚输入法编码查询（2500常用字/1000次常用字）"));

    imgfind = new QLabel(this);
    imgfind->setObjectName(QStringLiteral("imgfind"));
    imgfind->setGeometry(88, 64, 217, 52);
    imgfind->setScaledContents(true);
    // The program folder's picture, drawn at build time; the same drawing when it is missing.
    QPixmap picture;
    if (!picture.load(inFolder(home_, QStringLiteral("图片/findit_placeholder@2x.png"))))
        picture = placeholderPicture();
    imgfind->setPixmap(picture);

    lbnotfind = new QLabel(QStringLiteral("拆字图未找到"), this);
    lbnotfind->setObjectName(QStringLiteral("lbnotfind"));
    lbnotfind->setGeometry(160, 72, 89, 17);
    lbnotfind->setAlignment(Qt::AlignCenter);
    QPalette np = lbnotfind->palette();
    np.setColor(QPalette::WindowText, QColor(0xFF, 0x00, 0x00));
    lbnotfind->setPalette(np);
    lbnotfind->hide();

    QFont codeFont(QStringLiteral("Arial Black"));
    codeFont.setPointSizeF(15.75);
    codeFont.setWeight(QFont::Black);
    const int cellX[4] = {112, 165, 219, 272};
    const QString placeholder[4] = {QStringLiteral("S"), QStringLiteral("J"), QStringLiteral("D"),
                                    QStringLiteral("C")};
    for (int k = 0; k < 4; ++k) {
        auto* cell = new QLabel(placeholder[k], this);
        cell->setObjectName(QStringLiteral("lbbm%1").arg(k + 1));
        cell->setGeometry(cellX[k], 120, 33, 41);
        cell->setFont(codeFont);
        cell->setAlignment(Qt::AlignCenter);
        cell->setAutoFillBackground(true);
        QPalette cp = cell->palette();
        cp.setColor(QPalette::Window, QColor(0xFF, 0xFF, 0xFF));
        cp.setColor(QPalette::WindowText, QColor(0xFF, 0x00, 0x00));
        cell->setPalette(cp);
        lbbm[k] = cell;
    }

    Label1 = new QLabel(QStringLiteral("输入汉字　即时查询"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(144, 184, 113, 17);
    Label1->setAlignment(Qt::AlignCenter);

    txtfindit = new QLineEdit(this);
    txtfindit->setObjectName(QStringLiteral("txtfindit"));
    txtfindit->setGeometry(56, 208, 289, 25);
    QFont song(QStringLiteral("宋体"));
    song.setPointSizeF(15.75);
    txtfindit->setFont(song);
    connect(txtfindit, &QLineEdit::textChanged, this, [this] { txtfindit_Change(); });

    auto* line = new QFrame(this);
    line->setObjectName(QStringLiteral("Line1"));
    line->setGeometry(8, 291, 392, 2);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);

    lblDisclaimer = new QLabel(QStringLiteral("边打边查，五笔字根一看就会。"), this);
    lblDisclaimer->setObjectName(QStringLiteral("lblDisclaimer"));
    lblDisclaimer->setGeometry(16, 307, 260, 17);
    QPalette dp = lblDisclaimer->palette();
    dp.setColor(QPalette::WindowText, QColor(0x80, 0x80, 0x80));
    lblDisclaimer->setPalette(dp);

    cmdOK = new QPushButton(QStringLiteral("退出"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(296, 304, 100, 23);
    // Default button: Enter in the text box presses it. Esc reaches reject(), which closes too.
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });

    setTabOrder(txtfindit, cmdOK);
    txtfindit->setFocus();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    Timer1->setSingleShot(true);
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1_Timer(); });
    Timer1->start();
}

void findit::Timer1_Timer() {
    // The window manager may hand the focus elsewhere while the dialog appears; a second later
    // the learner can type straight away.
    txtfindit->setFocus();
    Timer1->stop();
}

void findit::cmdOK_Click() { close(); }

void findit::txtfindit_Change() {
    const QString text = txtfindit->text();
    if (text.isEmpty()) return;
    // An input method may commit a whole word at once; only its last character is looked up.
    const QString x = text.right(1);
    if (!dictionary_) return;
    const auto result = dictionary_->search(x);
    // An unusable dictionary was already reported when the main window loaded; the dialog keeps
    // showing what it shows.
    if (!result) return;

    switch (result->outcome) {
        case CodeDictionary::Outcome::PlainMiss:
            return;
        case CodeDictionary::Outcome::InexactMiss:
            platform_.messageBox(this,
                                 QStringLiteral("数据库中没有 “") + x + QStringLiteral("” 字"),
                                 MsgIcon::Exclamation, MsgButtons::Ok);
            return;
        case CodeDictionary::Outcome::Hit:
            break;
    }

    const QString code = result->email.toUpper();
    for (int k = 0; k < 4; ++k) lbbm[k]->setText(k < code.size() ? code.mid(k, 1) : QString());

    QPixmap picture;
    if (picture.load(inFolder(home_, QStringLiteral("拆字图/") + x + QStringLiteral(".gif")))) {
        imgfind->setPixmap(picture);
        imgfind->show();
        lbnotfind->hide();
    } else {
        imgfind->hide();
        lbnotfind->show();
    }
}

}  // namespace ml
