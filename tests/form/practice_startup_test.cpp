// Start-up with the repeat-count file "config", the initial window, shut-down with the About
// dialog and the highlighting of the toolbar buttons.
#include <QMouseEvent>

#include "dialogs/frmabout.h"
#include "formfixture.h"
#include "hints/dictionary.h"

namespace {

using namespace mltest;

class Startup : public FormFixture {};

TEST_F(Startup, MissingConfigIsWrittenWithOne) {
    ml::Form1& f = build(withDictionary());
    EXPECT_EQ(f.Lianxicishu, 1);
    EXPECT_EQ(readFile(path(u"config"_s)), QByteArray("\x20\x31\x20\x0D\x0A"));
    // The code dictionary is still named and opened.
    ASSERT_NE(f.dictionary(), nullptr);
    EXPECT_TRUE(f.dictionary()->isOpen()) << f.startupWarning().toStdString();
}

TEST_F(Startup, ConfigTable) {
    struct Case {
        QByteArray bytes;
        qint16 count;
        bool rewritten;
    };
    const Case cases[] = {
        {" 3 ", 3, false}, {"3", 3, false}, {"3\r\n", 3, false}, {" 2 \r\n", 2, false},
        {"1", 1, false},   {"7", 1, false}, {"0", 1, false},     {"-1", 1, false},
        {"abc", 1, true},  {"", 1, true},   {"x3", 1, true},     {"99999", 1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes.toStdString());
        form.reset();
        writeFile(path(u"config"_s), c.bytes);
        form = std::make_unique<ml::Form1>(p, home);
        EXPECT_EQ(form->Lianxicishu, c.count);
        EXPECT_EQ(form->nowLianXiCiShu, 0);
        EXPECT_EQ(readFile(path(u"config"_s)), c.rewritten ? QByteArray(" 1 \r\n") : c.bytes);
    }
    EXPECT_TRUE(p.messages.isEmpty());
}

TEST_F(Startup, InitialWindow) {
    ml::Form1& f = build();
    EXPECT_EQ(f.windowTitle(), u"墨岚打字通"_s);
    EXPECT_EQ(f.size(), QSize(1018, 736));
    EXPECT_FALSE(f.txtInput->isEnabled());
    EXPECT_EQ(f.txtInput->maxLength(), 28);
    EXPECT_EQ(f.lbtime->text(), u"0:00:00"_s);
    EXPECT_EQ(f.lbshudu->text(), u"0"_s);
    EXPECT_EQ(f.lbZql->text(), u"100%"_s);
    EXPECT_EQ(f.lbfilename->text(), u"练习文件类型: *.txt"_s);
    EXPECT_TRUE(f.lblianxi->text().isEmpty());
    EXPECT_FALSE(f.Timer1->isActive());
    EXPECT_EQ(f.Timer1->interval(), 1000);
    EXPECT_TRUE(f.Fname.isEmpty());
    EXPECT_FALSE(f.imghelphide->isHidden());
    for (int k = 1; k <= 28; ++k) {
        EXPECT_EQ(f.lb[k - 1]->text(), u"█"_s);
        EXPECT_EQ(f.cellColor(k), ml::Form1::kWhite) << k;
    }
    for (auto* hi : {f.Image3, f.Image4, f.imgcmd11, f.imgcmd22, f.imgcmd33})
        EXPECT_TRUE(hi->isHidden());
    EXPECT_EQ(f.UseHelp, 0);
    EXPECT_EQ(f.BmHelp, 0);
    EXPECT_EQ(f.BmHelpAll, 0);
    EXPECT_EQ(f.Jishu, 0);
    // The right colour is apart from white and red.
    EXPECT_NE(ml::Form1::rightColor(), ml::Form1::kWhite);
    EXPECT_NE(ml::Form1::rightColor(), ml::Form1::kRed);
}

TEST_F(Startup, CoverClickWithoutFileDoesNothing) {
    ml::Form1& f = build();
    f.imghelphide_Click();
    EXPECT_TRUE(f.Showhelp.isEmpty());
    EXPECT_EQ(f.TmpHelp, 0);
    EXPECT_TRUE(p.messages.isEmpty());
    EXPECT_TRUE(p.sounds.isEmpty());
}

// ---- About dialog ----

TEST_F(Startup, ClosingShowsAbout) {
    ml::Form1& f = build();
    f.show();
    EXPECT_TRUE(f.close());
    ml::frmAbout* about = dialogs().about();
    ASSERT_NE(about, nullptr);
    EXPECT_TRUE(about->isVisible());
    EXPECT_FALSE(about->isModal());
    EXPECT_EQ(about->windowTitle(), u"关于 墨岚输入法"_s);
    EXPECT_EQ(about->lblTitle->text(), u"墨岚输入法"_s);
    EXPECT_EQ(about->lblVersion->text(), u"版本 8.8.18"_s);
    EXPECT_EQ(about->size(), QSize(459, 303));
}

TEST_F(Startup, ClosingWhilePractisingThenResuming) {
    const QStringList lines = {cjk(28), u"第二行"_s};
    const QString file = practice(u"a.txt"_s);
    writeFile(file, gbkLines(lines));
    build();
    open(file);
    for (QChar c : lines[0]) form->txtInput->insert(QString(c));
    ASSERT_EQ(form->lblianxi->text(), u"第二行"_s);
    EXPECT_TRUE(form->close());
    ASSERT_NE(dialogs().about(), nullptr);
    EXPECT_TRUE(dialogs().about()->isVisible());
    // Nothing more is written at shut-down.
    EXPECT_EQ(readFile(path(u"练习进度/a.SAV"_s)), le32(2));

    form.reset();
    build();
    open(file);
    EXPECT_EQ(form->lblianxi->text(), u"第二行"_s);
    EXPECT_EQ(form->JinduNow, 2);
}

TEST_F(Startup, AboutLinkTurnsRedAndOpensUrl) {
    ml::Form1& f = build();
    f.imgcmd33_Click();
    ml::frmAbout* about = dialogs().about();
    ASSERT_NE(about, nullptr);
    // Showing it again shows the same window.
    f.imgcmd33_Click();
    EXPECT_EQ(dialogs().about(), about);

    EXPECT_NE(about->Label2->palette().color(QPalette::WindowText), QColor(0xFF, 0, 0));
    const QPointF at(3, 3);
    QMouseEvent move(QEvent::MouseMove, at, about->Label2->mapToGlobal(at), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(about->Label2, &move);
    EXPECT_EQ(about->Label2->palette().color(QPalette::WindowText), QColor(0xFF, 0, 0));
    EXPECT_EQ(about->cursor().shape(), Qt::CrossCursor);
    EXPECT_TRUE(p.urls.isEmpty());

    QMouseEvent press(QEvent::MouseButtonPress, at, about->Label2->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(about->Label2, &press);
    ASSERT_EQ(p.urls.size(), 1);
    EXPECT_EQ(p.urls.first(), about->linkTarget());
    EXPECT_FALSE(p.urls.first().isEmpty());
    // Nothing resets the colour.
    EXPECT_EQ(about->Label2->palette().color(QPalette::WindowText), QColor(0xFF, 0, 0));
}

// ---- Button highlighting ----

TEST_F(Startup, HighlightTable) {
    ml::Form1& f = build();
    using H = void (ml::Form1::*)();
    struct Case {
        const char* name;
        H handler;
        QList<ml::Picture*> shown;
        QList<ml::Picture*> hidden;
    };
    const QList<ml::Picture*> all = {f.Image3, f.Image4, f.imgcmd11, f.imgcmd22, f.imgcmd33};
    const Case cases[] = {
        {"Image1", &ml::Form1::Image1_MouseMove, {f.Image3}, {}},
        {"Image2", &ml::Form1::Image2_MouseMove, {f.Image4}, {}},
        {"imgcmd1", &ml::Form1::imgcmd1_MouseMove, {f.imgcmd11}, {f.imgcmd22, f.imgcmd33}},
        {"imgcmd2", &ml::Form1::imgcmd2_MouseMove, {f.imgcmd22}, {f.imgcmd11, f.imgcmd33}},
        {"imgcmd3", &ml::Form1::imgcmd3_MouseMove, {f.imgcmd33}, {f.imgcmd11, f.imgcmd22}},
        {"Form", &ml::Form1::Form_MouseMove, {}, all},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // Everything shown first, so that both what is shown and what is hidden can be seen.
        for (auto* hi : all) hi->show();
        (f.*c.handler)();
        for (auto* hi : all) {
            if (c.hidden.contains(hi))
                EXPECT_TRUE(hi->isHidden()) << hi->objectName().toStdString();
            else
                EXPECT_FALSE(hi->isHidden()) << hi->objectName().toStdString();
        }
        // And from all hidden: only the shown ones appear.
        for (auto* hi : all) hi->hide();
        (f.*c.handler)();
        for (auto* hi : all)
            EXPECT_EQ(hi->isHidden(), !c.shown.contains(hi)) << hi->objectName().toStdString();
    }
}

TEST_F(Startup, MouseEventsReachTheHandlers) {
    ml::Form1& f = build();
    f.show();
    auto move = [](QWidget* w, QPoint at) {
        QMouseEvent e(QEvent::MouseMove, at, w->mapToGlobal(QPointF(at)), Qt::NoButton,
                      Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(w, &e);
    };
    move(f.Image1, {5, 5});
    EXPECT_FALSE(f.Image3->isHidden());
    // Over a label (the figures) nothing changes.
    move(&f, f.lbtime->geometry().center());
    EXPECT_FALSE(f.Image3->isHidden());
    // Over the bare window the highlight goes.
    move(&f, {2, 700});
    ASSERT_EQ(f.childAt(2, 700), nullptr);
    EXPECT_TRUE(f.Image3->isHidden());

    move(f.imgcmd2, {5, 5});
    EXPECT_FALSE(f.imgcmd22->isHidden());
    EXPECT_TRUE(f.imgcmd11->isHidden());
    EXPECT_TRUE(f.imgcmd33->isHidden());
}

}  // namespace
