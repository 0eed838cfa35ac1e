#include "platform/recordfile.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QTemporaryDir>
#include <limits>

#include "platform/qtprint.h"
#include "support/faildevice.h"
#include "support/tempdir.h"

namespace {

TEST(PlatformRecordFile, MissingFileIsCreatedAndReadsZero) {
    QTemporaryDir dir;
    const QString path = dir.filePath("new.rec");
    ml::RecordFile f;
    EXPECT_FALSE(f.isOpen());
    ASSERT_TRUE(f.open(path));
    EXPECT_TRUE(f.isOpen());
    EXPECT_TRUE(QFile::exists(path));
    EXPECT_EQ(f.path(), path);
    EXPECT_EQ(f.read(), 0);
    ASSERT_TRUE(f.write(42));
    // Written to disk at once, visible to another reader while still open.
    EXPECT_EQ(mltest::readFile(path), QByteArray("\x2a\x00\x00\x00", 4));
    f.close();
    EXPECT_FALSE(f.isOpen());
}

TEST(PlatformRecordFile, ShortFilesReadMissingBytesAsZero) {
    QTemporaryDir dir;
    struct Case {
        QByteArray bytes;
        qint32 value;
    };
    const Case cases[] = {
        {QByteArray(), 0},
        {QByteArray("\x05", 1), 5},
        {QByteArray("\x01\x02\x03", 3), 0x030201},
        {QByteArray("\x01\x02\x03\x04", 4), 0x04030201},
        {QByteArray("\xff\xff\xff\xff", 4), -1},
        {QByteArray("\x00\x00\x00\x80", 4), std::numeric_limits<qint32>::min()},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes.toHex().toStdString());
        const QString path = dir.filePath(QString::number(n++));
        ASSERT_TRUE(mltest::writeFile(path, c.bytes));
        ml::RecordFile f;
        ASSERT_TRUE(f.open(path));
        EXPECT_EQ(f.read(), c.value);
        EXPECT_EQ(f.read(), c.value);  // reading again gives the same
    }
}

TEST(PlatformRecordFile, WriteReplacesTheFirstFourBytesOnly) {
    QTemporaryDir dir;
    const QString path = dir.filePath("long.rec");
    QByteArray bytes(4000, '\0');
    for (int i = 0; i < bytes.size(); ++i) bytes[i] = char(i * 7);
    ASSERT_TRUE(mltest::writeFile(path, bytes));
    ml::RecordFile f;
    ASSERT_TRUE(f.open(path));
    ASSERT_TRUE(f.write(-7));
    EXPECT_EQ(f.read(), -7);
    const QByteArray after = mltest::readFile(path);
    ASSERT_EQ(after.size(), 4000);
    EXPECT_EQ(after.left(4), QByteArray("\xf9\xff\xff\xff", 4));
    EXPECT_EQ(after.mid(4), bytes.mid(4));
    f.close();

    ml::RecordFile again;
    ASSERT_TRUE(again.open(path));
    EXPECT_EQ(again.read(), -7);
    ASSERT_TRUE(again.write(std::numeric_limits<qint32>::min()));
    EXPECT_EQ(again.read(), std::numeric_limits<qint32>::min());
    ASSERT_TRUE(again.write(std::numeric_limits<qint32>::max()));
    EXPECT_EQ(again.read(), std::numeric_limits<qint32>::max());
    EXPECT_EQ(mltest::readFile(path).size(), 4000);
}

TEST(PlatformRecordFile, ShortFileGrowsToFourBytes) {
    QTemporaryDir dir;
    for (int size : {0, 1, 3}) {
        const QString path = dir.filePath(QString::number(size));
        ASSERT_TRUE(mltest::writeFile(path, QByteArray(size, '\x11')));
        ml::RecordFile f;
        ASSERT_TRUE(f.open(path));
        ASSERT_TRUE(f.write(0x01020304));
        EXPECT_EQ(mltest::readFile(path), QByteArray("\x04\x03\x02\x01", 4));
        EXPECT_EQ(f.read(), 0x01020304);
    }
}

TEST(PlatformRecordFile, OpenFailureAndClosedUse) {
    QTemporaryDir dir;
    ml::RecordFile f;
    QString error;
    EXPECT_FALSE(f.open(dir.filePath("no/such/folder/x.rec"), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(f.open(dir.path(), &error));  // a folder
    EXPECT_FALSE(f.isOpen());
    EXPECT_EQ(f.read(), 0);
    EXPECT_FALSE(f.write(1));
    EXPECT_TRUE(f.path().isEmpty());
}

// Each write reaches the disk before it counts as done: the 4 bytes are written in place, then
// synced, so that a power cut after a finished line keeps it. A sync that fails is a failed write.
TEST(PlatformRecordFile, WriteIsSyncedAfterTheBytesAreInPlace) {
    QTemporaryDir dir;
    const QString path = dir.filePath("synced.rec");
    ASSERT_TRUE(mltest::writeFile(path, QByteArray("\x01\x00\x00\x00tail", 8)));
    QList<QByteArray> seenAtSync;
    bool syncWorks = true;
    ml::RecordFile f([&](QIODevice& device) {
        seenAtSync << mltest::readFile(path);  // what another reader sees when the sync starts
        return ml::syncToDisk(device) && syncWorks;
    });
    ASSERT_TRUE(f.open(path));
    ASSERT_TRUE(f.write(5));
    ASSERT_TRUE(f.write(6));
    EXPECT_EQ(seenAtSync, QList<QByteArray>({QByteArray("\x05\x00\x00\x00tail", 8),
                                             QByteArray("\x06\x00\x00\x00tail", 8)}));
    syncWorks = false;
    EXPECT_FALSE(f.write(7));
    EXPECT_FALSE(f.errorString().isEmpty());
    EXPECT_EQ(seenAtSync.size(), 3);
    syncWorks = true;
    EXPECT_TRUE(f.write(8));
    EXPECT_TRUE(f.errorString().isEmpty());
    // The real sync on a real file and on a device that is no file.
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    EXPECT_TRUE(ml::syncToDisk(file));
    QBuffer buffer;
    buffer.open(QIODevice::ReadWrite);
    EXPECT_TRUE(ml::syncToDisk(buffer));
}

// A device that takes no more bytes: the write fails and says so, the file keeps its record.
TEST(PlatformRecordFile, FailingDeviceFailsTheWrite) {
    QTemporaryDir dir;
    const QString path = dir.filePath("full.rec");
    ASSERT_TRUE(mltest::writeFile(path, QByteArray("\x03\x00\x00\x00", 4)));
    for (qint64 limit : {0, 2}) {
        SCOPED_TRACE(limit);
        ml::RecordFile f;
        ASSERT_TRUE(f.open(std::make_unique<mltest::FailingAfter<QFile>>(path, limit)));
        EXPECT_EQ(f.read(), 3);
        EXPECT_FALSE(f.write(9));
        EXPECT_TRUE(f.errorString().contains(QDir::toNativeSeparators(path)))
            << f.errorString().toStdString();
        f.close();
        EXPECT_EQ(mltest::readFile(path).size(), 4);
        if (limit == 0) {
            EXPECT_EQ(mltest::readFile(path), QByteArray("\x03\x00\x00\x00", 4));
        }
    }
}

}  // namespace
