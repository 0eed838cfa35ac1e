// Practice rounds: repetition, the start over at the end of the file, the format check of
// over-long items with the conversion, and unreadable files.
#include "formfixture.h"

namespace {

using namespace mltest;

const QChar CR(u'\r');

QString formatMessage(const QString& p1, const QString& p2, const QString& p3) {
    return CR + u"你所打开的练习文件格式非 五笔·键途 软件专用格式。\u3000\u3000\u3000"_s + CR + CR +
           CR + u"内容预览："_s + p1 + CR + CR + p2 + CR + CR + p3 + u"……"_s + CR + CR + CR + CR +
           u"要进行格式转换吗？"_s;
}

QString doneMessage(const QString& target) {
    return CR + u"文件转换完毕!"_s + CR + CR + u"新文件保存为 "_s + target +
           u" 。\u3000\u3000\u3000"_s + CR + CR + CR + u"单击“确定”后进入练习。"_s;
}

class Rounds : public FormFixture {
protected:
    // The lines shown by `n` rounds after the opening's own.
    QStringList rounds(int n) {
        QStringList shown{line()};
        for (int i = 0; i < n; ++i) {
            form->Lianxi();
            shown << line();
        }
        return shown;
    }
    static FormOptions repeat(int count) {
        return withConfig(QByteArray(" ") + QByteArray::number(count) + " \r\n");
    }
};

TEST_F(Rounds, RepeatCountsTable) {
    struct Case {
        int count;
        QStringList shown;
    };
    const Case cases[] = {
        {1, {u"A"_s, u"B"_s, u"C"_s, u"A"_s, u"B"_s, u"C"_s, u"A"_s}},
        {2, {u"A"_s, u"A"_s, u"B"_s, u"B"_s, u"C"_s, u"A"_s, u"A"_s}},
        {3, {u"A"_s, u"A"_s, u"A"_s, u"B"_s, u"B"_s, u"B"_s, u"C"_s, u"A"_s, u"A"_s}},
    };
    const QString file = makePractice(u"abc.txt"_s, {u"A"_s, u"B"_s, u"C"_s});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count);
        form.reset();
        QFile::remove(progress(u"abc"_s));
        buildAndOpen(file, repeat(c.count));
        ASSERT_EQ(form->Lianxicishu, c.count);
        EXPECT_EQ(rounds(c.shown.size() - 1), c.shown);
    }
}

TEST_F(Rounds, StartOverSetsLineNumberOne) {
    const QString file = makePractice(u"abc.txt"_s, {u"A"_s, u"B"_s, u"C"_s});
    writeFile(progress(u"abc"_s), le32(3));
    ml::Form1& f = buildAndOpen(file);
    EXPECT_EQ(line(), u"C"_s);
    EXPECT_EQ(f.JinduNow, 3);
    f.Lianxi();
    EXPECT_EQ(line(), u"A"_s);
    EXPECT_EQ(f.JinduNow, 1);
    EXPECT_EQ(f.nowLianXiCiShu, 1);
    EXPECT_EQ(f.Temp, u"A"_s);
    // The start over writes no progress by itself.
    EXPECT_EQ(readFile(progress(u"abc"_s)), le32(3));
}

TEST_F(Rounds, RoundResetsTypingState) {
    const QString file = makePractice(u"a.txt"_s, {u"甲乙丙"_s, u"丁戊"_s});
    ml::Form1& f = buildAndOpen(file);
    type(u"甲错"_s);
    ASSERT_EQ(cell(2), ml::Form1::kRed);
    const qint64 types = f.Types;
    f.Lianxi();
    EXPECT_EQ(line(), u"丁戊"_s);
    EXPECT_TRUE(f.txtInput->text().isEmpty());
    EXPECT_TRUE(f.oldInput.isEmpty());
    EXPECT_EQ(f.Jishu, 0);
    EXPECT_EQ(f.Types, types);  // the clearing judges nothing
    for (int k = 1; k <= 28; ++k) EXPECT_EQ(cell(k), ml::Form1::kWhite) << k;
}

