// The typing checker and the session clock, driven through the input box.
#include "formfixture.h"

namespace {

using namespace mltest;

class Typing : public FormFixture {
protected:
    // Three full lines of distinct characters and a short last one.
    void SetUp() override {
        FormFixture::SetUp();
        lines = {cjk(28), cjk(28, u'\u5000'), cjk(28, u'\u5100'), u"末行"_s};
        file = makePractice(u"a.txt"_s, lines);
    }
    // `text` with the characters at the given 1-based positions replaced by a wrong one.
    static QString withWrong(QString text, std::initializer_list<int> positions) {
        for (int k : positions) text[k - 1] = u'错';
        return text;
    }
    QStringList lines;
    QString file;
};

TEST_F(Typing, FirstRightCharacterStartsTheClock) {
    ml::Form1& f = buildAndOpen(file);
    p.now = 5000.25;
    type(lines[0].left(1));
    EXPECT_EQ(cell(1), ml::Form1::rightColor());
    EXPECT_EQ(cell(2), ml::Form1::kWhite);
    EXPECT_EQ(f.Types, 1);
    EXPECT_EQ(f.RightTypes, 1);
    EXPECT_EQ(f.Jishu, 1);
    EXPECT_EQ(f.oldInput, lines[0].left(1));
    EXPECT_TRUE(f.Timer1->isActive());
    EXPECT_EQ(f.Times, 5000.25);
    EXPECT_EQ(soundCount(u"打错字.wav"_s), 0);
    // The clock start stays at the first keystroke.
    p.now += 3;
    type(lines[0].mid(1, 1));
    EXPECT_EQ(f.Times, 5000.25);
}

TEST_F(Typing, WrongCharacterTurnsRedAndSounds) {
    ml::Form1& f = buildAndOpen(file);
    type(lines[0].left(1) + u"错"_s);
    EXPECT_EQ(cell(1), ml::Form1::rightColor());
    EXPECT_EQ(cell(2), ml::Form1::kRed);
    EXPECT_EQ(f.Types, 2);
    EXPECT_EQ(f.RightTypes, 1);
    EXPECT_EQ(soundCount(u"打错字.wav"_s), 1);
    EXPECT_EQ(p.sounds.last(), sound(u"打错字.wav"_s));
    EXPECT_TRUE(f.Timer1->isActive());
}

TEST_F(Typing, WrongFirstKeystrokeStartsTheClockToo) {
    ml::Form1& f = buildAndOpen(file);
    type(u"错"_s);
    EXPECT_EQ(cell(1), ml::Form1::kRed);
    EXPECT_EQ(f.Types, 1);
    EXPECT_EQ(f.RightTypes, 0);
    EXPECT_TRUE(f.Timer1->isActive());
    EXPECT_EQ(f.Times, p.now);
}

TEST_F(Typing, TwoCharacterCommitJudgesBoth) {
    struct Case {
        const char* name;
        QString committed;
        QColor c1, c2;
        qint64 right;
        int errorSounds;
    };
    const QString l = lines[0];
    const Case cases[] = {
        {"both right", l.left(2), ml::Form1::rightColor(), ml::Form1::rightColor(), 2, 0},
        {"first wrong", u"错"_s + l.mid(1, 1), ml::Form1::kRed, ml::Form1::rightColor(), 1, 1},
        {"second wrong", l.left(1) + u"错"_s, ml::Form1::rightColor(), ml::Form1::kRed, 1, 1},
        {"both wrong", u"错错"_s, ml::Form1::kRed, ml::Form1::kRed, 0, 1},
    };
    build();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        p.sounds.clear();
        open(file);
        p.sounds.clear();
        commit(c.committed);
        EXPECT_EQ(cell(1), c.c1);
        EXPECT_EQ(cell(2), c.c2);
        EXPECT_EQ(cell(3), ml::Form1::kWhite);
        EXPECT_EQ(form->Types, 2);
        EXPECT_EQ(form->RightTypes, c.right);
        EXPECT_EQ(form->Jishu, 2);
        EXPECT_EQ(soundCount(u"打错字.wav"_s), c.errorSounds);
        EXPECT_TRUE(form->Timer1->isActive());
    }
}

