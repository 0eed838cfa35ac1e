// The input box's key commands, driven by key events sent through the real line edit of a shown,
// active window: hint switches, line commands, restarting the file, consumption of keys and the
// input method's compositions.
#include <QElapsedTimer>
#include <map>

#include "formfixture.h"
#include "hints/dictionary.h"

namespace {

using namespace mltest;

const QString T = u"T"_s;
// The classroom's shared text, opened by F11.
const QStringList kShared = {u"甲乙丙"_s, u"丁戊己"_s};

// Sees the key presses that get past the window's filter, i.e. those that reach the box.
class BoxSpy : public QObject {
public:
    QList<int> keys;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::KeyPress) keys << static_cast<QKeyEvent*>(e)->key();
        return false;
    }
};

class Keys : public FormFixture {
protected:
    void SetUp() override {
        FormFixture::SetUp();
        QString error;
        std::vector<std::pair<QString, QString>> rows;
        for (const auto& [ch, code] : codes) rows.emplace_back(ch, code);
        ASSERT_TRUE(ml::writeDictionary(path(u"CiKu.mdb"_s), rows, &error)) << error.toStdString();
        const QString shared = dir.filePath(u"共享/第1课.txt"_s);
        writeFile(shared, gbkLines(kShared));
        writeFile(path(u"远程内容.ini"_s),
                  gbkLines({u"五笔·键途　远程练习内容配置"_s, u"Path="_s + shared, {}}));
    }

    // A shown, active window with `lines` open, the focus in the input box, as the learner has it;
    // `resumeAt` is the saved line, 0 for none.
    ml::Form1& start(const QStringList& lines, qint16 repeat = 1, qint32 resumeAt = 0) {
        QFile::remove(progress(u"课文"_s));
        if (resumeAt != 0) writeFile(progress(u"课文"_s), le32(resumeAt));
        ml::Form1& f = build();
        f.Lianxicishu = repeat;
        f.show();
        f.activateWindow();
        QElapsedTimer t;
        t.start();
        while (!f.isActiveWindow() && t.elapsed() < 5000) QApplication::processEvents();
        file = makePractice(u"课文.txt"_s, lines);
        open(file);
        EXPECT_TRUE(f.txtInput->hasFocus());
        // The spy goes behind the commands' filter: filters installed last run first.
        auto* commands = dynamic_cast<QObject*>(f.commands());
        f.txtInput->removeEventFilter(commands);
        f.txtInput->installEventFilter(&spy);
        f.txtInput->installEventFilter(commands);
        return f;
    }

    // Presses a key in the input box; true when the key got past the commands to the box.
    bool press(int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        spy.keys.clear();
        QKeyEvent e(QEvent::KeyPress, key, mods);
        QApplication::sendEvent(form->txtInput, &e);
        return spy.keys.contains(key);
    }
    bool press(const char* name) { return press(qtKeyNamed(name)); }
    // Characters typed one key each, as the input method commits them.
    void typeKeys(const QString& text) {
        for (QChar c : text) keyText(QString(c));
    }

    QByteArray progressBytes() const { return readFile(progress(u"课文"_s)); }
    bool labelsShown() const {
        for (auto* group : {&form->lbbmci, &form->lbbmcizi, &form->lbbmzi})
            for (QLabel* l : *group)
                if (l->isHidden()) return false;
        return true;
    }
    bool labelsHidden() const {
        for (auto* group : {&form->lbbmci, &form->lbbmcizi, &form->lbbmzi})
            for (QLabel* l : *group)
                if (!l->isHidden()) return false;
        return true;
    }
    QString litKeys() const {
        QString lit;
        for (int i = 0; i < 25; ++i)
            if (!form->keys[i]->isHidden()) lit += QChar(u'a' + i);
        return lit;
    }
    void expectNoFileState() const {
        EXPECT_FALSE(form->txtInput->isEnabled());
        EXPECT_TRUE(form->txtInput->isHidden());
        EXPECT_TRUE(form->Fname.isEmpty());
        EXPECT_FALSE(form->readerOpen());
    }

    // Single characters with their codes (keys in alphabetical order, no repeats), and no words.
    const std::map<QString, QString> codes = {{u"工"_s, u"a"_s},
                                              {u"人"_s, u"w"_s},
                                              {u"大"_s, u"dj"_s},
                                              {u"中"_s, u"hk"_s},
                                              {u"国"_s, u"gl"_s}};
    QString file;
    BoxSpy spy;
};

