// Opening the classroom's shared practice text named in "远程内容.ini" (the F11 command).
#include "content/remote.h"

#include "commands/vkeys.h"
#include "formfixture.h"
#include "platform/smbfetch.h"

namespace {

using namespace mltest;

const QChar CR(u'\r');
const QString kTitle = u"五笔·键途　远程练习内容配置"_s;
const QStringList kShared = {u"甲乙丙"_s, u"丁戊己"_s, u"庚辛壬"_s};
const QStringList kHelp = {u"说明第一行"_s, u"说明第二行"_s};

class Remote : public FormFixture {
protected:
    void SetUp() override {
        FormFixture::SetUp();
        writeFile(path(u"局域网中同步练习说明.txt"_s), gbkLines(kHelp));
        shared = dir.filePath(u"共享/第17课.txt"_s);
        writeFile(shared, gbkLines(kShared));
    }

    QString ini() const { return path(u"远程内容.ini"_s); }
    void setIni(const QByteArray& bytes) { ASSERT_TRUE(writeFile(ini(), bytes)); }
    void setPath(const QString& path) { setIni(gbkLines({kTitle, u"Path="_s + path, {}})); }

    QString lastMessage() const {
        return p.messages.isEmpty() ? QString() : p.messages.last().text;
    }
    QString configError() const {
        return CR + u"配置文件内容错误！"_s + CR + CR + u"请用记事本编辑 "_s +
               QDir::toNativeSeparators(ini()) + CR + CR +
               u"确保文件中第二行内容以 “Path= ”　开头。"_s;
    }
    QString missingConfig() const {
        return CR + QDir::toNativeSeparators(ini()) + u" 文件失踪。"_s + CR + CR +
               u"请注意检查发生问题的原因，阅读帮助文件。　　　"_s;
    }
    static QString openFailed(const QString& file) {
        return CR + u"打开文件失败！"_s + CR + CR + u"请检查 "_s + file +
               u" 文件是否存在。　　　"_s + CR + CR +
               u"请确保你这台机器能无需密码正常访问局域网中的这个文件。"_s;
    }

    void expectNoFileState() {
        ml::Form1& f = *form;
        EXPECT_EQ(f.lbfilename->text(), u"练习文件类型: *.txt"_s);
        EXPECT_FALSE(f.txtInput->isEnabled());
        EXPECT_TRUE(f.txtInput->isHidden());
        EXPECT_FALSE(f.lblianxi->isEnabled());
        EXPECT_TRUE(f.lblianxi->isHidden());
        EXPECT_TRUE(f.Fname.isEmpty());
        EXPECT_EQ(f.Showhelp, u"F"_s);
        EXPECT_FALSE(f.imghidehelp->isHidden());
        EXPECT_FALSE(f.readerOpen());
        EXPECT_FALSE(f.Timer1->isActive());
    }

    void expectPractising(const QString& file, const QString& firstLine) {
        ml::Form1& f = *form;
        EXPECT_TRUE(p.messages.isEmpty()) << lastMessage().toStdString();
        EXPECT_EQ(f.Fname, file);
        EXPECT_EQ(f.lbfilename->text(), file);  // in full, not shortened
        EXPECT_EQ(line(), firstLine);
        EXPECT_EQ(f.nowLianXiCiShu, 1);
        EXPECT_EQ(f.isLianxi, u"F"_s);
        EXPECT_TRUE(f.txtInput->isEnabled());
        EXPECT_FALSE(f.txtInput->isHidden());
        EXPECT_TRUE(f.imghelphide->isHidden());
    }

