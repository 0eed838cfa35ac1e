// Opening a local practice file and its saved progress.
#include "formfixture.h"
#include "practice/rules.h"

namespace {

using namespace mltest;

const QStringList kSix = {u"一行"_s, u"二行"_s, u"三行"_s, u"四行"_s, u"五行"_s, u"六行"_s};

class Open : public FormFixture {};

TEST_F(Open, NewFileStartsAtLineOne) {
    const QString a = makePractice(u"a.txt"_s, kSix);
    ml::Form1& f = buildAndOpen(a);
    EXPECT_EQ(readFile(progress(u"a"_s)), QByteArray("\x01\x00\x00\x00", 4));
    EXPECT_EQ(line(), u"一行"_s);
    EXPECT_EQ(f.Temp, u"一行"_s);
    EXPECT_EQ(f.Fname, a);
    EXPECT_EQ(f.Jindu, 1);
    EXPECT_EQ(f.JinduNow, 1);
    EXPECT_EQ(f.nowLianXiCiShu, 1);
    EXPECT_EQ(f.isLianxi, u"T"_s);
    EXPECT_TRUE(f.txtInput->isEnabled());
    EXPECT_FALSE(f.txtInput->isHidden());
    EXPECT_TRUE(f.lblianxi->isEnabled());
    EXPECT_TRUE(f.imghelphide->isHidden());
    EXPECT_TRUE(f.Image3->isHidden());
    EXPECT_EQ(f.lbfilename->text(), ml::shortenPath(a));
    EXPECT_TRUE(f.CD1_FileName.isEmpty());
    EXPECT_TRUE(p.messages.isEmpty());

    ASSERT_EQ(p.openRequests.size(), 1);
    EXPECT_EQ(QDir::cleanPath(p.openRequests[0].initialDir), QDir::cleanPath(path(u"练习文件"_s)));
    EXPECT_EQ(p.openRequests[0].defaultExt, u"*.txt"_s);
    EXPECT_EQ(p.openRequests[0].filter, u"五笔练习文本文件(*.txt)|*.txt"_s);
    EXPECT_TRUE(p.openRequests[0].fileName.isEmpty());
    // The sounds: the notice first, then the opening.
    EXPECT_EQ(p.sounds, QStringList({sound(u"通知.wav"_s), sound(u"打开文件.wav"_s)}));
    // No other file appeared in the progress folder.
    EXPECT_EQ(QDir(path(u"练习进度"_s)).entryList(QDir::Files), QStringList({u"a.SAV"_s}));
}

TEST_F(Open, SavedProgressTable) {
    struct Case {
        const char* name;
        QByteArray progress;  // null: no progress file
        QString shown;
        qint32 jinduNow;
        QByteArray after;  // null: unchanged
    };
    QByteArray big = le32(4) + QByteArray(3996, '\x7F');
    const Case cases[] = {
        {"missing", QByteArray(), u"一行"_s, 1, QByteArray("\x01\x00\x00\x00", 4)},
        {"empty", QByteArray(""), u"一行"_s, 1, QByteArray("\x01\x00\x00\x00", 4)},
        {"zero", le32(0), u"一行"_s, 1, le32(1)},
        {"one", le32(1), u"一行"_s, 1, {}},
        {"five", le32(5), u"五行"_s, 5, {}},
        {"six", le32(6), u"六行"_s, 6, {}},
        {"one byte", QByteArray("\x03", 1), u"三行"_s, 3, {}},
        {"three bytes", QByteArray("\x02\x00\x00", 3), u"二行"_s, 2, {}},
        {"4000 bytes", big, u"四行"_s, 4, {}},
        {"negative", le32(-2), u"一行"_s, 1, {}},
        {"just past the end", le32(7), u"一行"_s, 1, {}},
        {"far past the end", le32(4000), u"一行"_s, 1, {}},
    };
    const QString a = makePractice(u"a.txt"_s, kSix);
    build();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(progress(u"a"_s));
        if (!c.progress.isNull()) writeFile(progress(u"a"_s), c.progress);
        open(a);
        EXPECT_EQ(line(), c.shown);
        EXPECT_EQ(form->JinduNow, c.jinduNow);
        EXPECT_EQ(readFile(progress(u"a"_s)), c.after.isNull() ? c.progress : c.after);
    }
    EXPECT_TRUE(p.messages.isEmpty());
}

TEST_F(Open, FinishingLineFiveWritesSix) {
    QStringList lines;
    for (int i = 0; i < 7; ++i) lines << cjk(28, char16_t(0x4E00 + 40 * i));
    const QString a = makePractice(u"a.txt"_s, lines);
    writeFile(progress(u"a"_s), le32(5));
    buildAndOpen(a);
    EXPECT_EQ(line(), lines[4]);
    type(lines[4]);
    EXPECT_EQ(readFile(progress(u"a"_s)), le32(6));
    EXPECT_EQ(line(), lines[5]);
    EXPECT_EQ(form->JinduNow, 6);
}

