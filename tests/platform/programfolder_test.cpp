#include <gtest/gtest.h>

#include "platform/qtprint.h"

#include "platform/programfolder.h"

namespace {

TEST(PlatformProgramFolder, InFolderJoinsEitherSeparator) {
    const QString base = QStringLiteral("/opt/molan");
    EXPECT_EQ(ml::inFolder(base, QStringLiteral("\\练习文件\\a.txt")), QStringLiteral("/opt/molan/练习文件/a.txt"));
    EXPECT_EQ(ml::inFolder(base, QStringLiteral("练习文件/a.txt")), QStringLiteral("/opt/molan/练习文件/a.txt"));
    EXPECT_EQ(ml::inFolder(base + "/", QStringLiteral("config")), QStringLiteral("/opt/molan/config"));
    EXPECT_EQ(ml::inFolder(base, QStringLiteral("a\\\\b//c.txt")), QStringLiteral("/opt/molan/a/b/c.txt"));
    EXPECT_EQ(ml::inFolder(base, QStringLiteral("a\\..\\b.txt")), QStringLiteral("/opt/molan/b.txt"));
    EXPECT_EQ(ml::inFolder(base, QStringLiteral(".\\b.txt")), QStringLiteral("/opt/molan/b.txt"));
    EXPECT_EQ(ml::inFolder(base, QString()), base);
    EXPECT_EQ(ml::inFolder(QStringLiteral("/opt/./molan/"), QStringLiteral("x")), QStringLiteral("/opt/molan/x"));
    EXPECT_EQ(ml::inFolder(QStringLiteral("/"), QStringLiteral("\\x")), QStringLiteral("/x"));
}

}  // namespace
