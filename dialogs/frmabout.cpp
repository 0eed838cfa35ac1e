#include "frmabout.h"

#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QUrl>

#include "art/art.h"
#include "platform/platform.h"
#include "platform/programfolder.h"
#include "version.h"

namespace ml {

namespace {
// The manual lies in the program folder, so the link works in a classroom without internet.
const QString kManual = QStringLiteral("使用说明.html");
}  // namespace

QString versionText() {
    return QStringLiteral("版本 %1.%2.%3").arg(kVersionMajor).arg(kVersionMinor).arg(kVersionRevision);
}

frmAbout::frmAbout(Platform& platform, const QString& home, QWidget* parent)
    : QDialog(parent), platform_(platform), home_(home) {
    setObjectName(QStringLiteral("frmAbout"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(459, 303);
    setModal(false);
    setWindowTitle(QStringLiteral("关于 ") + kAppTitle);

    auto label = [this](const char* name, const QString& text, const QRect& geo, int px,
                        bool bold = false) {
        auto* l = new QLabel(text, this);
        l->setObjectName(QLatin1String(name));
        l->setGeometry(geo);
        QFont f = l->font();
        f.setPixelSize(px);
        f.setBold(bold);
        l->setFont(f);
        return l;
    };
    picIcon = new QLabel(this);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->setGeometry(24, 24, 64, 64);
    picIcon->setPixmap(Art::picture(home_, QStringLiteral("about.png")));

    lblTitle = label("lblTitle", kAppTitle, QRect(112, 24, 320, 32), 24, true);
    lblVersion = label("lblVersion", versionText(), QRect(112, 60, 320, 20), 14);
    Label9 = label("Label9", QStringLiteral("发布日期：2026 年 12 月"), QRect(112, 82, 320, 20), 13);
    Label1 = label("Label1", QStringLiteral("拆得清字根，打得准五笔。"), QRect(112, 116, 320, 22), 15);
    Label4 = label("Label4", QStringLiteral("编码数据来自开源的五笔 86 码表，谨此致谢。"),
                   QRect(112, 142, 330, 20), 13);
    Label2 = label("Label2", kManual, QRect(112, 172, 320, 20), 13);
    Label2->setToolTip(QStringLiteral("打开使用说明"));
    QPalette lp = Label2->palette();
    lp.setColor(QPalette::WindowText, QColor(0x1A, 0x5F, 0xB4));
    Label2->setPalette(lp);
    QFont lf = Label2->font();
    lf.setUnderline(true);
    Label2->setFont(lf);
    Label2->setMouseTracking(true);
    Label2->installEventFilter(this);

    auto* line1 = new QFrame(this);
    line1->setGeometry(16, 206, 427, 2);
    line1->setFrameShape(QFrame::HLine);
    line1->setFrameShadow(QFrame::Sunken);
    auto* line2 = new QFrame(this);
    line2->setGeometry(16, 104, 427, 2);
    line2->setFrameShape(QFrame::HLine);
    line2->setFrameShadow(QFrame::Sunken);

    lblDisclaimer = label("lblDisclaimer", QStringLiteral("本软件供学习五笔字型输入法使用。"),
                          QRect(24, 222, 300, 40), 12);
    lblDisclaimer->setWordWrap(true);
    auto* ok = new QPushButton(QStringLiteral("确定"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setGeometry(343, 260, 100, 27);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::close);
}

QString frmAbout::linkTarget() const {
    return QUrl::fromLocalFile(inFolder(home_, kManual)).toString();
}

void frmAbout::Label2_Click() { platform_.openUrl(linkTarget()); }

void frmAbout::Label2_MouseMove() {
    QPalette p = Label2->palette();
    p.setColor(QPalette::WindowText, QColor(0xFF, 0x00, 0x00));
    Label2->setPalette(p);
    setCursor(Qt::CrossCursor);
}

bool frmAbout::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Label2) {
        if (event->type() == QEvent::MouseMove) Label2_MouseMove();
        if (event->type() == QEvent::MouseButtonPress) Label2_Click();
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace ml