TEST_F(Open, CommaCountsAsTwoLines) {
    const QString a = makePractice(u"a.txt"_s, {u"甲乙,丙丁"_s, u"戊己"_s});
    writeFile(progress(u"a"_s), le32(2));
    build();
    open(a);
    EXPECT_EQ(line(), u"丙丁"_s);
    writeFile(progress(u"a"_s), le32(3));
    open(a);
    EXPECT_EQ(line(), u"戊己"_s);
    EXPECT_EQ(form->JinduNow, 3);
}

TEST_F(Open, ExtensionInAnyCaseAccepted) {
    build();
    for (const QString& name : {u"b.TXT"_s, u"c.Txt"_s}) {
        const QString file = makePractice(name, {u"甲"_s});
        open(file);
        EXPECT_EQ(form->Fname, file);
        EXPECT_EQ(line(), u"甲"_s);
    }
    EXPECT_TRUE(p.messages.isEmpty());
    EXPECT_TRUE(QFile::exists(progress(u"b"_s)));
    EXPECT_TRUE(QFile::exists(progress(u"c"_s)));
}

TEST_F(Open, OtherExtensionsRefusedWithMessage) {
    build();
    for (const QString& name : {u"a.doc"_s, u"a.text"_s}) {
        SCOPED_TRACE(name.toStdString());
        p.messages.clear();
        p.sounds.clear();
        const QString file = practice(name);
        writeFile(file, gbkLines({u"甲"_s}));
        open(file);
        ASSERT_EQ(p.messages.size(), 1);
        EXPECT_EQ(
            p.messages[0].text,
            u"\r禁止打开文件！\r\r"_s + file +
                u" 不是文本文件（*.TXT）。\r\r不知道你是怎么搞的。在为本软件捉虫吗？\u3000\u3000\u3000"_s);
        EXPECT_EQ(p.messages[0].icon, ml::MsgIcon::Exclamation);
        EXPECT_EQ(p.messages[0].buttons, ml::MsgButtons::Ok);
        EXPECT_TRUE(form->Fname.isEmpty());
        EXPECT_FALSE(form->txtInput->isEnabled());
        EXPECT_FALSE(form->readerOpen());
        EXPECT_EQ(p.sounds, QStringList({sound(u"通知.wav"_s)}));
    }
    EXPECT_TRUE(QDir(path(u"练习进度"_s)).entryList(QDir::Files).isEmpty());
}

TEST_F(Open, RefusedNameLeavesCurrentFileGoingOn) {
    const QString a = makePractice(u"a.txt"_s, kSix);
    ml::Form1& f = buildAndOpen(a);
    f.Lianxi();
    EXPECT_EQ(line(), u"二行"_s);
    open(practice(u"x.doc"_s));
    EXPECT_EQ(p.messages.size(), 1);
    EXPECT_EQ(f.Fname, a);
    EXPECT_TRUE(f.readerOpen());
    EXPECT_TRUE(f.txtInput->isEnabled());
    EXPECT_EQ(line(), u"二行"_s);
    f.Lianxi();
    EXPECT_EQ(line(), u"三行"_s);
}

TEST_F(Open, CancelWithoutFileDoesNothing) {
    ml::Form1& f = build();
    f.Image3_Click();  // the dialog answers ""
    EXPECT_EQ(p.openRequests.size(), 1);
    EXPECT_TRUE(f.Fname.isEmpty());
    EXPECT_FALSE(f.txtInput->isEnabled());
    EXPECT_FALSE(f.readerOpen());
    EXPECT_TRUE(f.isLianxi.isEmpty());
    EXPECT_FALSE(f.imghelphide->isHidden());
    EXPECT_EQ(f.lbfilename->text(), u"练习文件类型: *.txt"_s);
    EXPECT_TRUE(p.messages.isEmpty());
    EXPECT_EQ(p.sounds, QStringList({sound(u"通知.wav"_s)}));
    EXPECT_TRUE(QDir(path(u"练习进度"_s)).entryList(QDir::Files).isEmpty());
}