TEST_F(Keys, ChartKeysAndEscNeverReachTheBoxOthersDo) {
    const std::pair<const char*, bool> cases[] = {
        {"Esc", true},  {"F5", true},   {"F6", true},    {"F7", true},    {"F8", true},
        {"F9", true},   {"Left", true}, {"Up", true},    {"Right", true}, {"Down", true},
        {"F1", false},  {"F2", false},  {"F3", false},   {"F4", false},   {"F10", false},
        {"F11", false}, {"F12", false}, {"PgDn", false}, {"Back", false},
    };
    for (const auto& [key, consumed] : cases) {
        SCOPED_TRACE(key);
        form.reset();
        ml::Form1& f = start({u"工人大中国"_s, u"国中大人工"_s});
        typeKeys(u"工人"_s);
        ASSERT_EQ(f.txtInput->cursorPosition(), 2);
        EXPECT_EQ(press(key), !consumed);
        if (consumed) {
            EXPECT_EQ(f.txtInput->text(), u"工人"_s);
            EXPECT_EQ(f.txtInput->cursorPosition(), 2);  // a consumed cursor key moves no caret
        }
    }
}

TEST_F(Keys, ModifiersChangeNothing) {
    for (Qt::KeyboardModifiers mods :
         {Qt::KeyboardModifiers(Qt::NoModifier), Qt::KeyboardModifiers(Qt::ShiftModifier),
          Qt::KeyboardModifiers(Qt::ControlModifier),
          Qt::KeyboardModifiers(Qt::ShiftModifier | Qt::ControlModifier)}) {
        SCOPED_TRACE(mods.toInt());
        form.reset();
        ml::Form1& f = start({u"工人大"_s});
        typeKeys(u"工"_s);
        press(Qt::Key_F1, mods);
        EXPECT_EQ(f.TmpHelp, 1);
        EXPECT_EQ(f.Showhelp, T);
        EXPECT_EQ(f.Piczi, u"人"_s);
        press(Qt::Key_F1, mods);
        EXPECT_EQ(f.TmpHelp, 0);
        EXPECT_EQ(f.Showhelp, u"F"_s);
        // Shift+Left would select in a plain line edit; here it is the 横 chart.
        EXPECT_FALSE(press(Qt::Key_Left, mods));
        EXPECT_EQ(f.BigHelp, u"横"_s);
        EXPECT_EQ(f.txtInput->selectedText(), QString());
    }
}

