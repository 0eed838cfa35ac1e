// The conversion through real files: code page 936 bytes in, code page 936 lines with CR LF out,
// and failures that leave the target alone.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <ostream>

#include "content/convert.h"
#include "platform/cp936.h"
#include "platform/itemreader.h"
#include "platform/textfile.h"
#include "platform/wholefile.h"
#include "tests/support/tempdir.h"

// Readable QStrings in failure messages.
static std::ostream& operator<<(std::ostream& os, const QString& s) {
    return os << s.toStdString();
}
static void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s << '"'; }

namespace {

using namespace Qt::StringLiterals;
using mltest::readFile;
using mltest::writeFile;

QByteArray gbk(const QString& text) {
    QByteArray out;
    EXPECT_TRUE(ml::encodeCp936(text, out)) << text.toStdString();
    return out;
}

QByteArray gbkLines(const QStringList& lines) {
    QByteArray out;
    for (const QString& line : lines) out += gbk(line) + "\r\n";
    return out;
}

class ConvertCommand : public ::testing::Test {
protected:
    QString path(const QString& name) const { return dir.filePath(name); }

    QTemporaryDir dir;
};

TEST_F(ConvertCommand, WritesExactGbkBytesWithCrLf) {
    // 甲,乙 / "甲,乙" / leading blanks, an inner blank, a number / apostrophes, LF line end.
    const QByteArray source =
        "\xBC\xD7,\xD2\xD2\r\n"
        "\"\xBC\xD7,\xD2\xD2\"\r\n"
        "  a b,007\r\n"
        "'x'\n";
    // 甲乙 甲，乙 ａ　ｂ ７ ｘ
    const QByteArray expected =
        "\xBC\xD7\xD2\xD2"
        "\xBC\xD7\xA3\xAC\xD2\xD2"
        "\xA3\xE1\xA1\xA1\xA3\xE2"
        "\xA3\xB7"
        "\xA3\xF8"
        "\r\n";
    ASSERT_TRUE(writeFile(path("in.txt"), source));
    // A "%2" in the name must not be taken for a placeholder of the report.
    const QString target = path("out%2.txt");
    QString report;
    EXPECT_EQ(ml::runConvertCommand(path("in.txt"), target, &report), 0) << report;
    EXPECT_EQ(readFile(target), expected);
    EXPECT_EQ(report, QStringLiteral("已转换：%1（1 行）").arg(QDir::toNativeSeparators(target)));
}

TEST_F(ConvertCommand, PoursSourceLinesIntoLinesOf28) {
    const QString han = QStringLiteral("汉");
    const struct {
        const char* what;
        QByteArray source;
        QStringList lines;
    } cases[] = {
        {"60 characters over several lines",
         gbk(han.repeated(20) + u"\r\n   "_s + han.repeated(20) + u"\n"_s + han.repeated(20) +
             u"\r\n"_s),
         {han.repeated(28), han.repeated(28), han.repeated(4)}},
        {"exactly 56 characters end with an empty line",
         gbk(han.repeated(30) + u"\r\n"_s + han.repeated(26)),
         {han.repeated(28), han.repeated(28), QString()}},
        {"an empty source gives one empty line", QByteArray(), {QString()}},
        {"blank lines only", "\r\n\r\n  \r\n", {QString()}},
        {"closing marks after a full line",
         gbk(han.repeated(28) + u"\r\n。，好\r\n"_s),
         {han.repeated(28), QStringLiteral("好")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(writeFile(path("in.txt"), c.source));
        QString report;
        ASSERT_EQ(ml::runConvertCommand(path("in.txt"), path("out.txt"), &report), 0) << report;
        EXPECT_EQ(readFile(path("out.txt")), gbkLines(c.lines));
        EXPECT_TRUE(report.endsWith(QStringLiteral("（%1 行）").arg(c.lines.size()))) << report;
    }
}

TEST_F(ConvertCommand, BadGbkFailsWithItsOffsetAndLeavesTargetAlone) {
    // 0x81 followed by a blank is no valid sequence; once near the start, once far beyond the
    // first chunk the reader decodes.
    // The byte is named counted from 1, as opening it as a practice file names it.
    const struct {
        QByteArray source;
        qint64 position;
    } cases[] = {
        {QByteArray("ab\x81 cd\r\n"), 3},
        {QByteArray(300000, 'a') + "\r\n\x81 ", 300003},
    };
    const QByteArray old = "old content\r\n";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.position);
        ASSERT_TRUE(writeFile(path("in.txt"), c.source));
        ASSERT_TRUE(writeFile(path("out.txt"), old));
        QString report;
        EXPECT_NE(ml::runConvertCommand(path("in.txt"), path("out.txt"), &report), 0);
        const QString named = QStringLiteral("第 %1 字节").arg(c.position);
        EXPECT_TRUE(report.contains(named)) << report;
        auto reader = ml::ItemReader::openFile(path("in.txt"));
        while (reader->next(nullptr, 0)) {
        }
        EXPECT_TRUE(reader->errorString().contains(named)) << reader->errorString();
        EXPECT_EQ(readFile(path("out.txt")), old);
        EXPECT_FALSE(QFile::exists(path("new.txt")));
        EXPECT_NE(ml::runConvertCommand(path("in.txt"), path("new.txt"), &report), 0);
        EXPECT_FALSE(QFile::exists(path("new.txt")));
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2)
            << "no temporary file left behind";
    }
}

// Reads a practice file back the way the window reads it, item by item.
QStringList readBack(const QString& file) {
    QStringList items;
    auto reader = ml::ItemReader::openFile(file);
    if (!reader) return {u"<cannot open>"_s};
    QString item;
    while (reader->next(&item)) items << item;
    if (reader->error() != ml::ItemReader::Error::PastEnd) items << u"<read error>"_s;
    return items;
}