TEST_F(Open, CancelDuringPracticeReopensAtSavedLine) {
    const QStringList lines = {cjk(28), cjk(28, u'\u5000'), cjk(28, u'\u5100')};
    const QString a = makePractice(u"a.txt"_s, lines);
    ml::Form1& f = buildAndOpen(a);
    type(lines[0]);
    ASSERT_EQ(line(), lines[1]);
    ASSERT_EQ(readFile(progress(u"a"_s)), le32(2));
    type(u"错"_s);  // one wrong character on line 2
    p.now += 30;
    f.Timer1_Timer();
    ASSERT_NE(f.lbtime->text(), u"0:00:00"_s);
    ASSERT_EQ(f.Types, 29);

    p.sounds.clear();
    f.Image3_Click();  // cancelled
    EXPECT_EQ(f.Fname, a);
    EXPECT_EQ(line(), lines[1]);
    EXPECT_EQ(f.JinduNow, 2);
    EXPECT_EQ(f.nowLianXiCiShu, 1);
    EXPECT_EQ(f.Types, 0);
    EXPECT_EQ(f.RightTypes, 0);
    EXPECT_EQ(f.Times, 0);
    EXPECT_EQ(f.Jishu, 0);
    EXPECT_FALSE(f.Timer1->isActive());
    EXPECT_EQ(f.lbtime->text(), u"0:00:00"_s);
    EXPECT_EQ(f.lbshudu->text(), u"0"_s);
    EXPECT_EQ(f.lbZql->text(), u"100%"_s);
    EXPECT_TRUE(f.txtInput->text().isEmpty());
    EXPECT_TRUE(f.oldInput.isEmpty());
    for (int k = 1; k <= 28; ++k) EXPECT_EQ(cell(k), ml::Form1::kWhite) << k;
    EXPECT_EQ(p.sounds, QStringList({sound(u"通知.wav"_s), sound(u"打开文件.wav"_s)}));

    // The clock starts again from the next keystroke.
    p.now += 100;
    type(lines[1].left(1));
    EXPECT_EQ(f.Times, p.now);
    EXPECT_EQ(f.Types, 1);
}

TEST_F(Open, PathWithSpacesQuotesAndChinese) {
    const QString folder = path(u"我的 \"练习\" 文件夹"_s);
    QDir().mkpath(folder);
    const QString file = folder + u"/唐诗 \"三百\" 首.txt"_s;
    ASSERT_TRUE(writeFile(file, gbkLines({u"床前明月光"_s, u"疑是地上霜"_s})));
    ml::Form1& f = buildAndOpen(file);
    EXPECT_TRUE(p.messages.isEmpty()) << p.messages.value(0).text.toStdString();
    EXPECT_EQ(f.Fname, file);
    EXPECT_EQ(line(), u"床前明月光"_s);
    EXPECT_EQ(readFile(progress(u"唐诗 \"三百\" 首"_s)), le32(1));
    EXPECT_EQ(f.lbfilename->text(), ml::shortenPath(file));
}

TEST_F(Open, MissingProgressFolderIsCreated) {
    const QString a = makePractice(u"a.txt"_s, kSix);
    build();
    ASSERT_TRUE(QDir(path(u"练习进度"_s)).removeRecursively());
    open(a);
    EXPECT_TRUE(p.messages.isEmpty());
    EXPECT_EQ(readFile(progress(u"a"_s)), le32(1));
    EXPECT_EQ(line(), u"一行"_s);
}

TEST_F(Open, SameNameInTwoFoldersSharesProgress) {
    const QStringList lines = {cjk(28), u"第二行"_s};
    const QString first = makePractice(u"a.txt"_s, lines);
    const QString second = path(u"别处/a.txt"_s);
    writeFile(second, gbkLines({u"别一"_s, u"别二"_s, u"别三"_s}));
    buildAndOpen(first);
    type(lines[0]);
    ASSERT_EQ(readFile(progress(u"a"_s)), le32(2));
    open(second);
    EXPECT_EQ(line(), u"别二"_s);
    EXPECT_EQ(form->JinduNow, 2);
}

TEST_F(Open, MissingPracticeFileGivesMessageAndNoFileState) {
    build();
    open(practice(u"没有.txt"_s));
    ASSERT_EQ(p.messages.size(), 1);
    EXPECT_TRUE(p.messages[0].text.contains(practice(u"没有.txt"_s)))
        << p.messages[0].text.toStdString();
    EXPECT_TRUE(form->Fname.isEmpty());
    EXPECT_FALSE(form->readerOpen());
    EXPECT_FALSE(form->txtInput->isEnabled());
    // The next opening works as usual.
    const QString a = makePractice(u"a.txt"_s, kSix);
    open(a);
    EXPECT_EQ(line(), u"一行"_s);
    EXPECT_TRUE(form->txtInput->isEnabled());
}

TEST_F(Open, AnotherFileReplacesTheFirst) {
    const QString a = makePractice(u"a.txt"_s, kSix);
    const QString b = makePractice(u"b.txt"_s, {u"乙一"_s, u"乙二"_s});
    writeFile(progress(u"b"_s), le32(2));
    ml::Form1& f = buildAndOpen(a);
    f.Lianxi();
    open(b);
    EXPECT_EQ(f.Fname, b);
    EXPECT_EQ(line(), u"乙二"_s);
    EXPECT_EQ(f.JinduNow, 2);
    f.Lianxi();
    EXPECT_EQ(line(), u"乙一"_s);
    EXPECT_EQ(f.JinduNow, 1);
    EXPECT_EQ(readFile(progress(u"a"_s)), le32(1));
}

}  // namespace