TEST_F(Keys, HintModeTransitions) {
    // Demonstration layer: off / tmp (temporary) / per (persistent); code layer: none/tmp/per.
    struct Step {
        const char* key;  // F1–F4, or "type" for the next character of the line, typed right
        const char* demo;
        int tmpHelp;
        const char* code;
    };
    struct Case {
        const char* name;
        std::vector<Step> steps;
    };
    const Case cases[] = {
        {"F1 toggles", {{"F1", "tmp", 1, "none"}, {"F1", "off", 0, "none"}}},
        {"F2 toggles", {{"F2", "per", 0, "none"}, {"F2", "off", 0, "none"}}},
        {"F1 F2 F2 leaves the flag; F1 clears it, F1 switches on",
         {{"F1", "tmp", 1, "none"},
          {"F2", "per", 1, "none"},
          {"F2", "off", 1, "none"},
          {"F1", "off", 0, "none"},
          {"F1", "tmp", 1, "none"}}},
        {"F3 and F4 while off", {{"F3", "off", 0, "none"}, {"F4", "off", 0, "none"}}},
        {"F3 toggles",
         {{"F2", "per", 0, "none"}, {"F3", "per", 0, "tmp"}, {"F3", "per", 0, "none"}}},
        {"F4 toggles",
         {{"F2", "per", 0, "none"}, {"F4", "per", 0, "per"}, {"F4", "per", 0, "none"}}},
        {"F3 ends persistent code hints",
         {{"F2", "per", 0, "none"}, {"F4", "per", 0, "per"}, {"F3", "per", 0, "none"}}},
        {"F4 makes temporary code hints persistent",
         {{"F1", "tmp", 1, "none"}, {"F3", "tmp", 1, "tmp"}, {"F4", "tmp", 1, "per"}}},
        {"F1 from persistent, code hints on",
         {{"F2", "per", 0, "none"}, {"F4", "per", 0, "per"}, {"F1", "off", 0, "none"}}},
        {"F2 off clears the code layer",
         {{"F1", "tmp", 1, "none"},
          {"F4", "tmp", 1, "per"},
          {"F2", "per", 1, "per"},
          {"F2", "off", 1, "none"}}},
        {"typing ends F1 and F3",
         {{"F1", "tmp", 1, "none"}, {"F3", "tmp", 1, "tmp"}, {"type", "off", 0, "none"}}},
        {"typing keeps F2 and F4",
         {{"F2", "per", 0, "none"},
          {"F4", "per", 0, "per"},
          {"type", "per", 0, "per"},
          {"type", "per", 0, "per"}}},
        {"typing ends F3 under F2",
         {{"F2", "per", 0, "none"}, {"F3", "per", 0, "tmp"}, {"type", "per", 0, "none"}}},
        {"F1 then F2 survives typing",
         {{"F1", "tmp", 1, "none"}, {"F2", "per", 1, "none"}, {"type", "per", 1, "none"}}},
    };
    const QString line = u"工人大中国"_s;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        form.reset();
        ml::Form1& f = start({line});
        int typed = 0;
        for (const Step& s : c.steps) {
            SCOPED_TRACE(s.key);
            const std::string key = s.key;
            if (key == "type") {
                typeKeys(line.mid(typed++, 1));
            } else {
                f.Piczi = u"?"_s;
                EXPECT_TRUE(press(s.key));  // F1–F4 all pass on to the box
            }
            const std::string demo = s.demo, code = s.code;
            EXPECT_EQ(f.Showhelp == T, demo != "off");
            EXPECT_EQ(f.UseHelp, demo == "per" ? 1 : 0);
            EXPECT_EQ(f.TmpHelp, s.tmpHelp);
            EXPECT_EQ(f.imghidehelp->isHidden(), demo != "off");
            EXPECT_EQ(f.BmHelp, code == "none" ? 0 : 1);
            EXPECT_EQ(f.BmHelpAll, code == "per" ? 1 : 0);
            const QString target = line.mid(typed, 1);
            if (code == "none") {
                EXPECT_TRUE(labelsHidden());
                EXPECT_EQ(litKeys(), QString());
            } else {
                EXPECT_TRUE(labelsShown());
                EXPECT_EQ(litKeys(), codes.at(target));
                EXPECT_EQ(f.lbbmcizi[0]->text(), codes.at(target).left(1).toUpper());
            }
            // A switch that turns something on shows the hints for the next character; one that
            // turns things off leaves them.
            const bool switchedOn = (key == "F1" && demo == "tmp") ||
                                    (key == "F2" && demo == "per") ||
                                    ((key == "F3" || key == "F4") && code != "none");
            if (key != "type") {
                EXPECT_EQ(f.Piczi, switchedOn ? target : u"?"_s);
            }
        }
    }
}

TEST_F(Keys, F2LateInTheLineShowsNoHintsUntilTheNextCharacter) {
    const QString line = cjk(28);
    for (int typed : {24, 25, 26}) {
        SCOPED_TRACE(typed);
        form.reset();
        ml::Form1& f = start({line});
        typeKeys(line.left(typed));
        f.Piczi = u"?"_s;
        press(Qt::Key_F2);
        EXPECT_EQ(f.Showhelp, T);
        EXPECT_EQ(f.UseHelp, 1);
        EXPECT_TRUE(f.imghidehelp->isHidden());
        // No picture exists, so hints show the target in large type.
        const QString shown = typed < 25 ? line.mid(typed, 1) : QString();
        EXPECT_EQ(f.Piczi, typed < 25 ? shown : u"?"_s);
        EXPECT_EQ(f.lbshowno->text(), shown);
        typeKeys(line.mid(typed, 1));
        EXPECT_EQ(f.Piczi, line.mid(typed + 1, 1));
        EXPECT_EQ(f.lbshowno->text(), line.mid(typed + 1, 1));
    }
}