// Whatever the source holds, the practice file reads back as exactly the lines written, and the
// count printed is theirs.
TEST_F(ConvertCommand, OutputReadsBackAsTheLinesWritten) {
    const QString han = QStringLiteral("汉");
    const struct {
        const char* what;
        QByteArray source;
        QStringList lines;
    } cases[] = {
        {"a quoted item holding CR LF",
         gbk(u"\"甲\r\n乙乙乙乙乙乙乙乙\""_s),
         {u"甲乙乙乙乙乙乙乙乙"_s}},
        {"a quoted item holding lone CR and LF", gbk(u"\"甲\r乙\n丙\"\r\n丁"_s), {u"甲乙丙丁"_s}},
        {"a line end at the start of a line",
         gbk(han.repeated(28) + u",\"\r\n，好\""_s),
         {han.repeated(28), u"好"_s}},
        {"a tab at the end of a line",
         gbk(han.repeated(27) + u"\t"_s + han),
         {han.repeated(27) + u"\t"_s, han}},
        {"tabs at the start of a line",
         gbk(han.repeated(28) + u"\t\t好"_s),
         {han.repeated(28), u"\t\t好"_s}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(writeFile(path("in.txt"), c.source));
        QString report;
        ASSERT_EQ(ml::runConvertCommand(path("in.txt"), path("out.txt"), &report), 0) << report;
        EXPECT_EQ(readFile(path("out.txt")), gbkLines(c.lines));
        EXPECT_EQ(readBack(path("out.txt")), c.lines);
        EXPECT_TRUE(report.endsWith(QStringLiteral("（%1 行）").arg(c.lines.size()))) << report;
    }
}

// A source holding NUL bytes is a picture, a document or UTF-16 text: refused at once with the
// reason opening it for practice gives, and no target is left behind.
TEST_F(ConvertCommand, RefusesBinarySources) {
    const QString reason = ml::binaryContentReason();
    const struct {
        const char* what;
        QString source;
        QByteArray bytes;
    } cases[] = {
        {"NUL bytes at the start", path("nul.txt"), QByteArray("ab\0\0cd\r\n", 8)},
        {"UTF-16 text", path("utf16.txt"),
         QByteArray("\xFF\xFE"
                    "a\0b\0",
                    6)},
        {"a NUL far beyond the start", path("late.txt"),
         QByteArray(200000, 'a') + QByteArray(1, '\0') + "b"},
        {"a device that never ends", u"/dev/zero"_s, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (!c.bytes.isEmpty()) {
            ASSERT_TRUE(writeFile(c.source, c.bytes));
        }
        QString report;
        EXPECT_NE(ml::runConvertCommand(c.source, path("out.txt"), &report), 0);
        EXPECT_TRUE(report.contains(reason)) << report;
        EXPECT_FALSE(QFile::exists(path("out.txt")));
    }
}

TEST_F(ConvertCommand, MissingSourceFails) {
    QString report;
    EXPECT_NE(ml::runConvertCommand(path("nowhere.txt"), path("out.txt"), &report), 0);
    EXPECT_TRUE(report.contains(u"nowhere.txt")) << report;
    EXPECT_FALSE(QFile::exists(path("out.txt")));
}

TEST_F(ConvertCommand, UnwritableTargetFails) {
    ASSERT_TRUE(writeFile(path("in.txt"), "abc\r\n"));
    ASSERT_TRUE(QDir(dir.path()).mkdir("sub"));
    const QString targets[] = {path("missing/out.txt"), path("sub")};
    for (const QString& target : targets) {
        QString report;
        EXPECT_NE(ml::runConvertCommand(path("in.txt"), target, &report), 0) << target;
        EXPECT_FALSE(report.isEmpty());
    }
    EXPECT_FALSE(QFile::exists(path("missing")));
    EXPECT_TRUE(QFileInfo(path("sub")).isDir());
}

TEST_F(ConvertCommand, RefusesToOverwriteItsOwnSource) {
    const QByteArray source = "abc\r\n";
    ASSERT_TRUE(writeFile(path("in.txt"), source));
    ASSERT_TRUE(QFile::link(path("in.txt"), path("link.txt")));
    const QString targets[] = {path("in.txt"), dir.path() + u"/./in.txt"_s, path("link.txt")};
    for (const QString& target : targets) {
        QString report;
        EXPECT_NE(ml::runConvertCommand(path("in.txt"), target, &report), 0) << target;
        EXPECT_FALSE(report.isEmpty());
        EXPECT_EQ(readFile(path("in.txt")), source);
    }
}

TEST(ConvertStream, HugeItemIsStreamedAndNeverANumber) {
    // One item far longer than any number that is held whole: it must come through character by
    // character, leading zeros included.
    const qsizetype digits = 300001;
    const auto reader = ml::ItemReader::fromBytes(QByteArray(digits - 1, '0') + "1,0001\r\n");
    QTemporaryDir dir;
    ml::Cp936LineWriter out;
    ASSERT_TRUE(out.open(dir.filePath("out.txt")));
    QString error;
    ASSERT_TRUE(ml::convertStream(*reader, out, &error)) << error;
    ASSERT_TRUE(out.commit());

    const QString zeros = QStringLiteral("０").repeated(ml::kLineLength);
    const qsizetype full = digits / ml::kLineLength;
    const QString rest = QStringLiteral("０").repeated(digits % ml::kLineLength - 1) + u"１１"_s;
    QByteArray expected;
    for (qsizetype i = 0; i < full; ++i) expected += gbk(zeros) + "\r\n";
    expected += gbk(rest) + "\r\n";
    EXPECT_TRUE(readFile(dir.filePath("out.txt")) == expected);
}

}  // namespace