TEST_F(Typing, KeyEventAndInputMethodCommitReachTheChecker) {
    ml::Form1& f = buildAndOpen(file);
    keyText(lines[0].left(1));
    EXPECT_EQ(f.txtInput->text(), lines[0].left(1));
    EXPECT_EQ(f.Types, 1);
    EXPECT_EQ(cell(1), ml::Form1::rightColor());
    imeCommit(lines[0].mid(1, 2));
    EXPECT_EQ(f.txtInput->text(), lines[0].left(3));
    EXPECT_EQ(f.Types, 3);
    EXPECT_EQ(f.RightTypes, 3);
    EXPECT_EQ(cell(2), ml::Form1::rightColor());
    EXPECT_EQ(cell(3), ml::Form1::rightColor());
}

TEST_F(Typing, FullLineTable) {
    struct Case {
        const char* name;
        QString typed;
        bool movesOn;
    };
    const QString l = lines[0];
    const Case cases[] = {
        {"all right", l, true},
        {"only the 5th wrong", withWrong(l, {5}), true},
        {"1st to 26th wrong", withWrong(l, {1, 2, 3, 10, 26}), true},
        {"27th wrong", withWrong(l, {27}), false},
        {"28th wrong", withWrong(l, {28}), false},
    };
    build();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(progress(u"a"_s));
        open(file);
        type(c.typed);
        if (c.movesOn) {
            EXPECT_EQ(line(), lines[1]);
            EXPECT_EQ(form->JinduNow, 2);
            EXPECT_EQ(readFile(progress(u"a"_s)), le32(2));
            EXPECT_TRUE(form->txtInput->text().isEmpty());
            EXPECT_TRUE(form->oldInput.isEmpty());
            EXPECT_EQ(form->Jishu, 0);
            for (int k = 1; k <= 28; ++k) EXPECT_EQ(cell(k), ml::Form1::kWhite) << k;
        } else {
            EXPECT_EQ(line(), lines[0]);
            EXPECT_EQ(form->JinduNow, 1);
            EXPECT_EQ(readFile(progress(u"a"_s)), le32(1));
            EXPECT_EQ(form->txtInput->text(), c.typed);
            EXPECT_EQ(form->Jishu, 28);
        }
        EXPECT_EQ(form->Types, 28);
    }
}

TEST_F(Typing, WholeLineInOneCommitMovesOn) {
    ml::Form1& f = buildAndOpen(file);
    commit(lines[0]);
    EXPECT_EQ(f.Types, 28);
    EXPECT_EQ(f.RightTypes, 28);
    EXPECT_EQ(line(), lines[1]);
    EXPECT_EQ(readFile(progress(u"a"_s)), le32(2));
}