    QString shared;
};

TEST_F(Remote, ConfigurationRules) {
    enum Outcome { Shared, Help, ConfigError, Missing, OpenFailed };
    struct Case {
        const char* name;
        QByteArray ini;
        Outcome outcome;
        QString failedPath = {};
    };
    const QByteArray pathLine = gbk(shared);
    auto utf16le = [](const QString& s) {
        return QByteArray(reinterpret_cast<const char*>(s.utf16()), s.size() * 2);
    };
    const Case cases[] = {
        {"path=", gbkLines({kTitle, u"path="_s + shared}), Shared},
        {"Path=", gbkLines({kTitle, u"Path="_s + shared}), Shared},
        {"PATH=", gbkLines({kTitle, u"PATH="_s + shared}), Shared},
        {"blank before =", gbkLines({kTitle, u"Path ="_s + shared}), ConfigError},
        {"capital A alone", gbkLines({kTitle, u"pAth="_s + shared}), ConfigError},
        {"LF line ends", gbk(kTitle) + "\nPath=" + pathLine + "\n", Shared},
        {"CR line ends", gbk(kTitle) + "\rPath=" + pathLine + "\r", Shared},
        {"comma in the title", gbkLines({u"五笔·键途,远程练习内容配置"_s, u"Path="_s + shared}),
         ConfigError},
        {"comma before an accepted prefix", gbkLines({u"标题,Path="_s + shared}), Shared},
        {"default file", gbkLines({kTitle, u"Path="_s, {}}), Help},
        {"path of 7 characters", gbkLines({kTitle, u"Path=abc.txt"_s}), Help},
        {"path of 8 characters", gbkLines({kTitle, u"Path=abcd.txt"_s}), OpenFailed, u"abcd.txt"_s},
        {"UTF-8 with a byte-order mark",
         "\xEF\xBB\xBF" + (kTitle + u"\r\nPath="_s + shared).toUtf8(), Shared},
        {"UTF-16 with a byte-order mark",
         "\xFF\xFE" + utf16le(kTitle + u"\r\nPath="_s + shared + u"\r\n"_s), Shared},
        {"UTF-8 mark, broken UTF-8 in the path",
         "\xEF\xBB\xBF" + kTitle.toUtf8() + "\r\nPath=\xE4\xB8" + shared.toUtf8(), Missing},
        {"UTF-8 mark, a character GBK cannot hold",
         "\xEF\xBB\xBF" + kTitle.toUtf8() + "\r\nPath=" + (shared + u"😀"_s).toUtf8(), Missing},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        build();
        setIni(c.ini);
        form->Image4_Click();
        switch (c.outcome) {
            case Shared:
                expectPractising(shared, kShared[0]);
                break;
            case Help:
                expectPractising(path(u"局域网中同步练习说明.txt"_s), kHelp[0]);
                break;
            case ConfigError:
                EXPECT_EQ(lastMessage(), configError());
                expectNoFileState();
                break;
            case Missing:
                EXPECT_EQ(lastMessage(), missingConfig());
                expectNoFileState();
                break;
            case OpenFailed:
                EXPECT_EQ(lastMessage(), openFailed(c.failedPath));
                expectNoFileState();
                break;
        }
        if (c.outcome != Shared && c.outcome != Help) {
            ASSERT_EQ(p.messages.size(), 1);
            EXPECT_EQ(p.messages[0].icon, ml::MsgIcon::Exclamation);
            EXPECT_EQ(p.messages[0].buttons, ml::MsgButtons::Ok);
        }
        p.messages.clear();
    }
}

TEST_F(Remote, RunawayPathLineIsRefusedWithAShortMessage) {
    build();
    setIni(gbk(kTitle) + "\r\nPath=" + QByteArray(10 * 1024 * 1024, 'x') + "\r\n");
    form->Image4_Click();
    ASSERT_EQ(p.messages.size(), 1);
    EXPECT_TRUE(lastMessage().contains(u"打开文件失败！"_s));
    EXPECT_LT(lastMessage().size(), 400);
    expectNoFileState();
}

TEST_F(Remote, MissingConfigurationEndsALocalPractice) {
    const QString local = makePractice(u"local.txt"_s, {u"本地"_s});
    const QByteArray variants[] = {QByteArray(), gbkLines({kTitle})};
    for (const QByteArray& content : variants) {
        SCOPED_TRACE(content.isNull() ? "no file" : "title only");
        buildAndOpen(local);
        ASSERT_EQ(line(), u"本地"_s);
        QFile::remove(ini());
        if (!content.isNull()) setIni(content);
        form->Image4_Click();
        ASSERT_EQ(p.messages.size(), 1);
        EXPECT_EQ(lastMessage(), missingConfig());
        expectNoFileState();
        p.messages.clear();
    }
}

TEST_F(Remote, UnusableConfiguredFileFailsOpening) {
    const QString folder = dir.filePath(u"共享/六年级"_s);
    QDir().mkpath(folder);
    const QString empty = dir.filePath(u"共享/空.txt"_s);
    writeFile(empty, {});
    const QString binary = dir.filePath(u"共享/图片.txt"_s);
    writeFile(binary, QByteArray("GIF89a\x81\x7F", 8));
    const QString utf16 = dir.filePath(u"共享/utf16.txt"_s);
    writeFile(utf16, QByteArray("l\0e\0s\0s\0o\0n\0\r\0\n\0", 16));
    const QString huge = dir.filePath(u"共享/大.txt"_s);
    {
        QFile f(huge);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(qint64(1) << 30));  // sparse: costs no disk
    }
    const QString files[] = {
        dir.filePath(u"共享/没有这个文件.txt"_s), folder, empty, binary, utf16, huge};
    for (const QString& file : files) {
        SCOPED_TRACE(file.toStdString());
        build();
        setPath(file);
        form->Image4_Click();
        ASSERT_EQ(p.messages.size(), 1);
        EXPECT_EQ(lastMessage(), openFailed(file));
        expectNoFileState();
        EXPECT_TRUE(form->Temp.isEmpty());
        p.messages.clear();
    }
}

