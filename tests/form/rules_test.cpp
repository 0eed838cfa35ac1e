// Pure rules of the practice session: figures, names and checks.
#include "practice/rules.h"

#include <gtest/gtest.h>

#include <QStringList>

#include "practice/texts.h"
#include "tests/platform/qtprint.h"

namespace {

using namespace Qt::StringLiterals;

struct TimeCase {
    double elapsed;
    const char* shown;
};

TEST(TimeText, HoursBlankFieldsFromTheNearestWholeSecond) {
    const TimeCase cases[] = {
        {0, " 0:00:00"},
        {65, " 0:01:05"},
        {59.6, " 0:01:00"},  // 60 whole seconds: the minute has come round too
        {60.6, " 0:01:01"},
        {239.6, " 0:04:00"},
        {0.5, " 0:00:00"},  // half to even
        {1.5, " 0:00:02"},
        {2.5, " 0:00:02"},
        {599, " 0:09:59"},
        {600, " 0:10:00"},
        {3600 + 2 * 60 + 5, " 1:02:05"},
        {10 * 3600, " 10:00:00"},
        {3599.6, " 1:00:00"},
        {3599.4, " 0:59:59"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ml::timeText(c.elapsed), QString::fromUtf8(c.shown)) << c.elapsed;
}

// Sampled the way a learner watches it (every 0.15 s, over two hours), the caption never moves
// backwards and never skips more than a second at a time.
TEST(TimeText, OnlyMovesForward) {
    auto seconds = [](const QString& caption) {
        const QStringList f = caption.trimmed().split(u':');
        return f[0].toLongLong() * 3600 + f[1].toLongLong() * 60 + f[2].toLongLong();
    };
    qint64 last = 0;
    for (int i = 0; i <= 2 * 3600 * 100 / 15; ++i) {
        const double t = i * 0.15;
        const qint64 shown = seconds(ml::timeText(t));
        ASSERT_GE(shown, last) << t << " " << ml::timeText(t).toStdString();
        ASSERT_LE(shown - last, 1) << t;
        last = shown;
    }
}

TEST(SpeedText, PerMinuteRoundedDown) {
    EXPECT_EQ(ml::speedText(1, 0.4), u"150"_s);
    EXPECT_EQ(ml::speedText(60, 65), u"55"_s);
    EXPECT_EQ(ml::speedText(10, 60), u"10"_s);
    EXPECT_EQ(ml::speedText(2, 61), u"1"_s);
    EXPECT_EQ(ml::speedText(1, 0), QString());
    EXPECT_EQ(ml::speedText(1, -3), QString());
}

TEST(AccuracyText, LastThreeOfSignedTextRoundedDown) {
    struct Case {
        qint64 right, types;
        const char* shown;
    };
    const Case cases[] = {
        {55, 60, " 91%"}, {2, 3, " 66%"},    {7, 7, "100%"}, {1, 20, " 5%"},
        {0, 4, " 0%"},    {29, 100, " 29%"}, {1, 1, "100%"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ml::accuracyText(c.right, c.types), QString::fromUtf8(c.shown))
            << c.right << "/" << c.types;
}

TEST(ShortenPath, FullUpTo37Characters) {
    const QString p37 = u"C:\\练习文件\\"_s + QString(25, u'a') + u".txt"_s;
    ASSERT_EQ(p37.size(), 37);
    EXPECT_EQ(ml::shortenPath(p37), p37);
}

TEST(ShortenPath, LongNameKeepsLast17) {
    const QString folder = u"C:\\abcdefghi\\"_s;          // 13
    const QString name = u"abcdefghijklmnopqrstu.txt"_s;  // 25
    ASSERT_EQ(folder.size(), 13);
    ASSERT_EQ(name.size(), 25);
    EXPECT_EQ(ml::shortenPath(folder + name), folder + u"..."_s + name.right(17));
}

TEST(ShortenPath, ShortNameKeptWhole) {
    const QString folder = u"C:\\"_s + QString(34, u'f') + u"\\"_s;  // 37
    const QString name = u"nineteen_chars1.txt"_s;                   // 19
    ASSERT_EQ(name.size(), 19);
    EXPECT_EQ(ml::shortenPath(folder + name), folder + name);
}

TEST(ShortenPath, LongFolderCutAt39) {
    const QString folder = u"C:\\"_s + QString(46, u'x') + u"\\"_s;  // 50
    ASSERT_EQ(folder.size(), 50);
    const QString name = u"a.txt"_s;
    EXPECT_EQ(ml::shortenPath(folder + name), folder.left(39) + u"...\\"_s + name);

    const QString longName = u"0123456789abcdefghijklmn.txt"_s;  // 28
    const QString shown = ml::shortenPath(folder + longName);
    EXPECT_EQ(shown, folder.left(39) + u"...\\..."_s + longName.right(17));
    EXPECT_EQ(shown.size(), 63);
}

TEST(FileNames, ProgressFileNameDropsLastFour) {
    EXPECT_EQ(ml::progressFileName(u"C:\\练习文件\\a.txt"_s), u"a.SAV"_s);
    EXPECT_EQ(ml::progressFileName(u"/home/x/练习文件/唐诗 选.TXT"_s), u"唐诗 选.SAV"_s);
    EXPECT_EQ(ml::progressFileName(u"b.Txt"_s), u"b.SAV"_s);
    EXPECT_EQ(ml::progressFileName(u"x/ab.cd.txt"_s), u"ab.cd.SAV"_s);
    EXPECT_EQ(ml::fileNameOf(u"noseparator.txt"_s), u"noseparator.txt"_s);
}

TEST(FileNames, TxtExtensionInAnyCase) {
    for (const char* ok : {"a.txt", "a.TXT", "a.Txt", "C:\\d\\唐诗.tXt"})
        EXPECT_TRUE(ml::hasTxtExtension(QString::fromUtf8(ok))) << ok;
    for (const char* bad : {"a.doc", "a.text", "a.txt.bak", "txt", "a.tx"})
        EXPECT_FALSE(ml::hasTxtExtension(QString::fromUtf8(bad))) << bad;
}

TEST(ConfigBytes, BlankDigitBlankCrLf) {
    EXPECT_EQ(ml::configBytes(1), QByteArray("\x20\x31\x20\x0D\x0A"));
    EXPECT_EQ(ml::configBytes(2), QByteArray("\x20\x32\x20\x0D\x0A"));
    EXPECT_EQ(ml::configBytes(3), QByteArray(" 3 \r\n"));
}

TEST(Messages, RefusedExtension) {
    EXPECT_EQ(
        ml::text::refusedExtension(u"C:\\a.doc"_s),
        u"\r禁止打开文件！\r\rC:\\a.doc 不是文本文件（*.TXT）。\r\r不知道你是怎么搞的。在为本软件捉虫吗？\u3000\u3000\u3000"_s);
}

}  // namespace
