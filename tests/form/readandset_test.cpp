// The settings dialog: the repeat count and the remote-content configuration file.
#include "dialogs/readandset.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "formfixture.h"

namespace {

using namespace mltest;

const QString kTitle = u"五笔·键途　远程练习内容配置"_s;
const QStringList kDefaultLines = {
    kTitle,
    u"Path="_s,
    {},
    u"说明：指定局域网中学生机访问统一的远程练习内容。"_s,
    u"例如：\\\\192.168.0.88\\远程练习内容\\六年级\\语文教材第17课.txt"_s,
    u"注意：每台机器都需要配置。可以复制设置好的配置文件到学生机上。"_s,
    {}};

class Settings : public FormFixture {
protected:
    QString ini() const { return path(u"远程内容.ini"_s); }

    // Opens the dialog through the main window's settings button.
    ml::readandset& openDialog() {
        form->imgcmd11_Click();
        EXPECT_EQ(windowsOf<ml::readandset>(), 1);
        return *FormFixture::dialogs().settings();
    }
    void pressKey(QWidget* target, Qt::Key key) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(target, &press);
    }
    // Lets a dialog closed with WA_DeleteOnClose go away.
    static void settle() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
    int dialogs() const { return windowsOf<ml::readandset>(); }
};

TEST_F(Settings, ElementsAndLoad) {
    build(FormOptions{true, QByteArray(" 3 \r\n")});
    ASSERT_EQ(form->Lianxicishu, 3);
    ml::readandset& d = openDialog();
    EXPECT_EQ(d.windowTitle(), u"功能键与设置"_s);
    EXPECT_EQ(d.size(), QSize(523, 420));
    EXPECT_FALSE(d.isModal());
    EXPECT_TRUE(d.testAttribute(Qt::WA_DeleteOnClose));
    EXPECT_EQ(d.lblVersion->text(), u"版本 8.8.18"_s);
    EXPECT_FALSE(d.Picture1->pixmap().isNull());
    EXPECT_EQ(d.Picture1->geometry(), QRect(16, 16, 57, 57));
    EXPECT_EQ(d.Frame3->toolTip(), u"为防学生乱改设置，请到安装目录编辑配置文件。"_s);
    EXPECT_FALSE(d.setfilename->isEnabled());
    EXPECT_FALSE(d.Command1->isEnabled());
    EXPECT_FALSE(d.Command2->isEnabled());
    EXPECT_TRUE(d.cmdOK->isDefault());
    EXPECT_TRUE(d.Option3->isChecked());
    EXPECT_EQ(d.Cishu, 3);
    QStringList frame2;
    for (QLabel* l : d.Frame2->findChildren<QLabel*>()) frame2 << l->text();
    EXPECT_EQ(frame2,
              QStringList({u"F1 - 临时拆字示范开关　　　　　"_s,
                           u"F2 - 持续拆字示范开关　　　　　　　F10 - 打开本地练习文件"_s,
                           u"F3 - 临时编码提示开关　　　　　　　F11 - 打开远程练习文件"_s,
                           u"F4 - 持续编码提示开关　　　　　　　F12 - 练习内容从头开始"_s}));
}

TEST_F(Settings, CountSelectsItsOption) {
    build();
    struct Case {
        qint16 count;
        int option;  // 1 … 3
        qint16 cishu;
    };
    const Case cases[] = {{1, 1, 1}, {2, 2, 2}, {3, 3, 3}, {0, 1, 1}, {7, 1, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count);
        form->Lianxicishu = c.count;
        ml::readandset& d = openDialog();
        EXPECT_EQ(d.Option1->isChecked(), c.option == 1);
        EXPECT_EQ(d.Option2->isChecked(), c.option == 2);
        EXPECT_EQ(d.Option3->isChecked(), c.option == 3);
        EXPECT_EQ(d.Cishu, c.cishu);
        EXPECT_EQ(form->Lianxicishu, c.count);  // loading changes nothing
        d.close();
        settle();
    }
}

TEST_F(Settings, EnterAndEscStoreTheChosenCount) {
    for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return}) {
        SCOPED_TRACE(int(key));
        build(FormOptions{true, QByteArray(" 2 \r\n")});
        form->nowLianXiCiShu = 1;
        ml::readandset& d = openDialog();
        ASSERT_TRUE(d.Option2->isChecked());
        d.Option1->click();
        EXPECT_EQ(form->Lianxicishu, 2);  // only the button hands it over
        pressKey(d.Option1, key);
        settle();
        EXPECT_EQ(readFile(path(u"config"_s)), QByteArray(" 1 \r\n"));
        EXPECT_EQ(form->Lianxicishu, 1);
        EXPECT_EQ(form->nowLianXiCiShu, 1);
        EXPECT_EQ(dialogs(), 0);
    }
}

TEST_F(Settings, ClosingThroughTheFrameStoresNothing) {
    build(FormOptions{true, QByteArray(" 2 \r\n")});
    ml::readandset& d = openDialog();
    d.Option3->click();
    d.close();  // what the frame's close button does
    settle();
    EXPECT_EQ(dialogs(), 0);
    EXPECT_EQ(readFile(path(u"config"_s)), QByteArray(" 2 \r\n"));
    EXPECT_EQ(form->Lianxicishu, 2);
}

TEST_F(Settings, UnwritableConfigStillHandsOverTheCount) {
    build();
    QFile::remove(path(u"config"_s));
    QDir().mkpath(path(u"config"_s));  // a folder in its place cannot be replaced
    ml::readandset& d = openDialog();
    d.Option3->click();
    d.cmdOK->click();
    EXPECT_EQ(form->Lianxicishu, 3);
}

