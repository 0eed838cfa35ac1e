#include <gtest/gtest.h>

#include "platform/qtprint.h"

#include <QDir>
#include <QFile>

#include "platform/programfolder.h"
#include "tempdir.h"

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

// The folders an installed tutor and a portable one choose, from a small tree of folders.
namespace folders {

using ml::FolderEnvironment;

class PlatformFolderChoice : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(tmp.isValid());
        root = tmp.path();
    }
    QString at(const QString& relative) const { return ml::inFolder(root, relative); }
    void dictionaryIn(const QString& relative) {
        ASSERT_TRUE(
            mltest::writeFile(at(relative + QStringLiteral("/CiKu.mdb")), "SQLite format 3"));
    }
    void folderAt(const QString& relative) { ASSERT_TRUE(QDir().mkpath(at(relative))); }

    QTemporaryDir tmp;
    QString root;
};

TEST_F(PlatformFolderChoice, APortableFolderIsUsedForEverything) {
    dictionaryIn(QStringLiteral("app"));
    // Even beside an installed copy's data: the build folder is what the learner started.
    dictionaryIn(QStringLiteral("share/molan-tutor"));
    folderAt(QStringLiteral("elsewhere"));
    const FolderEnvironment none{
        {}, at(QStringLiteral("app")), at(QStringLiteral("xdg")), at(QStringLiteral("user"))};
    for (const auto& [option, expected] :
         {std::pair{QString(), at(QStringLiteral("app"))},
          std::pair{at(QStringLiteral("elsewhere")), at(QStringLiteral("elsewhere"))}}) {
        FolderEnvironment env = none;
        env.homeOption = option;
        const ml::FolderChoice c = ml::chooseProgramFolder(env);
        EXPECT_FALSE(c.installed) << option.toStdString();
        EXPECT_EQ(c.folder.home, expected);
        EXPECT_EQ(c.folder.data, expected);
        EXPECT_TRUE(c.folder.machine.isEmpty());
    }
    // A folder without a dictionary and nothing installed stays the program folder too; the
    // window then says the dictionary is missing, as it always has.
    folderAt(QStringLiteral("bare/bin"));
    const ml::FolderChoice bare = ml::chooseProgramFolder(
        {{}, at(QStringLiteral("bare/bin")), {}, at(QStringLiteral("user"))});
    EXPECT_FALSE(bare.installed);
    EXPECT_EQ(bare.folder.data, at(QStringLiteral("bare/bin")));
}

TEST_F(PlatformFolderChoice, AnInstalledCopyWritesIntoTheLearnersFolder) {
    folderAt(QStringLiteral("usr/bin"));
    dictionaryIn(QStringLiteral("usr/share/molan-tutor"));
    const QString exe = at(QStringLiteral("usr/bin"));
    const QString user = at(QStringLiteral("user"));
    struct Case {
        const char* what;
        QString xdg;
        QString home;
    };
    const Case cases[] = {
        {"XDG_DATA_HOME", at(QStringLiteral("xdg")), at(QStringLiteral("xdg/molan-tutor"))},
        {"no XDG_DATA_HOME", QString(), user + QStringLiteral("/.local/share/molan-tutor")},
        {"a relative XDG_DATA_HOME is ignored", QStringLiteral("rel/xdg"),
         user + QStringLiteral("/.local/share/molan-tutor")},
    };
    for (const Case& c : cases) {
        const ml::FolderChoice choice = ml::chooseProgramFolder({{}, exe, c.xdg, user});
        EXPECT_TRUE(choice.installed) << c.what;
        EXPECT_EQ(choice.folder.home, c.home) << c.what;
        EXPECT_EQ(choice.folder.data, at(QStringLiteral("usr/share/molan-tutor"))) << c.what;
        // /usr keeps its settings in /etc.
        EXPECT_EQ(choice.folder.machine, at(QStringLiteral("etc/molan-tutor"))) << c.what;
    }

    // --home names where to write; a folder with a dictionary of its own is a whole program folder.
    folderAt(QStringLiteral("mine"));
    ml::FolderChoice mine = ml::chooseProgramFolder({at(QStringLiteral("mine")), exe, {}, user});
    EXPECT_TRUE(mine.installed);
    EXPECT_EQ(mine.folder.home, at(QStringLiteral("mine")));
    EXPECT_EQ(mine.folder.data, at(QStringLiteral("usr/share/molan-tutor")));
    dictionaryIn(QStringLiteral("mine"));
    mine = ml::chooseProgramFolder({at(QStringLiteral("mine")), exe, {}, user});
    EXPECT_FALSE(mine.installed);
    EXPECT_EQ(mine.folder.data, at(QStringLiteral("mine")));

    // Another prefix keeps its settings in its own etc/.
    folderAt(QStringLiteral("opt/tutor/bin"));
    dictionaryIn(QStringLiteral("opt/tutor/share/molan-tutor"));
    EXPECT_EQ(
        ml::chooseProgramFolder({{}, at(QStringLiteral("opt/tutor/bin")), {}, user}).folder.machine,
        at(QStringLiteral("opt/tutor/etc/molan-tutor")));
}

