// The window's own key handler, which answers before any practice file is open: key events are
// sent to the main window itself, as they arrive while the input box is disabled.

#include "formfixture.h"

namespace {

using namespace mltest;

const QStringList kShared = {u"甲乙丙"_s, u"丁戊己"_s};

class WindowKeys : public FormFixture {
protected:
    void SetUp() override {
        FormFixture::SetUp();
        const QString shared = dir.filePath(u"共享/第1课.txt"_s);
        writeFile(shared, gbkLines(kShared));
        writeFile(path(u"远程内容.ini"_s),
                  gbkLines({u"五笔·键途　远程练习内容配置"_s, u"Path="_s + shared, {}}));
    }

    void press(const std::string& name) {
        QKeyEvent e(QEvent::KeyPress, qtKeyNamed(name), Qt::NoModifier);
        QApplication::sendEvent(form.get(), &e);
    }
    std::string shownCharts() const {
        std::string shown;
        const std::pair<char, ml::Picture*> charts[] = {{'g', form->imgg},
                                                        {'h', form->imgh},
                                                        {'t', form->imgt},
                                                        {'y', form->imgy},
                                                        {'n', form->imgn}};
        for (const auto& [letter, chart] : charts)
            if (!chart->isHidden()) shown += letter;
        return shown;
    }
};

TEST_F(WindowKeys, ChartKeysDriveTheCharts) {
    struct Case {
        std::vector<std::string> keys;
        const char* shown;
        QString bigHelp;
    };
    const Case cases[] = {
        {{"F5"}, "g", {}},
        {{"F6"}, "h", {}},
        {{"F7"}, "t", {}},
        {{"F8"}, "y", {}},
        {{"F9"}, "n", {}},
        {{"F5", "Esc"}, "", {}},
        {{"Up"}, "t", u"撇"_s},
        {{"Up", "Up"}, "y", u"点"_s},
        {{"Up", "Up", "Up"}, "", {}},
        {{"Left"}, "g", u"横"_s},
        {{"Left", "Right"}, "h", u"竖"_s},
        {{"Down"}, "n", u"折"_s},
        {{"Down", "Down"}, "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.keys));
        form.reset();
        build();
        for (const std::string& k : c.keys) press(k);
        EXPECT_EQ(shownCharts(), c.shown);
        EXPECT_EQ(form->BigHelp, c.bigHelp);
    }
}

TEST_F(WindowKeys, OtherKeysDoNothingBeforePractice) {
    for (const char* key : {"F1", "F2", "F3", "F4", "F12", "PgDn", "Enter", "Back"}) {
        SCOPED_TRACE(key);
        form.reset();
        ml::Form1& f = build();
        press(key);
        EXPECT_NE(f.Showhelp, u"T"_s);
        EXPECT_EQ(f.TmpHelp, 0);
        EXPECT_EQ(f.UseHelp, 0);
        EXPECT_EQ(f.BmHelp, 0);
        EXPECT_EQ(f.BmHelpAll, 0);
        EXPECT_EQ(f.Jishu, 0);
        EXPECT_FALSE(f.imghidehelp->isHidden());
        EXPECT_FALSE(f.imghelphide->isHidden());
        EXPECT_FALSE(f.txtInput->isEnabled());
        EXPECT_TRUE(p.messages.isEmpty());
        EXPECT_TRUE(p.openRequests.isEmpty());
        EXPECT_EQ(shownCharts(), "");
    }
}

TEST_F(WindowKeys, F10AsksForAFile) {
    ml::Form1& f = build();
    press("F10");  // cancelled
    EXPECT_EQ(p.openRequests.size(), 1);
    EXPECT_FALSE(f.txtInput->isEnabled());
    p.openAnswers << makePractice(u"a.txt"_s, {u"天地"_s});
    press("F10");
    EXPECT_EQ(p.openRequests.size(), 2);
    EXPECT_EQ(line(), u"天地"_s);
    EXPECT_TRUE(f.txtInput->isEnabled());
}

TEST_F(WindowKeys, F11OpensTheRemoteTextAndKeepsItsLineCount) {
    ml::Form1& f = build();
    press("F11");
    EXPECT_TRUE(p.messages.isEmpty());
    EXPECT_EQ(line(), kShared[0]);
    EXPECT_EQ(f.isLianxi, u"F"_s);
    EXPECT_EQ(f.nowLianXiCiShu, 1);  // the first showing, not reset afterwards
    EXPECT_TRUE(f.txtInput->isEnabled());
}

}  // namespace
