#include "platform/textfile.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QSaveFile>
#include <QTemporaryDir>

#include "platform/itemreader.h"
#include "platform/qtprint.h"
#include "support/faildevice.h"
#include "support/tempdir.h"

namespace {

QStringList entries(const QString& dir) {
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

TEST(PlatformTextFile, WriteLinesIsExactGbkWithCrLf) {
    QTemporaryDir dir;
    const QString path = dir.filePath("out.txt");
    QString error = QStringLiteral("stale");
    ASSERT_TRUE(ml::writeLinesCp936(path, {QString::fromUtf16(u"甲乙")}, &error));
    EXPECT_TRUE(error.isEmpty());
    EXPECT_EQ(mltest::readFile(path), QByteArray("\xbc\xd7\xd2\xd2\r\n"));

    ASSERT_TRUE(ml::writeLinesCp936(path, {}, &error));
    EXPECT_EQ(mltest::readFile(path), QByteArray());
}

TEST(PlatformTextFile, LineWriterRoundTrip) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("记录.txt"));
    ml::Cp936LineWriter w;
    EXPECT_FALSE(w.isOpen());
    ASSERT_TRUE(w.open(path));
    EXPECT_TRUE(w.isOpen());
    ASSERT_TRUE(w.writeLine(QString::fromUtf16(u"甲乙")));
    ASSERT_TRUE(w.write(u"a,"));
    ASSERT_TRUE(w.writeLine(QString::fromUtf16(u"€")));
    ASSERT_TRUE(w.writeLine(u""));
    EXPECT_FALSE(QFile::exists(path));  // nothing appears before commit
    QString error;
    ASSERT_TRUE(w.commit(&error)) << error.toStdString();
    EXPECT_FALSE(w.isOpen());
    EXPECT_EQ(mltest::readFile(path), QByteArray("\xbc\xd7\xd2\xd2\r\na,\x80\r\n\r\n"));

    auto r = ml::ItemReader::openFile(path);
    ASSERT_NE(r, nullptr);
    QStringList items;
    QString item;
    while (r->next(&item)) items << item;
    EXPECT_EQ(items, QStringList({QString::fromUtf16(u"甲乙"), "a", QString::fromUtf16(u"€"), ""}));
    EXPECT_EQ(entries(dir.path()), QStringList({QStringLiteral("记录.txt")}));
}

TEST(PlatformTextFile, FailedWriteKeepsTheOldFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath("keep.txt");
    ASSERT_TRUE(mltest::writeFile(path, "old\r\n"));

    QString error;
    EXPECT_FALSE(ml::writeLinesCp936(path, {"fine", QString::fromUtf16(u"smile 😀")}, &error));
    EXPECT_TRUE(error.contains("U+1F600")) << error.toStdString();
    EXPECT_TRUE(error.contains(QString::fromUtf16(u"😀"))) << error.toStdString();
    EXPECT_EQ(mltest::readFile(path), QByteArray("old\r\n"));
    EXPECT_EQ(entries(dir.path()), QStringList({"keep.txt"}));

    ml::Cp936LineWriter w;
    ASSERT_TRUE(w.open(path));
    ASSERT_TRUE(w.writeLine(u"new"));
    EXPECT_FALSE(w.writeLine(QString::fromUtf16(u"한")));
    EXPECT_TRUE(w.errorString().contains("U+D55C")) << w.errorString().toStdString();
    EXPECT_FALSE(w.commit(&error));
    EXPECT_TRUE(error.contains("U+D55C")) << error.toStdString();
    EXPECT_EQ(mltest::readFile(path), QByteArray("old\r\n"));
    EXPECT_EQ(entries(dir.path()), QStringList({"keep.txt"}));

    const char16_t lone[] = {u'x', 0xDC00, 0};
    EXPECT_FALSE(ml::writeLinesCp936(path, {QString::fromUtf16(lone)}, &error));
    EXPECT_TRUE(error.contains("U+DC00")) << error.toStdString();
    EXPECT_EQ(mltest::readFile(path), QByteArray("old\r\n"));
}