TEST_F(Keys, EnterEndsALineOnlyWhenItIsTyped) {
    struct Step {
        QString typed;
        bool consumed;
        QString lineAfter;
        qint32 progress;
    };
    struct Case {
        qint16 repeat;
        std::vector<Step> steps;
    };
    const Case cases[] = {
        {1,
         {{u"工人"_s, false, u"工人大"_s, 1},  // not yet complete
          {u"大"_s, true, u"中国"_s, 2}}},
        {2,
         {{u"工人大"_s, true, u"工人大"_s, 1},  // first showing: the line again, no progress
          {u"工人大"_s, true, u"中国"_s, 2}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.repeat);
        form.reset();
        ml::Form1& f = start({u"工人大"_s, u"中国"_s, u"大人"_s}, c.repeat);
        for (const Step& s : c.steps) {
            typeKeys(s.typed);
            EXPECT_EQ(press(Qt::Key_Return), !s.consumed);
            EXPECT_EQ(line(), s.lineAfter);
            EXPECT_EQ(progressBytes(), le32(s.progress));
            EXPECT_EQ(f.JinduNow, s.progress);
        }
    }
    // The keypad's Enter is the same key.
    form.reset();
    start({u"工"_s, u"人"_s});
    typeKeys(u"工"_s);
    EXPECT_FALSE(press(Qt::Key_Enter));
    EXPECT_EQ(line(), u"人"_s);
}

TEST_F(Keys, PageDownMovesOnWithoutProgress) {
    ml::Form1& f = start({u"工人大"_s, u"中国"_s});
    typeKeys(u"工"_s);
    EXPECT_TRUE(press(Qt::Key_PageDown));
    EXPECT_EQ(line(), u"中国"_s);
    EXPECT_EQ(f.txtInput->text(), QString());
    EXPECT_EQ(f.Jishu, 0);
    EXPECT_EQ(progressBytes(), le32(1));
}

TEST_F(Keys, BackspaceAfterFiveCharactersTakesBackTheFifth) {
    const QString line = u"工人大中国工人"_s;
    ml::Form1& f = start({line});
    press(Qt::Key_F2);
    typeKeys(line.left(5));
    f.Piczi = u"?"_s;
    EXPECT_TRUE(press(Qt::Key_Backspace));
    EXPECT_EQ(f.txtInput->text(), line.left(4));
    EXPECT_EQ(f.Jishu, 4);
    EXPECT_EQ(f.oldInput, line.left(4));
    EXPECT_EQ(cell(5), ml::Form1::kWhite);
    EXPECT_EQ(cell(4), ml::Form1::rightColor());
    EXPECT_EQ(f.Piczi, u"国"_s);  // hints for the character to type again
    EXPECT_EQ(f.Types, 5);
    // The fifth is judged again.
    typeKeys(u"国"_s);
    EXPECT_EQ(f.Jishu, 5);
    EXPECT_EQ(f.Types, 6);
    EXPECT_EQ(cell(5), ml::Form1::rightColor());
}

TEST_F(Keys, BackspaceInAnEmptyBoxMarksNothing) {
    ml::Form1& f = start({u"工人大"_s});
    press(Qt::Key_F2);
    typeKeys(u"工人"_s);
    // Deleting a selection leaves the checker's copy as it was.
    f.txtInput->selectAll();
    press(Qt::Key_Delete);
    ASSERT_EQ(f.txtInput->text(), QString());
    f.Piczi = u"?"_s;
    EXPECT_TRUE(press(Qt::Key_Backspace));
    EXPECT_EQ(f.Jishu, -1);
    EXPECT_EQ(f.oldInput, u"工人"_s);
    EXPECT_EQ(cell(1), ml::Form1::rightColor());
    EXPECT_EQ(cell(2), ml::Form1::rightColor());
    EXPECT_EQ(f.Piczi, u"?"_s);  // no hints
}

TEST_F(Keys, F12RestartsTheLocalFileAtItsFirstLine) {
    ml::Form1& f = start({u"工"_s, u"人"_s, u"大"_s, u"中"_s}, 1, 3);
    ASSERT_EQ(line(), u"大"_s);
    press(Qt::Key_F2);
    typeKeys(u"人"_s);  // wrong, and counted
    EXPECT_TRUE(press(Qt::Key_F12));
    EXPECT_EQ(progressBytes(), le32(1));
    EXPECT_EQ(line(), u"工"_s);
    EXPECT_EQ(f.Jindu, 1);
    EXPECT_EQ(f.JinduNow, 1);
    EXPECT_EQ(f.nowLianXiCiShu, 1);
    EXPECT_EQ(f.Types, 1);  // statistics and hint modes stay
    EXPECT_EQ(f.UseHelp, 1);
    // The next opening starts at line 1 too.
    open(file);
    EXPECT_EQ(line(), u"工"_s);
}

TEST_F(Keys, F12WithRemotePracticeWritesNoProgress) {
    ml::Form1& f = start({u"工"_s, u"人"_s, u"大"_s}, 1, 2);
    EXPECT_TRUE(press(Qt::Key_F11));
    ASSERT_EQ(f.isLianxi, u"F"_s);
    press(Qt::Key_PageDown);
    ASSERT_EQ(line(), kShared[1]);
    press(Qt::Key_F12);
    EXPECT_EQ(line(), kShared[0]);
    EXPECT_EQ(progressBytes(), le32(2));
    EXPECT_EQ(QDir(path(u"练习进度"_s)).entryList(QDir::Files), QStringList{u"课文.SAV"_s});
}

TEST_F(Keys, F12AfterThePracticeFileVanished) {
    ml::Form1& f = start({u"工"_s, u"人"_s});
    ASSERT_TRUE(QFile::remove(file));
    press(Qt::Key_F12);
    ASSERT_EQ(p.messages.size(), 1);
    EXPECT_TRUE(p.messages[0].text.contains(file)) << p.messages[0].text.toStdString();
    expectNoFileState();
    EXPECT_EQ(f.txtInput->text(), QString());
}

TEST_F(Keys, AFailedOpenFromTheBoxRunsOnce) {
    // The failure leaves the focus with the window; the key must not run its command again there.
    for (const char* key : {"F10", "F11"}) {
        SCOPED_TRACE(key);
        form.reset();
        start({u"工"_s});
        QFile::remove(path(u"远程内容.ini"_s));
        p.openAnswers << path(u"练习文件/不存在.txt"_s);
        const qsizetype requests = p.openRequests.size(), messages = p.messages.size();
        press(key);
        EXPECT_EQ(p.messages.size() - messages, 1);
        EXPECT_EQ(p.openRequests.size() - requests, std::string(key) == "F10" ? 1 : 0);
        expectNoFileState();
    }
}

TEST_F(Keys, F11InTheBoxStartsTheRemoteLineCountAgain) {
    ml::Form1& f = start({u"工"_s});
    press(Qt::Key_F11);
    EXPECT_EQ(line(), kShared[0]);
    EXPECT_EQ(f.nowLianXiCiShu, 0);
    EXPECT_TRUE(f.txtInput->isEnabled());
}

TEST_F(Keys, InputMethodCompositionKeepsEditingKeysFromTheCommands) {
    ml::Form1& f = start({u"工人大"_s, u"中国"_s});
    typeKeys(u"工人大"_s);
    QInputMethodEvent compose(u"dd"_s, {});
    QApplication::sendEvent(f.txtInput, &compose);

    press(Qt::Key_Return);
    EXPECT_EQ(line(), u"工人大"_s);
    press(Qt::Key_Backspace);
    EXPECT_EQ(f.Jishu, 3);
    EXPECT_EQ(cell(3), ml::Form1::rightColor());
    press(Qt::Key_F1);  // function keys stay commands
    EXPECT_EQ(f.TmpHelp, 1);

    imeCommit(u"大"_s);
    EXPECT_EQ(f.TmpHelp, 0);  // the commit is a change
    EXPECT_FALSE(press(Qt::Key_Return));
    EXPECT_EQ(line(), u"中国"_s);
    typeKeys(u"中"_s);
    press(Qt::Key_Backspace);
    EXPECT_EQ(f.Jishu, 0);
    EXPECT_EQ(cell(1), ml::Form1::kWhite);
}

TEST_F(Keys, HintPanelClickIsF1OnceAFileIsOpen) {
    ml::Form1& f = build();
    f.imghelphide_Click();
    EXPECT_NE(f.Showhelp, T);
    EXPECT_EQ(f.TmpHelp, 0);
    EXPECT_FALSE(f.imghidehelp->isHidden());

    form.reset();
    ml::Form1& g = start({u"工人"_s});
    g.imghelphide_Click();
    EXPECT_EQ(g.Showhelp, T);
    EXPECT_EQ(g.TmpHelp, 1);
    EXPECT_EQ(g.Piczi, u"工"_s);
    EXPECT_TRUE(g.imghidehelp->isHidden());
    g.imghelphide_Click();
    EXPECT_EQ(g.Showhelp, u"F"_s);
    EXPECT_EQ(g.TmpHelp, 0);
}

}  // namespace