TEST_F(Rounds, CommaSplitsFullWidthCommaDoesNot) {
    const QString file =
        makePractice(u"a.txt"_s, {u"甲乙,丙丁"_s, u"戊己，庚辛"_s, u""_s, u"壬"_s});
    buildAndOpen(file);
    EXPECT_EQ(rounds(4), QStringList({u"甲乙"_s, u"丙丁"_s, u"戊己，庚辛"_s, u""_s, u"壬"_s}));
}

TEST_F(Rounds, Exactly28IsAcceptedWithoutQuestion) {
    const QString file = makePractice(u"a.txt"_s, {cjk(28)});
    buildAndOpen(file);
    EXPECT_TRUE(p.messages.isEmpty());
    EXPECT_EQ(line(), cjk(28));
}

TEST_F(Rounds, TwentyNineAsksAndDecliningCutsTo28) {
    const QString file = makePractice(u"a.txt"_s, {cjk(29), u"短"_s});
    p.messageAnswers << ml::MsgResult::Cancel;
    ml::Form1& f = buildAndOpen(file);
    ASSERT_EQ(p.messages.size(), 1);
    EXPECT_EQ(p.messages[0].text, formatMessage(cjk(28), {}, {}));
    EXPECT_EQ(p.messages[0].icon, ml::MsgIcon::Exclamation);
    EXPECT_EQ(p.messages[0].buttons, ml::MsgButtons::OkCancel);
    EXPECT_EQ(line(), cjk(28));
    EXPECT_EQ(f.Temp, cjk(28));
    EXPECT_EQ(f.nowLianXiCiShu, 1);
    EXPECT_EQ(f.Fname, file);
    EXPECT_TRUE(p.saveRequests.isEmpty());
    f.Lianxi();
    EXPECT_EQ(line(), u"短"_s);
}

TEST_F(Rounds, EightyCharacterPreviewAndAskingAgain) {
    const QString item = cjk(80);
    const QString second = cjk(40, u'\u5200');
    const QString file = makePractice(u"a.txt"_s, {item, u"中"_s, second});
    p.messageAnswers << ml::MsgResult::Cancel << ml::MsgResult::Cancel;
    ml::Form1& f = buildAndOpen(file);
    ASSERT_EQ(p.messages.size(), 1);
    EXPECT_EQ(p.messages[0].text,
              formatMessage(item.mid(0, 22), item.mid(22, 27), item.mid(49, 24)));
    EXPECT_EQ(line(), item.left(28));
    f.Lianxi();
    EXPECT_EQ(line(), u"中"_s);
    EXPECT_EQ(p.messages.size(), 1);
    f.Lianxi();
    ASSERT_EQ(p.messages.size(), 2);
    EXPECT_EQ(p.messages[1].text, formatMessage(second.mid(0, 22), second.mid(22, 18), {}));
    EXPECT_EQ(line(), second.left(28));
}