// The box holds one line's worth: a word committed across the end of a full line used to lose
// its tail. What lies beyond the end is carried into the next line and judged there, exactly as
// if it had been typed there: cells, counters, sounds and progress.
TEST_F(Typing, WordAcrossTheLineEndCarriesIntoTheNextLine) {
    const QString last = lines[0].right(1);
    const struct {
        const char* what;
        bool asKeyPress;
        QString typedFirst;  // the 27 characters before the commit
        QString committed;
        QString line;  // the line on show afterwards
        QString box;   // and the box's text
        qint64 types, rightTypes;
        int errorSounds;
        qint32 progress;
    } cases[] = {
        {"the next line's first character", false, lines[0].left(27), last + lines[1].left(1),
         lines[1], lines[1].left(1), 29, 29, 0, 2},
        {"as a key press carrying both", true, lines[0].left(27), last + lines[1].left(1), lines[1],
         lines[1].left(1), 29, 29, 0, 2},
        {"a wrong carried character", false, lines[0].left(27), last + u"错"_s, lines[1], u"错"_s,
         29, 28, 1, 2},
        {"across two line ends", false, lines[0].left(27), last + lines[1] + lines[2].left(2),
         lines[2], lines[2].left(2), 58, 58, 0, 3},
        // Character 27 is wrong, so the line stays; the box is full and takes nothing more.
        {"a line that does not move on", false, withWrong(lines[0].left(27), {27}),
         last + lines[1].left(1), lines[0], withWrong(lines[0], {27}), 28, 27, 1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        form.reset();
        p.sounds.clear();
        QFile::remove(progress(u"a"_s));
        ml::Form1& f = buildAndOpen(file);
        type(c.typedFirst);
        if (c.asKeyPress)
            keyText(c.committed);
        else
            imeCommit(c.committed);
        EXPECT_EQ(line(), c.line);
        EXPECT_EQ(f.txtInput->text(), c.box);
        EXPECT_EQ(f.oldInput, c.box);
        EXPECT_EQ(f.Jishu, c.box.size());
        EXPECT_EQ(f.Types, c.types);
        EXPECT_EQ(f.RightTypes, c.rightTypes);
        EXPECT_EQ(soundCount(u"打错字.wav"_s), c.errorSounds);
        EXPECT_EQ(readFile(progress(u"a"_s)), le32(c.progress));
        for (int k = 1; k <= 28; ++k) {
            const QColor want = k > c.box.size()                ? ml::Form1::kWhite
                                : c.box[k - 1] == c.line[k - 1] ? ml::Form1::rightColor()
                                                                : ml::Form1::kRed;
            EXPECT_EQ(cell(k), want) << "cell " << k;
        }
    }
}

TEST_F(Typing, RepeatTwoWritesProgressOnTheSecondShowing) {
    ml::Form1& f = buildAndOpen(file, withConfig(" 2 \r\n"));
    ASSERT_EQ(f.Lianxicishu, 2);
    type(lines[0]);
    EXPECT_EQ(line(), lines[0]);
    EXPECT_EQ(f.nowLianXiCiShu, 2);
    EXPECT_EQ(f.JinduNow, 1);
    EXPECT_EQ(readFile(progress(u"a"_s)), le32(1));
    type(lines[0]);
    EXPECT_EQ(line(), lines[1]);
    EXPECT_EQ(f.nowLianXiCiShu, 1);
    EXPECT_EQ(f.JinduNow, 2);
    EXPECT_EQ(readFile(progress(u"a"_s)), le32(2));
    EXPECT_EQ(f.Types, 56);
}

TEST_F(Typing, DeletionIsNotJudged) {
    ml::Form1& f = buildAndOpen(file);
    type(lines[0].left(3));
    p.sounds.clear();
    f.txtInput->backspace();
    EXPECT_EQ(f.txtInput->text(), lines[0].left(2));
    EXPECT_EQ(f.Types, 3);
    EXPECT_EQ(f.RightTypes, 3);
    EXPECT_EQ(f.Jishu, 3);
    EXPECT_EQ(cell(3), ml::Form1::rightColor());
    EXPECT_TRUE(p.sounds.isEmpty());
    // A replacement of the same length is not judged either.
    f.txtInput->setText(u"错错错"_s);
    EXPECT_EQ(f.Types, 3);
    EXPECT_EQ(cell(1), ml::Form1::rightColor());
    EXPECT_TRUE(p.sounds.isEmpty());
}

TEST_F(Typing, BeyondAShortLineIsWrong) {
    ml::Form1& f = buildAndOpen(file);
    f.Lianxi();
    f.Lianxi();
    f.Lianxi();
    ASSERT_EQ(line(), u"末行"_s);
    p.sounds.clear();
    type(u"末行多"_s);
    EXPECT_EQ(cell(1), ml::Form1::rightColor());
    EXPECT_EQ(cell(2), ml::Form1::rightColor());
    EXPECT_EQ(cell(3), ml::Form1::kRed);
    EXPECT_EQ(f.RightTypes, 2);
    EXPECT_EQ(soundCount(u"打错字.wav"_s), 1);
}

TEST_F(Typing, CountersGrowAcrossLines) {
    ml::Form1& f = buildAndOpen(file);
    type(lines[0]);
    type(withWrong(lines[1], {3}).left(5));
    EXPECT_EQ(f.Types, 33);
    EXPECT_EQ(f.RightTypes, 32);
    EXPECT_TRUE(f.Timer1->isActive());
}

TEST_F(Typing, ChangeEndsTemporaryHintsAndCursorCharts) {
    struct Case {
        const char* name;
        qint16 tmpHelp, useHelp, bmHelp, bmHelpAll;
        qint16 tmpAfter, bmHelpAfter;
        bool labelsShown;
    };
    const Case cases[] = {
        {"temporary demonstration ends", 1, 0, 1, 1, 0, 0, false},
        {"persistent demonstration stays", 1, 1, 0, 0, 1, 0, false},
        {"temporary code hints end", 0, 0, 1, 0, 0, 0, false},
        {"persistent code hints come back", 0, 0, 0, 1, 0, 1, true},
    };
    ml::Form1& f = buildAndOpen(file);
    type(lines[0].left(2));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        f.TmpHelp = c.tmpHelp;
        f.UseHelp = c.useHelp;
        f.BmHelp = c.bmHelp;
        f.BmHelpAll = c.bmHelpAll;
        f.Showhelp = u"T"_s;
        f.BigHelp = u"横"_s;
        f.imghidehelp->hide();
        f.showCodeLabels();
        const qint64 types = f.Types;
        f.txtInput->backspace();  // a deletion counts as a change too
        f.txtInput->insert(lines[0].mid(1, 1));
        EXPECT_EQ(f.Types, types);  // not longer than oldInput: not judged
        EXPECT_TRUE(f.BigHelp.isEmpty());
        EXPECT_EQ(f.TmpHelp, c.tmpAfter);
        EXPECT_EQ(f.BmHelp, c.bmHelpAfter);
        EXPECT_EQ(f.Showhelp, c.tmpHelp == 1 && c.useHelp == 0 ? u"F"_s : u"T"_s);
        EXPECT_EQ(f.imghidehelp->isHidden(), !(c.tmpHelp == 1 && c.useHelp == 0));
        EXPECT_EQ(f.lbbmci[0]->isHidden(), !c.labelsShown);
        EXPECT_EQ(f.lbbmzi[3]->isHidden(), !c.labelsShown);
    }
}