#ifndef Q_OS_WIN
// A classroom machine without libsmbclient: the share says what is missing, and everything else
// (the help text, local practice) still works.
TEST_F(Remote, ShareWithoutSmbSupportSaysWhatToInstall) {
    ml::setSmbClientLibrary(u"ml-no-such-smbclient"_s, -1);
    struct Restore {
        ~Restore() { ml::setSmbClientLibrary(u"smbclient"_s, 0); }
    } restore;
    EXPECT_FALSE(ml::networkPathsSupported());

    build();
    const QString share = u"\\\\192.168.0.88\\远程练习内容\\第17课.txt"_s;
    setPath(share);
    form->Image4_Click();
    ASSERT_EQ(p.messages.size(), 1);
    EXPECT_EQ(lastMessage(), CR + u"打开文件失败！"_s + CR + CR + u"无法打开 "_s + share + u"。"_s +
                                 CR + CR + ml::shareSupportMissingReason());
    EXPECT_TRUE(lastMessage().contains(u"libsmbclient"_s));
    expectNoFileState();

    p.messages.clear();
    setPath({});
    form->Image4_Click();
    EXPECT_TRUE(p.messages.isEmpty());
    EXPECT_EQ(line(), kHelp[0]);
}
#endif

TEST_F(Remote, RepeatedLineGivesWayToTheRemoteFirstLine) {
    const QString local = makePractice(u"local.txt"_s, {u"本地一"_s, u"本地二"_s});
    buildAndOpen(local);
    form->Lianxicishu = 2;
    ASSERT_EQ(form->nowLianXiCiShu, 1);  // the line is due once more
    setPath(shared);
    form->Image4_Click();
    expectPractising(shared, kShared[0]);
}

TEST_F(Remote, RemotePracticeWritesNoProgress) {
    const QString local = makePractice(u"local.txt"_s, {u"本地一"_s, u"本地二"_s});
    buildAndOpen(local);
    const QByteArray saved = readFile(progress(u"local"_s));
    ASSERT_FALSE(saved.isEmpty());
    const QString full = cjk(28);
    writeFile(shared, gbkLines({full, u"短行"_s, full}));
    setPath(shared);
    form->Image4_Click();
    ASSERT_EQ(line(), full);
    commit(full);  // a finished line of 28
    ASSERT_EQ(line(), u"短行"_s);
    commit(u"短行"_s);
    qint16 enter = ml::vk::Return;  // a finished shorter line
    form->txtInput_KeyDown(enter, 0);
    ASSERT_EQ(line(), full);
    EXPECT_EQ(readFile(progress(u"local"_s)), saved);
    EXPECT_EQ(QDir(path(u"练习进度"_s)).entryList(QDir::Files), QStringList({u"local.SAV"_s}));
}

TEST_F(Remote, EveryOpeningStartsAtTheFirstLine) {
    build();
    setPath(shared);
    form->Image4_Click();
    qint16 pageDown = ml::vk::Next;
    form->txtInput_KeyDown(pageDown, 0);
    ASSERT_EQ(line(), kShared[1]);
    form->Image4_Click();
    expectPractising(shared, kShared[0]);
}

TEST_F(Remote, EndOfTextFetchesTheTextAgain) {
    build();
    setPath(shared);
    form->Image4_Click();
    form->Lianxi();
    form->Lianxi();
    ASSERT_EQ(line(), kShared[2]);
    // The teacher puts the next lesson in place: the next pass practises it.
    writeFile(shared, gbkLines({u"新课文"_s}));
    form->Lianxi();
    EXPECT_EQ(line(), u"新课文"_s);
    EXPECT_EQ(form->JinduNow, 1);
}

TEST(SmbUrl, NetworkPathsBecomeSmbAddresses) {
    struct Case {
        QString path, url;
    };
    const Case cases[] = {
        {u"\\\\192.168.0.88\\远程练习内容\\六年级\\第17课.txt"_s,
         u"smb://192.168.0.88/%E8%BF%9C%E7%A8%8B%E7%BB%83%E4%B9%A0%E5%86%85%E5%AE%B9/"
         u"%E5%85%AD%E5%B9%B4%E7%BA%A7/%E7%AC%AC17%E8%AF%BE.txt"_s},
        {u"//server/share/a b.txt"_s, u"smb://server/share/a%20b.txt"_s},
        {u"\\\\server\\\\share\\x.txt"_s, u"smb://server/share/x.txt"_s},
        {u"\\\\127.0.0.1:4450\\guest\\a.txt"_s, u"smb://127.0.0.1:4450/guest/a.txt"_s},
        // Characters that an smb:// address would read as options, credentials or escapes.
        {u"\\\\server\\share\\why?#50%.txt"_s, u"smb://server/share/why%3F%2350%25.txt"_s},
        {u"\\\\user:pw@server\\share\\a.txt"_s, u"smb://user:pw%40server/share/a.txt"_s},
        {u"\\\\server\\share"_s, {}},
        {u"\\\\server"_s, {}},
        {u"C:\\lessons\\a.txt"_s, {}},
    };
    for (const Case& c : cases) EXPECT_EQ(ml::smbUrlFor(c.path), c.url) << c.path.toStdString();
}

}  // namespace