TEST_F(Rounds, AcceptingConvertsIntoPracticeFolder) {
    const QString item = cjk(80);
    const QString source = path(u"别处/长文.txt"_s);
    writeFile(source, gbkLines({item}));
    ml::Form1& f = buildAndOpen(source);  // format check: OK; completion: OK

    const QString target = practice(u"长文.txt"_s);
    ASSERT_EQ(p.messages.size(), 2);
    EXPECT_EQ(p.messages[1].text, doneMessage(target));
    EXPECT_EQ(p.messages[1].icon, ml::MsgIcon::Exclamation);
    EXPECT_EQ(p.messages[1].buttons, ml::MsgButtons::Ok);
    EXPECT_TRUE(p.saveRequests.isEmpty());
    EXPECT_EQ(readFile(target), gbkLines({item.mid(0, 28), item.mid(28, 28), item.mid(56)}));
    // The source is left as it was.
    EXPECT_EQ(readFile(source), gbkLines({item}));

    EXPECT_EQ(f.Fname, target);
    EXPECT_EQ(line(), item.left(28));
    EXPECT_EQ(f.Temp, item.left(28));
    EXPECT_EQ(f.nowLianXiCiShu, 1);
    EXPECT_EQ(f.JinduNow, 1);
    EXPECT_EQ(f.isLianxi, u"T"_s);
    EXPECT_EQ(readFile(progress(u"长文"_s)), le32(1));
    EXPECT_TRUE(f.txtInput->isEnabled());
    EXPECT_TRUE(f.CD1_FileName.isEmpty());
    // The hand-over opened without the dialog.
    EXPECT_EQ(p.openRequests.size(), 1);
    EXPECT_EQ(soundCount(u"打开文件.wav"_s), 2);

    // Practice goes on in the converted file.
    type(item.left(28));
    EXPECT_EQ(line(), item.mid(28, 28));
    EXPECT_EQ(readFile(progress(u"长文"_s)), le32(2));
    f.Lianxi();
    EXPECT_EQ(line(), item.mid(56));
    f.Lianxi();
    EXPECT_EQ(line(), item.left(28));
    EXPECT_EQ(p.messages.size(), 2);
}

TEST_F(Rounds, ConvertedMultipleOf28EndsWithEmptyLine) {
    const QString item = cjk(56);
    const QString source = path(u"别处/整.txt"_s);
    writeFile(source, gbkLines({item}));
    ml::Form1& f = buildAndOpen(source);
    EXPECT_EQ(readFile(practice(u"整.txt"_s)), gbkLines({item.left(28), item.mid(28), u""_s}));
    EXPECT_EQ(rounds(3), QStringList({item.left(28), item.mid(28), u""_s, item.left(28)}));
    EXPECT_EQ(f.JinduNow, 1);
    EXPECT_EQ(p.messages.size(), 2);
}

TEST_F(Rounds, ConversionResetsTheSourcesProgress) {
    QStringList lines = {u"短"_s, u"也短"_s, cjk(30)};
    const QString source = path(u"别处/b.txt"_s);
    writeFile(source, gbkLines(lines));
    writeFile(progress(u"b"_s), le32(3));
    ml::Form1& f = buildAndOpen(source);
    EXPECT_EQ(f.Fname, practice(u"b.txt"_s));
    EXPECT_EQ(readFile(progress(u"b"_s)), le32(1));
    EXPECT_EQ(line(), u"短也短"_s + cjk(30).left(25));
    EXPECT_EQ(f.JinduNow, 1);
}

TEST_F(Rounds, SourceInPracticeFolderAsksForAnotherName) {
    const QString item = cjk(40);
    const QString source = makePractice(u"长文.txt"_s, {item});
    const QString other = practice(u"新文.txt"_s);
    p.saveAnswers << source << other;
    ml::Form1& f = buildAndOpen(source);

    // Format check, stop, stop, completion.
    ASSERT_EQ(p.messages.size(), 4);
    for (int i : {1, 2}) {
        EXPECT_EQ(p.messages[i].text, CR + u"文件已经打开，请用新的文件名保存。"_s);
        EXPECT_EQ(p.messages[i].icon, ml::MsgIcon::Stop);
        EXPECT_EQ(p.messages[i].buttons, ml::MsgButtons::Ok);
    }
    ASSERT_EQ(p.saveRequests.size(), 2);
    for (const auto& r : p.saveRequests) {
        EXPECT_TRUE(r.fileName.isEmpty());
        EXPECT_EQ(r.filter, u"五笔练习文本文件(*.txt)|*.txt"_s);
    }
    EXPECT_EQ(p.messages[3].text, doneMessage(other));
    EXPECT_EQ(readFile(other), gbkLines({item.left(28), item.mid(28)}));
    EXPECT_EQ(readFile(source), gbkLines({item}));
    EXPECT_EQ(f.Fname, other);
    EXPECT_EQ(line(), item.left(28));
    EXPECT_EQ(f.nowLianXiCiShu, 1);
    EXPECT_EQ(readFile(progress(u"新文"_s)), le32(1));
}

