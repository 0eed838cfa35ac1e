// Drill mode of the main window: keys judged as they are pressed with the input method off, the
// explanation of a wrong key, the hints on the current item, rounds that open the next lesson,
// the lesson picker, and text practice left exactly as it was.
#include <QCheckBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidget>

#include "course/store.h"
#include "dialogs/lessonpicker.h"
#include "formfixture.h"
#include "practice/drillmode.h"
#include "practice/rules.h"
#include "practice/texts.h"

namespace {

using namespace mltest;
using ml::course::MemoryStore;

class Drill : public FormFixture {
protected:
    // A window with the built dictionary, the built lessons and a record kept in memory.
    ml::Form1& buildWithCourse() {
        const QString app = qEnvironmentVariable("ML_APP_DIR");
        const QString from = QDir(app).filePath(u"课程"_s);
        QDir(home).mkpath(u"课程"_s);
        for (const QString& f : QDir(from).entryList(QDir::Files))
            QFile::copy(QDir(from).filePath(f), path(u"课程/"_s + f));
        build(withDictionary());
        auto s = std::make_unique<MemoryStore>();
        store = s.get();
        form->setDrillStore(std::move(s));
        return *form;
    }
    void key(int qtKey, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QKeyEvent e(QEvent::KeyPress, qtKey, mods);
        QApplication::sendEvent(form->txtInput, &e);
    }
    // Letters and spaces as key presses, a tenth of a second apart.
    void keys(const QString& letters) {
        for (QChar c : letters) {
            p.now += 0.1;
            key(c == u' ' ? Qt::Key_Space : Qt::Key_A + (c.toLower().unicode() - u'a'));
        }
    }
    ml::DrillMode& d() { return *form->drill(); }
    int rightKeys() const {
        int n = 0;
        for (const auto& k : store->keys) n += k.right;
        return n;
    }
    MemoryStore* store = nullptr;
};

TEST_F(Drill, KeysAreJudgedAsTheyArePressedWithTheInputMethodOff) {
    buildWithCourse();
    ASSERT_TRUE(form->enterDrill(u"keynames"_s));
    EXPECT_TRUE(form->inDrill());
    EXPECT_FALSE(form->txtInput->testAttribute(Qt::WA_InputMethodEnabled));
    EXPECT_TRUE(form->txtInput->inputMethodHints() & Qt::ImhLatinOnly);
    EXPECT_FALSE(form->lblianxi->isVisibleTo(form.get()));
    EXPECT_TRUE(d().line->isVisibleTo(form.get()));
    EXPECT_EQ(form->lbfilename->text(), u"编码练习：键名字"_s);

    keys(u"ggg"_s);
    EXPECT_EQ(form->txtInput->text(), u"GGG"_s);  // the keys typed, not composed text
    keys(u"g"_s);
    EXPECT_EQ(d().round->current(), 1);
    EXPECT_EQ(form->txtInput->text(), QString());
    ASSERT_EQ(store->keys.size(), 4);
    EXPECT_EQ(store->keys[0].lesson, u"keynames"_s);
    EXPECT_EQ(store->keys[0].item, u"c:王"_s);
    EXPECT_EQ(rightKeys(), 4);
    EXPECT_EQ(soundCount(u"打错字.wav"_s), 0);

    // 土 next: a wrong key turns its cell red, sounds, says why, and must be typed again.
    keys(u"g"_s);
    EXPECT_EQ(soundCount(u"打错字.wav"_s), 1);
    EXPECT_TRUE(d().round->wrongPending());
    EXPECT_TRUE(d().why->text().contains(u"第1码：土 是键名字，F 连打四下"_s)) << d().why->text().toStdString();
    keys(u"ffff"_s);
    EXPECT_EQ(d().round->current(), 2);
    EXPECT_TRUE(d().round->missed(1));
    EXPECT_EQ(store->keys.size(), 9);
    EXPECT_FALSE(store->keys[4].right);
    EXPECT_EQ(store->keys[4].typed, u'g');
    EXPECT_EQ(store->keys[5].ms, 100);
    EXPECT_TRUE(d().why->text().contains(u"土"_s));  // kept until the next item's keys
    keys(u"d"_s);
    EXPECT_TRUE(d().why->text().isEmpty());

    // A composition an input method still sends is ignored.
    imeCommit(u"王"_s);
    EXPECT_EQ(form->txtInput->text(), u"D"_s);
    EXPECT_EQ(store->keys.size(), 10);
}

TEST_F(Drill, OtherKeysChangeNothing) {
    buildWithCourse();
    ASSERT_TRUE(form->enterDrill(u"keynames"_s));
    keys(u"gg"_s);
    for (int k : {int(Qt::Key_Z), int(Qt::Key_1), int(Qt::Key_Escape), int(Qt::Key_Left),
                  int(Qt::Key_Up), int(Qt::Key_PageDown), int(Qt::Key_Comma), int(Qt::Key_Tab)})
        key(k);
    key(Qt::Key_G, Qt::ControlModifier);
    key(Qt::Key_G, Qt::AltModifier);
    EXPECT_EQ(store->keys.size(), 2);
    EXPECT_EQ(form->txtInput->text(), u"GG"_s);
    EXPECT_TRUE(form->inDrill());
    // Backspace takes back a key of the current item.
    key(Qt::Key_Backspace);
    EXPECT_EQ(form->txtInput->text(), u"G"_s);
    EXPECT_EQ(d().round->typed(0), u"g"_s);
}

TEST_F(Drill, AShortCodeWantsTheSpaceBar) {
    buildWithCourse();
    ASSERT_TRUE(form->enterDrill(u"short1"_s));
    keys(u"gg"_s);  // 一: G then the space bar
    EXPECT_TRUE(d().why->text().contains(u"一 有简码 G：打 G 后按空格"_s)) << d().why->text().toStdString();
    keys(u" "_s);
    EXPECT_EQ(d().round->current(), 1);
    EXPECT_EQ(store->keys.last().expected, u' ');
}

TEST_F(Drill, HintsShowTheCurrentItemAndMarkTheNextKey) {
    buildWithCourse();
    ASSERT_TRUE(form->enterDrill(u"keynames"_s));
    key(Qt::Key_F2);
    key(Qt::Key_F4);
    EXPECT_EQ(form->Showhelp, u"T"_s);
    EXPECT_EQ(form->lbbmcizi[0]->text(), u"G"_s);
    EXPECT_TRUE(form->lbbmcizi[0]->isVisibleTo(form.get()));
    EXPECT_TRUE(form->keys['g' - 'a']->isVisibleTo(form.get()));
    EXPECT_TRUE(d().nextKey->isVisibleTo(form.get()));
    EXPECT_EQ(d().nextKey->geometry().center(), form->keys['g' - 'a']->geometry().center());
    keys(u"gggg"_s);
    EXPECT_EQ(form->lbbmcizi[0]->text(), u"F"_s);  // 土
    EXPECT_TRUE(form->keys['f' - 'a']->isVisibleTo(form.get()));
    EXPECT_FALSE(form->keys['g' - 'a']->isVisibleTo(form.get()));
    EXPECT_EQ(d().nextKey->geometry().center(), form->keys['f' - 'a']->geometry().center());
    key(Qt::Key_F2);  // hints off: the mark goes with them
    EXPECT_FALSE(d().nextKey->isVisibleTo(form.get()));
    EXPECT_TRUE(d().board->isVisibleTo(form.get()));
}

TEST_F(Drill, AFullRoundAtTheGoalOpensTheNextLessonAndListsTheMissed) {
    buildWithCourse();
    ASSERT_TRUE(form->enterDrill(u"strokes"_s));
    ASSERT_EQ(d().round->size(), 5);
    keys(u"ggll"_s);
    keys(u"hhlhl"_s);  // one wrong key: 丨 missed, accuracy 20 of 21
    keys(u"ttllyyllnnll"_s);
    ASSERT_TRUE(d().report);
    EXPECT_TRUE(d().report->passed);
    EXPECT_EQ(d().report->opened, u"一级简码"_s);
    EXPECT_TRUE(d().line->summary());
    EXPECT_EQ(d().round->missedItems(), QList<int>{1});
    EXPECT_TRUE(d().why->text().contains(u"已打开下一课「一级简码」"_s)) << d().why->text().toStdString();
    EXPECT_TRUE(store->lessons.value(u"strokes"_s).passed);
    // Keys between rounds are not judged; Enter starts the next round.
    keys(u"g"_s);
    EXPECT_EQ(store->keys.size(), 21);
    key(Qt::Key_Return);
    EXPECT_FALSE(d().report);
    EXPECT_EQ(d().round->current(), 0);
    // The missed stroke is due at once in today's review.
    ASSERT_TRUE(form->enterDrill(u"review"_s));
    EXPECT_EQ(d().round->target(0).item.text, u"丨"_s);
}

TEST_F(Drill, ALessonThatCannotBePractisedIsToldAndNothingChanges) {
    buildWithCourse();
    EXPECT_FALSE(form->enterDrill(u"nosuch"_s));
    EXPECT_FALSE(form->inDrill());
    ASSERT_EQ(p.messages.size(), 1);
    EXPECT_TRUE(p.messages[0].text.contains(u"nosuch"_s));
    QFile::remove(path(u"课程/rootchars.tsv"_s));
    EXPECT_FALSE(form->enterDrill(u"rootchars"_s));
    EXPECT_TRUE(p.messages.last().text.contains(u"rootchars.tsv"_s));
    EXPECT_TRUE(form->enterDrill(u"keynames"_s));  // the others still work
}

TEST_F(Drill, LeavingReturnsToTheTextWhereItWas) {
    buildWithCourse();
    open(makePractice(u"a.txt"_s, {cjk(28), u"一二三"_s}));
    type(cjk(2));
    const QRect box = form->txtInput->geometry();
    ASSERT_TRUE(form->enterDrill(u"keynames"_s));
    keys(u"gggg"_s);
    key(Qt::Key_F10);  // the open dialog, cancelled: the same file again
    EXPECT_FALSE(form->inDrill());
    EXPECT_TRUE(form->txtInput->testAttribute(Qt::WA_InputMethodEnabled));
    EXPECT_FALSE(form->txtInput->isReadOnly());
    EXPECT_EQ(form->txtInput->geometry(), box);
    EXPECT_TRUE(form->lblianxi->isVisibleTo(form.get()));
    EXPECT_FALSE(d().line->isVisibleTo(form.get()));
    EXPECT_EQ(line(), cjk(28));
    EXPECT_EQ(form->lbfilename->text(), ml::shortenPath(form->Fname));
    // Text practice judges as before.
    type(cjk(1));
    EXPECT_EQ(cell(1), ml::Form1::rightColor());
    EXPECT_EQ(form->Types, 1);
}

TEST_F(Drill, LeavingWithoutAFileGoesBackToTheStartingWindow) {
    buildWithCourse();
    ASSERT_TRUE(form->imghelphide->isVisibleTo(form.get()));
    ASSERT_TRUE(form->enterDrill(u"keynames"_s));
    EXPECT_FALSE(form->imghelphide->isVisibleTo(form.get()));
    form->leaveDrill();
    EXPECT_TRUE(form->imghelphide->isVisibleTo(form.get()));
    EXPECT_FALSE(form->txtInput->isEnabled());
    EXPECT_EQ(form->lbfilename->text(), ml::text::kNoFileCaption);
}

TEST_F(Drill, ThePickerListsTheLessonsAndStartsOnlyOpenOnes) {
    buildWithCourse();
    form->Image6_Click();
    ml::LessonPicker* picker = dialogs().course();
    ASSERT_TRUE(picker);
    EXPECT_EQ(picker->windowTitle(), u"课程"_s);
    EXPECT_EQ(picker->chosen(), u"roots-1"_s);  // where a new learner starts
    EXPECT_TRUE(picker->cmdstart->isEnabled());
    EXPECT_FALSE(picker->cmdback->isEnabled());
    picker->choose(u"words-2"_s);
    EXPECT_FALSE(picker->cmdstart->isEnabled());  // locked
    EXPECT_FALSE(picker->start());
    // The goal is the learner's to change, and kept.
    picker->choose(u"roots-1"_s);
    picker->txtspeed->setValue(33);
    EXPECT_EQ(store->lessons.value(u"roots-1"_s).goal->speed, 33);
    picker->chkjianma->setChecked(false);
    EXPECT_FALSE(store->shortFirst());
    ASSERT_TRUE(picker->start());
    EXPECT_TRUE(form->inDrill());
    EXPECT_EQ(form->drillLesson(), u"roots-1"_s);
    QApplication::processEvents();
    form->Image6_Click();
    picker = dialogs().course();
    ASSERT_TRUE(picker);
    EXPECT_TRUE(picker->cmdback->isEnabled());
    picker->back();
    EXPECT_FALSE(form->inDrill());
}

}  // namespace
