// The learning record as the window fills it: the rows of right, wrong, word commits and
// Backspace corrections, the sessions, when rows are committed, and a record that cannot be used.
#include "record/recorder.h"

#include <QTest>
#include <QThread>

#include "commands/vkeys.h"
#include "dialogs/summary.h"
#include "formfixture.h"
#include "support/recorddb.h"

namespace {

using namespace mltest;

// 中国人民共和国 … : 28 characters, the first line of every test file here.
const QString kLine = u"中国人民共和国成立以来我们的生活发生了很大的变化和进步。"_s;

class Recording : public FormFixture {
protected:
    QString record() const { return path(u"练习记录.db"_s); }
    void press(qint16 key) { form->txtInput_KeyDown(key, 0); }
    // Backspace as the learner presses it: the command first, then the box deletes.
    void backspace() {
        QKeyEvent e(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier);
        QApplication::sendEvent(form->txtInput, &e);
    }
    // The judged rows so far, as "pos target typed right ms hints codes".
    std::vector<QStringList> judged() {
        EXPECT_TRUE(form->recorder()->sync());
        RecordDb db(record());
        return db.rows(
            "SELECT pos, target, typed, right, ms, hint_display, code_hints FROM judged ORDER BY id");
    }
    static QStringList rowOf(const char* pos, const QString& target, const QString& typed,
                             bool right, const char* ms, bool hints = false, bool codes = false) {
        return {QString::fromLatin1(pos), target, typed, right ? u"1"_s : u"0"_s,
                QString::fromLatin1(ms), hints ? u"1"_s : u"0"_s, codes ? u"1"_s : u"0"_s};
    }
};

TEST_F(Recording, RightWrongWordCommitsAndCorrectionsEachLeaveTheirRows) {
    buildAndOpen(makePractice(u"课文.txt"_s, {kLine, u"第二行"_s}), withDictionary());
    p.now = 100.0;
    commit(u"中"_s);  // the first of the line: no latency
    p.now = 100.4;
    commit(u"图"_s);  // wrong
    backspace();  // takes nothing back from the record: the wrong row stays
    p.now = 101.6;
    commit(u"国"_s);  // the correction, judged again at the same place
    p.now = 102.1;
    imeCommit(u"人民"_s);  // a word at once: one row each, the first with the latency
    EXPECT_EQ(judged(), (std::vector<QStringList>{
                            rowOf("1", u"中"_s, u"中"_s, true, "NULL"),
                            rowOf("2", u"国"_s, u"图"_s, false, "400"),
                            rowOf("2", u"国"_s, u"国"_s, true, "1200"),
                            rowOf("3", u"人"_s, u"人"_s, true, "500"),
                            rowOf("4", u"民"_s, u"民"_s, true, "NULL"),
                        }));
    RecordDb db(record());
    EXPECT_EQ(db.rows("SELECT DISTINCT line FROM judged"), (std::vector<QStringList>{{u"1"_s}}));
    EXPECT_EQ(db.value("SELECT code FROM judged WHERE target = '中' LIMIT 1"), u"khk"_s);
    // Active time: 400 + 1200 + 500 (+ 0 for the word's second character).
    EXPECT_EQ(db.rows("SELECT judged, right, active_ms FROM session"),
              (std::vector<QStringList>{{u"5"_s, u"4"_s, u"2100"_s}}));
}

TEST_F(Recording, RowsSayWhetherTheHintsWereOnWhileTheCharacterWasTyped) {
    buildAndOpen(makePractice(u"课文.txt"_s, {kLine}));
    type(u"中"_s);
    press(ml::vk::F1);  // the decomposition for now: ends with the next change
    type(u"国"_s);
    type(u"人"_s);
    press(ml::vk::F2);  // for good
    press(ml::vk::F3);  // and the codes for now
    type(u"民"_s);
    type(u"共"_s);
    const auto rows = judged();
    ASSERT_EQ(rows.size(), 5u);
    const std::pair<bool, bool> flags[5] = {{false, false}, {true, false}, {false, false},
                                            {true, true},   {true, false}};
    for (size_t i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(rows[i][5], flags[i].first ? u"1"_s : u"0"_s);
        EXPECT_EQ(rows[i][6], flags[i].second ? u"1"_s : u"0"_s);
    }
}

TEST_F(Recording, EachOpeningIsASessionOfItsOwn) {
    ml::Form1& f = buildAndOpen(makePractice(u"课文.txt"_s, {kLine}), withConfig(" 2 "));
    type(u"中"_s);
    // The classroom's text, opened with F11.
    writeFile(path(u"远程内容.ini"_s), gbkLines({u"x"_s, u"Path="_s + makePractice(u"共享.txt"_s, {u"甲乙"_s})}));
    f.Image4_Click();
    type(u"甲乙丙"_s);
    EXPECT_TRUE(f.recorder()->sync());
    RecordDb db(record());
    EXPECT_EQ(db.rows("SELECT name, remote, repeats, judged, right, ended_ms >= started_ms FROM "
                      "session ORDER BY id"),
              (std::vector<QStringList>{{u"课文"_s, u"0"_s, u"2"_s, u"1"_s, u"1"_s, u"1"_s},
                                        {u"共享"_s, u"1"_s, u"2"_s, u"3"_s, u"2"_s, u"1"_s}}));
    EXPECT_EQ(db.value("SELECT path FROM session WHERE name = '课文'"), practice(u"课文.txt"_s));
}

TEST_F(Recording, AFinishedLineIsCommittedWithoutWaitingForTheInterval) {
    buildAndOpen(makePractice(u"课文.txt"_s, {kLine, u"第二行"_s}));
    ASSERT_TRUE(form->recorder()->waitReady(5000));
    type(kLine);
    ASSERT_EQ(line(), u"第二行"_s);
    // Well inside the 5 s interval: only the line end can have committed.
    bool committed = false;
    for (int i = 0; i < 150 && !committed; ++i) {
        RecordDb db(record());
        committed = db.value("SELECT count(*) FROM judged") == u"28"_s;
        if (!committed) QThread::msleep(10);
    }
    EXPECT_TRUE(committed);
}

TEST_F(Recording, ClosingTheWindowKeepsThePartOfTheLineTyped) {
    buildAndOpen(makePractice(u"课文.txt"_s, {kLine}));
    type(u"中国人"_s);
    form->close();
    RecordDb db(record());
    EXPECT_EQ(db.value("SELECT count(*) FROM judged"), u"3"_s);
    EXPECT_EQ(db.value("SELECT judged FROM session"), u"3"_s);
}

TEST_F(Recording, AnUnusableRecordIsToldOnceAndPracticeGoesOn) {
    writeFile(record(), "these are my notes\n");
    build();
    open(makePractice(u"课文.txt"_s, {kLine, u"第二行"_s}));
    ASSERT_EQ(p.messages.size(), 1);
    EXPECT_TRUE(p.messages[0].text.contains(u"不是墨岚打字通的练习记录"_s));
    type(kLine);  // judged, coloured, progress saved as ever
    EXPECT_EQ(line(), u"第二行"_s);
    EXPECT_EQ(readFile(progress(u"课文"_s)), le32(2));
    open(practice(u"课文.txt"_s));
    EXPECT_EQ(p.messages.size(), 1);
    EXPECT_EQ(readFile(record()), "these are my notes\n");
}

// ---- The summary at the end of a pass ----

class Summary : public Recording {
protected:
    ml::PassSummary* panel() { return dialogs().summary(); }
};

TEST_F(Summary, ShowsThePassWithItsMostMissedCharactersAndLeavesTheFocusInTheBox) {
    ml::Form1& f = buildAndOpen(makePractice(u"课文.txt"_s, {u"中国人"_s, u"中国"_s}), withDictionary());
    f.show();
    f.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
    p.now = 10.0;
    type(u"中图人"_s);
    press(ml::vk::Return);
    p.now = 12.0;
    type(u"种图"_s);
    EXPECT_FALSE(panel() && panel()->isVisible());
    press(ml::vk::Return);  // the feed starts over at line 1
    ASSERT_TRUE(panel());
    EXPECT_TRUE(panel()->isVisible());
    EXPECT_EQ(QApplication::activeWindow(), &f);
    EXPECT_EQ(QApplication::focusWidget(), f.txtInput);
    const QString figures = panel()->figures->text();
    EXPECT_TRUE(figures.contains(u"40"_s)) << figures.toStdString();  // 2 of 5 right
    EXPECT_TRUE(figures.contains(u"共 5 字"_s));
    const QString missed = panel()->missed->text();
    // 国 missed twice comes first, with its code; 中 once.
    EXPECT_LT(missed.indexOf(u"国"_s), missed.indexOf(u"中"_s)) << missed.toStdString();
    EXPECT_TRUE(missed.contains(u"LGYI"_s));
    EXPECT_TRUE(missed.contains(u"KHK"_s));
}

TEST_F(Summary, APassWithNothingTypedShowsNone) {
    buildAndOpen(makePractice(u"课文.txt"_s, {u"中国人"_s, u"中国"_s}));
    press(ml::vk::Next);
    press(ml::vk::Next);
    EXPECT_EQ(line(), u"中国人"_s);
    EXPECT_FALSE(panel());
}

}  // namespace