TEST_F(PlatformFolderChoice, TheLearnersSettingComesBeforeTheMachines) {
    const ml::ProgramFolder f(at(QStringLiteral("home")), at(QStringLiteral("data")),
                              at(QStringLiteral("etc")));
    const QString name = QStringLiteral("远程内容.ini");
    EXPECT_EQ(f.settingPath(name), at(QStringLiteral("home/远程内容.ini")));
    ASSERT_TRUE(mltest::writeFile(at(QStringLiteral("etc/远程内容.ini")), "x"));
    EXPECT_EQ(f.settingPath(name), at(QStringLiteral("etc/远程内容.ini")));
    ASSERT_TRUE(mltest::writeFile(at(QStringLiteral("home/远程内容.ini")), "x"));
    EXPECT_EQ(f.settingPath(name), at(QStringLiteral("home/远程内容.ini")));
    // A portable folder has only its own.
    ASSERT_TRUE(QFile::remove(at(QStringLiteral("home/远程内容.ini"))));
    EXPECT_EQ(ml::ProgramFolder(at(QStringLiteral("home"))).settingPath(name),
              at(QStringLiteral("home/远程内容.ini")));
}

TEST_F(PlatformFolderChoice, TheLearnersFolderGetsCopiesOfTheBundledTextsOnce) {
    const QByteArray poem = "\xb4\xb2\xc7\xb0\xc3\xf7\xd4\xc2\xb9\xe2\r\n";
    ASSERT_TRUE(mltest::writeFile(at(QStringLiteral("data/练习文件/唐诗选.txt")), poem));
    ASSERT_TRUE(mltest::writeFile(at(QStringLiteral("data/练习文件/千字文.txt")), "abc\r\n"));
    const ml::ProgramFolder f(at(QStringLiteral("xdg/molan-tutor")), at(QStringLiteral("data")));

    QString why;
    ASSERT_TRUE(ml::prepareHomeFolder(f, &why)) << why.toStdString();
    EXPECT_EQ(QFile::permissions(f.home) & (QFile::ReadGroup | QFile::ReadOther),
              QFile::Permissions());
    QDir texts(f.homePath(QStringLiteral("练习文件")));
    EXPECT_EQ(texts.entryList(QDir::Files, QDir::Name),
              (QStringList{QStringLiteral("千字文.txt"), QStringLiteral("唐诗选.txt")}));
    EXPECT_EQ(mltest::readFile(texts.filePath(QStringLiteral("唐诗选.txt"))), poem);
    EXPECT_EQ(mltest::readFile(texts.filePath(QStringLiteral("千字文.txt"))), "abc\r\n");
    EXPECT_TRUE(QFile::permissions(texts.filePath(QStringLiteral("唐诗选.txt"))) &
                QFile::WriteOwner);
    EXPECT_FALSE(QFileInfo::exists(f.homePath(QStringLiteral("练习文件.part"))));

    // The folder is the learner's from then on: what they removed stays removed, what they
    // changed stays changed.
    ASSERT_TRUE(QFile::remove(texts.filePath(QStringLiteral("千字文.txt"))));
    ASSERT_TRUE(mltest::writeFile(texts.filePath(QStringLiteral("唐诗选.txt")), "mine"));
    ASSERT_TRUE(ml::prepareHomeFolder(f, &why)) << why.toStdString();
    EXPECT_EQ(texts.entryList(QDir::Files), QStringList{QStringLiteral("唐诗选.txt")});
    EXPECT_EQ(mltest::readFile(texts.filePath(QStringLiteral("唐诗选.txt"))), "mine");

    // A first start cut short while copying left part of the texts behind: they are copied anew.
    ASSERT_TRUE(texts.removeRecursively());
    ASSERT_TRUE(mltest::writeFile(f.homePath(QStringLiteral("练习文件.part/千字文.txt")), "a"));
    ASSERT_TRUE(ml::prepareHomeFolder(f, &why)) << why.toStdString();
    EXPECT_EQ(mltest::readFile(texts.filePath(QStringLiteral("千字文.txt"))), "abc\r\n");
    EXPECT_EQ(mltest::readFile(texts.filePath(QStringLiteral("唐诗选.txt"))), poem);
    EXPECT_FALSE(QFileInfo::exists(f.homePath(QStringLiteral("练习文件.part"))));
}

TEST_F(PlatformFolderChoice, AFolderThatCannotBeMadeIsReported) {
    ASSERT_TRUE(mltest::writeFile(at(QStringLiteral("file")), "not a folder"));
    QString why;
    EXPECT_FALSE(ml::prepareHomeFolder(
        ml::ProgramFolder(at(QStringLiteral("file/molan-tutor")), at(QStringLiteral("data"))),
        &why));
    EXPECT_EQ(why, QStringLiteral("无法建立文件夹 %1。")
                       .arg(QDir::toNativeSeparators(at(QStringLiteral("file/molan-tutor")))));
    // "练习文件" cannot be made where a file of that name stands: no half-made folder is left.
    folderAt(QStringLiteral("home"));
    ASSERT_TRUE(mltest::writeFile(at(QStringLiteral("home/练习文件.part")), "in the way"));
    ASSERT_TRUE(mltest::writeFile(at(QStringLiteral("data/练习文件/a.txt")), "a"));
    EXPECT_FALSE(ml::prepareHomeFolder(
        ml::ProgramFolder(at(QStringLiteral("home")), at(QStringLiteral("data"))), &why));
    EXPECT_FALSE(QFileInfo::exists(at(QStringLiteral("home/练习文件"))));
}

}  // namespace folders
