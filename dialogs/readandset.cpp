#include "readandset.h"

#include <QDir>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "art/art.h"
#include "content/remote.h"
#include "dialogs/frmabout.h"
#include "platform/itemreader.h"
#include "platform/textfile.h"
#include "practice/form1.h"
#include "practice/rules.h"
#include "practice/texts.h"

namespace ml {

namespace {

const QString kRemoteIni = QStringLiteral("远程内容.ini");

QLabel* makeLabel(QWidget* parent, const QString& text, int x, int y, int w = 0,
                  const char* name = nullptr) {
    auto* l = new QLabel(text, parent);
    if (name) l->setObjectName(QLatin1String(name));
    l->adjustSize();
    l->move(x, y);
    if (w > 0) l->resize(w, l->height());
    return l;
}

QGroupBox* makeFrame(QWidget* parent, const char* name, const QString& title, const QRect& geo) {
    auto* g = new QGroupBox(title, parent);
    g->setObjectName(QLatin1String(name));
    g->setGeometry(geo);
    return g;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& text, const QRect& geo) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    b->setGeometry(geo);
    return b;
}

}  // namespace

readandset::readandset(Form1& main, QWidget* parent) : QDialog(parent), main_(main) {
    setObjectName(QStringLiteral("readandset"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setModal(false);
    setFixedSize(523, 420);
    setWindowTitle(QStringLiteral("功能键与设置"));
    QFont f(QStringLiteral("宋体"));
    f.setPointSize(9);
    setFont(f);
    createElements();
    Form_Load();
}

void readandset::createElements() {
    Picture1 = new QLabel(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setGeometry(16, 16, 57, 57);
    Picture1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Picture1->setLineWidth(2);
    Picture1->setAlignment(Qt::AlignCenter);
    // Drawn by the art library when the generated picture is missing.
    Picture1->setPixmap(Art::picture(main_.folder().data, QStringLiteral("settings.png")));

    Label22 = makeLabel(this, QStringLiteral("墨岚打字通"), 88, 16, 112, "Label22");
    lblVersion = makeLabel(this, QString(), 208, 16, 160, "lblVersion");

    Frame2 = makeFrame(this, "Frame2", QStringLiteral("功能键说明"), QRect(88, 40, 401, 97));
    const QString keyLines[4] = {
        QStringLiteral("F1 - 临时拆字示范开关　　　　　"),
        QStringLiteral("F2 - 持续拆字示范开关　　　　　　　F10 - 打开本地练习文件"),
        QStringLiteral("F3 - 临时编码提示开关　　　　　　　F11 - 打开远程练习文件"),
        QStringLiteral("F4 - 持续编码提示开关　　　　　　　F12 - 练习内容从头开始")};
    for (int i = 0; i < 4; ++i) makeLabel(Frame2, keyLines[i], 16, 24 + 16 * i, 369);

    Frame3 = makeFrame(this, "Frame3", QStringLiteral("远程练习设置"), QRect(88, 152, 401, 145));
    Frame3->setToolTip(QStringLiteral("为防学生乱改设置，请到安装目录编辑配置文件。"));
    makeLabel(Frame3, QStringLiteral("说明：指定局域网中学生机访问统一的远程练习内容。"), 16, 24,
              369);
    makeLabel(Frame3,
              QStringLiteral("例如：\\\\192.168.0.88\\远程练习内容\\六年级\\语文教材第17课.txt"),
              16, 40, 369);
    makeLabel(Frame3,
              QStringLiteral("注意：每台机器都需要配置。可以复制设置好的配置文件到学生机上。"), 16,
              56, 369);
    makeLabel(Frame3, QStringLiteral("Path ="), 16, 83);
    setfilename = new QLineEdit(Frame3);
    setfilename->setObjectName(QStringLiteral("setfilename"));
    setfilename->setGeometry(56, 80, 321, 18);
    setfilename->setEnabled(false);
    Command2 =
        makeButton(Frame3, "Command2", QStringLiteral("恢复到默认值"), QRect(216, 104, 97, 25));
    Command1 = makeButton(Frame3, "Command1", QStringLiteral("修改"), QRect(320, 104, 57, 25));
    Command2->setEnabled(false);
    Command1->setEnabled(false);
    for (QPushButton* b : {Command1, Command2}) b->setAutoDefault(false);
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });

    Frame4 = makeFrame(this, "Frame4", QStringLiteral("重复练习设置"), QRect(88, 312, 401, 57));
    auto option = [this](const char* name, const QString& text, int left) {
        auto* o = new QRadioButton(text, Frame4);
        o->setObjectName(QLatin1String(name));
        o->adjustSize();
        o->move(left, 24);
        return o;
    };
    Option1 = option("Option1", QStringLiteral("只练一遍"), 32);
    Option2 = option("Option2", QStringLiteral("重复两遍"), 160);
    Option3 = option("Option3", QStringLiteral("重复三遍"), 288);
    // Selecting an option, by the learner or by load, runs its click event.
    connect(Option1, &QRadioButton::toggled, this, [this](bool on) {
        if (on) Option1_Click();
    });
    connect(Option2, &QRadioButton::toggled, this, [this](bool on) {
        if (on) Option2_Click();
    });
    connect(Option3, &QRadioButton::toggled, this, [this](bool on) {
        if (on) Option3_Click();
    });

    cmdOK = makeButton(this, "cmdOK", QStringLiteral("确定"), QRect(376, 384, 100, 23));
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
}

void readandset::Form_Load() {
    Cishu = main_.Lianxicishu;
    if (Cishu == 3) {
        Option3->setChecked(true);
    } else if (Cishu == 2) {
        Option2->setChecked(true);
    } else {
        Cishu = 1;
        Option1->setChecked(true);
    }

    lblVersion->setText(versionText());

    RemoteConfig cfg;
    const QString iniPath = main_.folder().settingPath(kRemoteIni);
    if (auto ini = openRemoteConfig(iniPath)) cfg = readRemoteConfig(*ini);
    if (cfg.status == RemoteConfig::Ok && !cfg.tooLong) setfilename->setText(cfg.path);
    // Only a file that is missing or has no path line is replaced; one that exists but cannot
    // be decoded is the teacher's to fix: it is left alone, and the teacher is told why. So is
    // the machine's file when the learner has none: a default written into the learner's folder
    // would hide it from then on.
    if (cfg.status == RemoteConfig::Missing && iniPath == main_.homePath(kRemoteIni))
        Command2_Click();
    if (cfg.status == RemoteConfig::Unreadable) {
        main_.platform().messageBox(
            &main_,
            text::remoteConfigUnreadable(QDir::toNativeSeparators(iniPath), cfg.problem) +
                QStringLiteral("\r\r设置窗口没有改动这个文件。"),
            MsgIcon::Exclamation, MsgButtons::Ok);
    }
}

void readandset::writeRemoteConfig(const QString& pathLine) {
    writeLinesCp936(
        main_.homePath(kRemoteIni),
        {QStringLiteral("五笔·键途　远程练习内容配置"), pathLine, QString(),
         QStringLiteral("说明：指定局域网中学生机访问统一的远程练习内容。"),
         QStringLiteral("例如：\\\\192.168.0.88\\远程练习内容\\六年级\\语文教材第17课.txt"),
         QStringLiteral("注意：每台机器都需要配置。可以复制设置好的配置文件到学生机上。"),
         QString()});
}

void readandset::Command1_Click() {
    writeRemoteConfig(QStringLiteral("Path=") + setfilename->text());
}

void readandset::Command2_Click() { writeRemoteConfig(QStringLiteral("Path=")); }

void readandset::cmdOK_Click() {
    // A read-only program folder still gets the count for this run.
    writeBytesAtomic(main_.homePath(QStringLiteral("config")), configBytes(Cishu));
    main_.Lianxicishu = Cishu;
    close();
}

void readandset::keyPressEvent(QKeyEvent* e) {
    if (e->matches(QKeySequence::Cancel)) {
        cmdOK->click();
        return;
    }
    QDialog::keyPressEvent(e);
}

}  // namespace ml