TEST_F(Rounds, CancelledSaveAsDeclines) {
    const QString item = cjk(40);
    const QString source = makePractice(u"长文.txt"_s, {item, u"下一行"_s});
    ml::Form1& f = buildAndOpen(source);  // the save-as dialog answers ""
    ASSERT_EQ(p.messages.size(), 2);
    EXPECT_EQ(p.messages[1].icon, ml::MsgIcon::Stop);
    EXPECT_EQ(p.saveRequests.size(), 1);
    EXPECT_EQ(f.Fname, source);
    EXPECT_EQ(line(), item.left(28));
    EXPECT_EQ(f.nowLianXiCiShu, 1);
    EXPECT_EQ(readFile(source), gbkLines({item, u"下一行"_s}));
    f.Lianxi();
    EXPECT_EQ(line(), u"下一行"_s);
}

TEST_F(Rounds, ConvertedNameWithoutTxtIsWrittenButNotOpened) {
    const QString item = cjk(40);
    const QString source = makePractice(u"长文.txt"_s, {item});
    const QString other = practice(u"新文.dat"_s);
    p.saveAnswers << other;
    ml::Form1& f = buildAndOpen(source);
    // Format check, stop, completion, refusal.
    ASSERT_EQ(p.messages.size(), 4);
    EXPECT_EQ(p.messages[2].text, doneMessage(other));
    EXPECT_TRUE(p.messages[3].text.startsWith(CR + u"禁止打开文件！"_s));
    EXPECT_EQ(readFile(other), gbkLines({item.left(28), item.mid(28)}));
    EXPECT_TRUE(f.Fname.isEmpty());
    EXPECT_FALSE(f.readerOpen());
    EXPECT_FALSE(f.txtInput->isEnabled());
}

TEST_F(Rounds, ConversionOfUndecodableSourceFailsCleanly) {
    // The first item is long and fine; a bad byte sequence waits further on.
    const QString source = path(u"别处/坏.txt"_s);
    writeFile(source, gbkLines({cjk(40)}) + QByteArray("\xD6\xD0\x81\x20\r\n", 6));
    ml::Form1& f = buildAndOpen(source);
    ASSERT_EQ(p.messages.size(), 2);
    EXPECT_TRUE(p.messages[1].text.startsWith(CR + u"文件转换失败！"_s))
        << p.messages[1].text.toStdString();
    EXPECT_FALSE(QFile::exists(practice(u"坏.txt"_s)));
    EXPECT_TRUE(f.Fname.isEmpty());
    EXPECT_FALSE(f.readerOpen());
    EXPECT_FALSE(f.txtInput->isEnabled());
}

TEST_F(Rounds, EmptyFileStopsWithEmptyLine) {
    const QString file = practice(u"空.txt"_s);
    writeFile(file, QByteArray());
    ml::Form1& f = buildAndOpen(file);
    EXPECT_EQ(line(), QString());
    EXPECT_EQ(f.Temp, QString());
    EXPECT_TRUE(f.txtInput->isEnabled());
    EXPECT_EQ(f.JinduNow, 1);
    f.Lianxi();
    f.Lianxi();
    EXPECT_EQ(line(), QString());
    EXPECT_TRUE(p.messages.isEmpty());
    EXPECT_EQ(f.Fname, file);
}

TEST_F(Rounds, BlankLineIsAnEmptyPracticeLine) {
    const QString file = makePractice(u"a.txt"_s, {u"甲"_s, u""_s, u"乙"_s});
    buildAndOpen(file);
    EXPECT_EQ(rounds(3), QStringList({u"甲"_s, u""_s, u"乙"_s, u"甲"_s}));
}

// ---- Files that cannot be read ----

struct BadFile {
    const char* name;
    QByteArray bytes;
};

void PrintTo(const BadFile& b, std::ostream* os) { *os << b.name; }

class Unreadable : public Rounds, public ::testing::WithParamInterface<BadFile> {};

