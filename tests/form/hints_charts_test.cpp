// The root-zone charts: the remembered selection BigHelp against what is shown, through the chart
// commands and the typing checker's reset.
#include "formfixture.h"

namespace {

using namespace mltest;

class Charts : public FormFixture {};

TEST_F(Charts, SelectionAndVisibility) {
    struct Step {
        const char* action;  // Up, Left, Right, Esc, F5, F7, Type
        const char* shown;   // letter of the one chart shown (g h t y n), "" for none
        QString bigHelp;
    };
    struct Case {
        const char* name;
        std::vector<Step> steps;
    };
    const Case cases[] = {
        {"Up Up Up", {{"Up", "t", u"撇"_s}, {"Up", "y", u"点"_s}, {"Up", "", u""_s}}},
        {"Up Esc Up", {{"Up", "t", u"撇"_s}, {"Esc", "", u"撇"_s}, {"Up", "y", u"点"_s}}},
        {"Left Right", {{"Left", "g", u"横"_s}, {"Right", "h", u"竖"_s}}},
        {"Left Left", {{"Left", "g", u"横"_s}, {"Left", "", u""_s}}},
        {"Right Up", {{"Right", "h", u"竖"_s}, {"Up", "t", u"撇"_s}}},
        {"F7 Up Up", {{"F7", "t", u""_s}, {"Up", "t", u"撇"_s}, {"Up", "y", u"点"_s}}},
        {"Left F7 Type", {{"Left", "g", u"横"_s}, {"F7", "t", u"横"_s}, {"Type", "", u""_s}}},
        // Typing closes only a chart chosen through the selection.
        {"F5 Type", {{"F5", "g", u""_s}, {"Type", "g", u""_s}}},
    };
    const QString file = makePractice(u"a.txt"_s, {u"abcdefgh"_s});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        form.reset();
        ml::Form1& f = buildAndOpen(file);
        ASSERT_TRUE(f.txtInput->isEnabled());
        const std::pair<char, ml::Picture*> charts[] = {
            {'g', f.imgg}, {'h', f.imgh}, {'t', f.imgt}, {'y', f.imgy}, {'n', f.imgn}};
        for (const Step& s : c.steps) {
            SCOPED_TRACE(s.action);
            const std::string a = s.action;
            if (a == "Up") f.chartCycle();
            if (a == "Left") f.chartToggle(u"横"_s);
            if (a == "Right") f.chartToggle(u"竖"_s);
            if (a == "Esc") f.chartHideAll();
            if (a == "F5") f.chartShowOne(f.imgg);
            if (a == "F7") f.chartShowOne(f.imgt);
            if (a == "Type") f.txtInput->setText(f.txtInput->text() + u"a"_s);
            std::string shown;
            for (const auto& [letter, chart] : charts)
                if (!chart->isHidden()) shown += letter;
            EXPECT_EQ(shown, s.shown);
            EXPECT_EQ(f.BigHelp, s.bigHelp);
        }
    }
}

// The pictures out of sight at start (charts, lit keys, highlighted buttons, the covered hint
// area) are decoded when they first come into sight, and then they are the right pictures.
TEST_F(Charts, HiddenArtIsDecodedWhenFirstShown) {
    ml::Form1& f = build();
    const std::pair<ml::Picture*, QSize> later[] = {
        {f.imgg, {800, 293}}, {f.imgn, {800, 293}},     {f.keys[0], {29, 29}},
        {f.Image3, {86, 23}}, {f.imghidehelp, {855, 73}}, {f.img_ci, {217, 52}}};
    for (const auto& [pic, size] : later) EXPECT_TRUE(pic->pixmap().isNull()) << pic->objectName().toStdString();

    f.chartShowOne(f.imgg);
    f.imgn->show();
    f.keys[0]->show();
    f.Image1_MouseMove();
    f.imghelphide->hide();  // as opening a file does
    for (const auto& [pic, size] : later) {
        SCOPED_TRACE(pic->objectName().toStdString());
        ASSERT_FALSE(pic->pixmap().isNull());
        EXPECT_EQ(pic->pixmap().deviceIndependentSize().toSize(), size);
    }
    // Still out of sight: not decoded.
    EXPECT_TRUE(f.imgh->pixmap().isNull());
    EXPECT_TRUE(f.keys[1]->pixmap().isNull());
}

}  // namespace