TEST(PlatformTextFile, CancelKeepsTheOldFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath("keep.txt");
    ASSERT_TRUE(mltest::writeFile(path, "old"));
    {
        ml::Cp936LineWriter w;
        ASSERT_TRUE(w.open(path));
        ASSERT_TRUE(w.writeLine(u"new"));
        w.cancel();
        EXPECT_FALSE(w.isOpen());
    }
    {
        ml::Cp936LineWriter w;  // destroyed without commit
        ASSERT_TRUE(w.open(path));
        ASSERT_TRUE(w.writeLine(u"new"));
    }
    EXPECT_EQ(mltest::readFile(path), QByteArray("old"));
    EXPECT_EQ(entries(dir.path()), QStringList({"keep.txt"}));
}

TEST(PlatformTextFile, WriteBytesAtomic) {
    QTemporaryDir dir;
    const QString path = dir.filePath("b.bin");
    ASSERT_TRUE(mltest::writeFile(path, "older and longer"));
    QString error;
    ASSERT_TRUE(ml::writeBytesAtomic(path, QByteArray("\x00\x01\xff", 3), &error));
    EXPECT_EQ(mltest::readFile(path), QByteArray("\x00\x01\xff", 3));

    EXPECT_FALSE(ml::writeBytesAtomic(dir.filePath("no/such/folder/x.txt"), "x", &error));
    EXPECT_FALSE(error.isEmpty());
    ml::Cp936LineWriter w;
    EXPECT_FALSE(w.open(dir.filePath("no/such/folder/x.txt"), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(w.isOpen());
    EXPECT_FALSE(w.writeLine(u"x"));
    EXPECT_FALSE(w.commit());
}

// The disk fills up in the middle of a file: the write fails with a reason, the old file is kept
// as it was and no temporary file is left, whichever write it is that fails.
TEST(PlatformTextFile, DeviceFailingPartWayKeepsTheOldFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("练习.txt"));
    const QByteArray old = "old\r\n";
    const QString line = QString::fromUtf16(u"天地玄黄宇宙洪荒");
    for (qint64 limit : {0, 5, 16, 17, 18, 35}) {
        SCOPED_TRACE(limit);
        ASSERT_TRUE(mltest::writeFile(path, old));
        ml::Cp936LineWriter w;
        ASSERT_TRUE(w.open(std::make_unique<mltest::FailingAfter<QSaveFile>>(path, limit)));
        bool ok = true;
        for (int i = 0; i < 3 && ok; ++i) ok = w.writeLine(line);
        EXPECT_FALSE(ok);
        EXPECT_FALSE(w.errorString().isEmpty());
        EXPECT_FALSE(w.writeLine(line)) << "a file with a line missing is given up";
        QString error;
        EXPECT_FALSE(w.commit(&error));
        EXPECT_TRUE(error.contains(QDir::toNativeSeparators(path))) << error.toStdString();
        EXPECT_EQ(mltest::readFile(path), old);
        EXPECT_EQ(entries(dir.path()), QStringList({QStringLiteral("练习.txt")}));
    }
}

// Text that code page 936 cannot hold, invisible characters included, fails the write with the
// character named; before, an invisible one vanished and the file was written without it.
TEST(PlatformTextFile, UnencodableCharacterFailsAndIsNamed) {
    QTemporaryDir dir;
    const QString path = dir.filePath("out.txt");
    const struct {
        QString text;
        QString named;
    } cases[] = {
        {QStringLiteral("甲\u200B乙"), QStringLiteral("字符 U+200B")},
        // (Not through QString::fromUtf16, which takes a leading U+FEFF for a byte-order mark.)
        {QStringLiteral("\uFEFF甲"), QStringLiteral("字符 U+FEFF")},
        {QStringLiteral("甲😀"), QStringLiteral("字符“😀”（U+1F600）")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.named.toStdString());
        ml::Cp936LineWriter w;
        ASSERT_TRUE(w.open(path));
        EXPECT_FALSE(w.writeLine(c.text));
        EXPECT_TRUE(w.errorString().contains(c.named)) << w.errorString().toStdString();
        EXPECT_FALSE(w.commit());
        EXPECT_FALSE(QFile::exists(path));
        QString error;
        EXPECT_FALSE(ml::writeLinesCp936(path, {c.text}, &error));
        EXPECT_TRUE(error.contains(c.named)) << error.toStdString();
        EXPECT_FALSE(QFile::exists(path));
    }
}

}  // namespace