TEST_P(Unreadable, MessageAndNoFileState) {
    const QString file = practice(u"坏.txt"_s);
    writeFile(file, GetParam().bytes);
    ml::Form1& f = buildAndOpen(file);
    ASSERT_EQ(p.messages.size(), 1);
    const ShownMessage& m = p.messages[0];
    EXPECT_TRUE(m.text.contains(file)) << m.text.toStdString();
    EXPECT_EQ(m.icon, ml::MsgIcon::Exclamation);
    EXPECT_TRUE(f.Fname.isEmpty());
    EXPECT_FALSE(f.readerOpen());
    EXPECT_FALSE(f.txtInput->isEnabled());
    EXPECT_TRUE(f.txtInput->isHidden());
    EXPECT_TRUE(line().isEmpty());
    EXPECT_EQ(f.lbfilename->text(), u"练习文件类型: *.txt"_s);
    // A cancelled dialog now finds no file to reopen.
    f.Image3_Click();
    EXPECT_EQ(p.messages.size(), 1);
    EXPECT_FALSE(f.readerOpen());
}

INSTANTIATE_TEST_SUITE_P(
    Files, Unreadable,
    ::testing::Values(BadFile{"invalid", QByteArray("\xD6\xD0\x81\x20\xCE\xC4\r\n", 8)},
                      BadFile{"truncated", QByteArray("\xD6\xD0\xCE\xC4\xD6", 5)},
                      BadFile{"binary", QByteArray("\x7F"
                                                   "ELF\x02\x01\x01\x00\x00\x81\x0A\xFE\x20\x00",
                                                   15)},
                      // The head of a PNG picture and UTF-16 text decode without error in code
                      // page 936; their NUL bytes give them away.
                      BadFile{"png",
                              QByteArray("\x89PNG\r\n\x1A\n\x00\x00\x00\rIHDR\x00\x00\x00\x01"
                                         "\x00\x00\x00\x01\x08\x02\x00\x00\x00\x90wS\xDE",
                                         33)},
                      BadFile{"utf16", QByteArray("\x32\x75\x59\x4E\r\x00\n\x00", 8)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Rounds, BadLineLaterEndsPracticeWithMessage) {
    QByteArray bytes = gbkLines({u"甲"_s, u"乙"_s}) + QByteArray("\x81\x20\r\n", 4);
    const QString file = practice(u"a.txt"_s);
    writeFile(file, bytes);
    ml::Form1& f = buildAndOpen(file);
    EXPECT_EQ(line(), u"甲"_s);
    f.Lianxi();
    EXPECT_EQ(line(), u"乙"_s);
    EXPECT_TRUE(p.messages.isEmpty());
    f.Lianxi();
    ASSERT_EQ(p.messages.size(), 1);
    EXPECT_TRUE(p.messages[0].text.contains(file));
    EXPECT_TRUE(f.Fname.isEmpty());
    EXPECT_FALSE(f.txtInput->isEnabled());
}

TEST_F(Rounds, FileVanishingBeforeStartOver) {
    const QString file = makePractice(u"a.txt"_s, {u"甲"_s, u"乙"_s});
    ml::Form1& f = buildAndOpen(file);
    ASSERT_TRUE(QFile::remove(file));
    f.Lianxi();
    EXPECT_EQ(line(), u"乙"_s);
    EXPECT_TRUE(p.messages.isEmpty());
    f.Lianxi();
    ASSERT_EQ(p.messages.size(), 1);
    EXPECT_TRUE(p.messages[0].text.contains(file)) << p.messages[0].text.toStdString();
    EXPECT_TRUE(f.Fname.isEmpty());
    EXPECT_FALSE(f.readerOpen());
    EXPECT_FALSE(f.txtInput->isEnabled());
    // Typing into the (disabled, cleared) box judges nothing.
    const qint64 types = f.Types;
    f.txtInput_Change();
    EXPECT_EQ(f.Types, types);
}

}  // namespace