// ---- Clock ----

TEST_F(Typing, ClockFiguresAfter65Seconds) {
    ml::Form1& f = buildAndOpen(file);
    const double start = p.now;
    type(lines[0]);                              // 28 right
    type(withWrong(lines[1], {3, 4, 5, 6, 7}));  // 23 right, 5 wrong
    type(lines[2].left(4));                      // 4 right
    ASSERT_EQ(f.Types, 60);
    ASSERT_EQ(f.RightTypes, 55);
    EXPECT_EQ(f.Times, start);
    p.now = start + 65;
    f.Timer1_Timer();
    EXPECT_EQ(f.lbtime->text(), u" 0:01:05"_s);
    EXPECT_EQ(f.lbshudu->text(), u"55"_s);
    EXPECT_EQ(f.lbZql->text(), u" 91%"_s);
    // The tick changes no variable.
    EXPECT_EQ(f.Types, 60);
    EXPECT_EQ(f.Times, start);
}

TEST_F(Typing, ClockTable) {
    struct Case {
        double after;
        const char* time;
        const char* speed;
    };
    const Case cases[] = {
        {0.4, " 0:00:00", "150"}, {59.6, " 0:01:00", "1"},   {60.6, " 0:01:01", "0"},
        {3725, " 1:02:05", "0"},  {36000, " 10:00:00", "0"},
    };
    ml::Form1& f = buildAndOpen(file);
    type(lines[0].left(1));
    const double start = f.Times;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.after);
        p.now = start + c.after;
        f.Timer1_Timer();
        EXPECT_EQ(f.lbtime->text(), QString::fromUtf8(c.time));
        EXPECT_EQ(f.lbshudu->text(), QString::fromUtf8(c.speed));
        EXPECT_EQ(f.lbZql->text(), u"100%"_s);
    }
}

TEST_F(Typing, AccuracyTwoOfThree) {
    ml::Form1& f = buildAndOpen(file);
    type(lines[0].left(2) + u"错"_s);
    p.now += 10;
    f.Timer1_Timer();
    EXPECT_EQ(f.lbZql->text(), u" 66%"_s);
    EXPECT_EQ(f.lbshudu->text(), u"18"_s);
}

}  // namespace