TEST_F(Settings, PathBoxShowsTheConfiguredPath) {
    struct Case {
        const char* name;
        QByteArray ini;
        QString shown;
    };
    const Case cases[] = {
        {"network path", gbkLines({kTitle, u"Path=\\\\srv\\共享\\第1课.txt"_s, {}}),
         u"\\\\srv\\共享\\第1课.txt"_s},
        {"8 characters", gbkLines({kTitle, u"PATH=abcd.txt"_s}), u"abcd.txt"_s},
        {"7 characters", gbkLines({kTitle, u"Path=abc.txt"_s}), {}},
        {"Path= alone", gbkLines({kTitle, u"Path="_s}), {}},
        {"blank before =", gbkLines({kTitle, u"Path =\\\\srv\\共享\\第1课.txt"_s}), {}},
        {"UTF-8 with a byte-order mark",
         "\xEF\xBB\xBF" + (kTitle + u"\r\nPath=\\\\srv\\共享\\第1课.txt\r\n"_s).toUtf8(),
         u"\\\\srv\\共享\\第1课.txt"_s},
        // Not decodable: left for the teacher to fix, never replaced with the defaults.
        {"broken text", gbk(kTitle) + "\r\nPath=\\\\srv\\\x81\x7F.txt\r\n", {}},
    };
    build();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile(ini(), c.ini);
        for (int round = 0; round < 2; ++round) {
            ml::readandset& d = openDialog();
            EXPECT_EQ(d.setfilename->text(), c.shown);
            d.cmdOK->click();
            settle();
            EXPECT_EQ(readFile(ini()), c.ini);
        }
    }
}

// A file that is there but cannot be decoded is never replaced with the defaults, and the dialog
// says why it leaves it alone: a cut-off last character once made it read as missing.
TEST_F(Settings, UndecodableConfigurationIsKeptAndReported) {
    const struct {
        const char* what;
        QByteArray ini;
    } cases[] = {
        {"UTF-8, the last character cut off", "\xEF\xBB\xBF" + kTitle.toUtf8() + "\r\n\xE4\xB8"},
        {"UTF-16, the last byte missing",
         QByteArray("\xFF\xFE", 2) +
             QByteArray(reinterpret_cast<const char*>(kTitle.utf16()), kTitle.size() * 2) +
             QByteArray("\r\0\n\0P", 5)},
        {"UTF-8, a character GBK cannot hold",
         "\xEF\xBB\xBF" + (kTitle + u"\r\nPath=\\\\srv\\共享\\😀.txt\r\n"_s).toUtf8()},
        {"GBK, a broken byte", gbk(kTitle) + "\r\nPath=\\\\srv\\\x81\x7F.txt\r\n"},
    };
    build();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        writeFile(ini(), c.ini);
        p.messages.clear();
        ml::readandset& d = openDialog();
        EXPECT_TRUE(d.setfilename->text().isEmpty());
        ASSERT_EQ(p.messages.size(), 1);
        EXPECT_TRUE(p.messages[0].text.contains(u"无法读取"_s)) << p.messages[0].text.toStdString();
        EXPECT_TRUE(p.messages[0].text.contains(u"没有改动"_s));
        d.cmdOK->click();
        settle();
        EXPECT_EQ(readFile(ini()), c.ini);
    }
}

TEST_F(Settings, MissingConfigurationIsWrittenWithDefaults) {
    writeFile(path(u"局域网中同步练习说明.txt"_s), gbkLines({u"说明"_s}));
    const QByteArray variants[] = {QByteArray(), gbkLines({kTitle})};
    for (const QByteArray& content : variants) {
        SCOPED_TRACE(content.isNull() ? "no file" : "title only");
        build();
        QFile::remove(ini());
        if (!content.isNull()) writeFile(ini(), content);
        ml::readandset& d = openDialog();
        EXPECT_TRUE(d.setfilename->text().isEmpty());
        EXPECT_EQ(readFile(ini()), gbkLines(kDefaultLines));
        d.close();
        settle();
        // The remote content then falls back to the help text.
        form->Image4_Click();
        EXPECT_TRUE(p.messages.isEmpty());
        EXPECT_EQ(line(), u"说明"_s);
    }
}

TEST_F(Settings, WritingTheConfiguration) {
    build();
    ml::readandset& d = openDialog();
    d.setfilename->setText(u" \\\\srv\\共享\\第2课.txt "_s);
    d.Command1_Click();
    QStringList lines = kDefaultLines;
    lines[1] = u"Path= \\\\srv\\共享\\第2课.txt "_s;  // nothing trimmed
    EXPECT_EQ(readFile(ini()), gbkLines(lines));
    d.Command2_Click();
    EXPECT_EQ(readFile(ini()), gbkLines(kDefaultLines));
    EXPECT_EQ(d.setfilename->text(), u" \\\\srv\\共享\\第2课.txt "_s);
}

TEST_F(Settings, OneDialogAtATime) {
    build();
    ml::readandset& first = openDialog();
    first.Option3->click();
    form->imgcmd11_Click();  // brings the open one forward, without loading it again
    EXPECT_EQ(dialogs(), 1);
    EXPECT_TRUE(first.Option3->isChecked());
    first.close();
    settle();
    EXPECT_EQ(dialogs(), 0);
    ml::readandset& second = openDialog();
    EXPECT_TRUE(second.Option1->isChecked());
}

}  // namespace
