#include <gtest/gtest.h>

#include "platform/qtprint.h"

#include <QDir>
#include <QTemporaryDir>

#include "platform/itemreader.h"
#include "platform/textfile.h"
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

}  // namespace
