// The shared practice text on a real SMB server, through the window's own F11 path.
// tests/e2e/smb_share.sh starts Samba on loopback and runs these with ML_SMB_SERVER
// (127.0.0.1:port) and the folders of its shares; without that they are skipped.
#include <QElapsedTimer>

#include "content/remote.h"
#include "formfixture.h"
#include "platform/smbfetch.h"

#ifndef Q_OS_WIN
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {

using namespace mltest;

const QChar CR(u'\r');
const QStringList kLesson = {u"春眠不觉晓"_s, u"处处闻啼鸟"_s, u"夜来风雨声"_s};
// A name that an smb:// address must escape: a blank, "#" and "%".
const QString kLessonName = u"第1课 #1%.txt"_s;

class SmbShare : public FormFixture {
protected:
    void SetUp() override {
        server = qEnvironmentVariable("ML_SMB_SERVER");
        if (server.isEmpty()) GTEST_SKIP() << "no SMB server; tests/e2e/smb_share.sh provides one";
        ASSERT_TRUE(ml::networkPathsSupported()) << "built without libsmbclient";
        FormFixture::SetUp();
        guestDir = qEnvironmentVariable("ML_SMB_GUEST_DIR");
        secretDir = qEnvironmentVariable("ML_SMB_SECRET_DIR");
        ASSERT_TRUE(writeFile(guestDir + u"/六年级/"_s + kLessonName, gbkLines(kLesson)));
        ASSERT_TRUE(writeFile(secretDir + u"/试卷.txt"_s, gbkLines(kLesson)));
        build();
    }

    QString unc(const QString& rest) const { return u"\\\\"_s + server + u"\\"_s + rest; }
    QString lesson() const { return unc(u"guest\\六年级\\"_s + kLessonName); }
    void configure(const QString& file) {
        ASSERT_TRUE(writeFile(path(u"远程内容.ini"_s),
                              gbkLines({u"五笔·键途　远程练习内容配置"_s, u"Path="_s + file, {}})));
    }
    static QString openFailed(const QString& file) {
        return CR + u"打开文件失败！"_s + CR + CR + u"请检查 "_s + file +
               u" 文件是否存在。　　　"_s + CR + CR +
               u"请确保你这台机器能无需密码正常访问局域网中的这个文件。"_s;
    }
    void expectFailedInto(const QString& file) {
        ASSERT_EQ(p.messages.size(), 1);
        EXPECT_EQ(p.messages[0].text, openFailed(file));
        EXPECT_TRUE(form->Fname.isEmpty());
        EXPECT_FALSE(form->txtInput->isEnabled());
        EXPECT_TRUE(form->txtInput->isHidden());
        EXPECT_EQ(form->lbfilename->text(), u"练习文件类型: *.txt"_s);
        EXPECT_FALSE(form->imghidehelp->isHidden());
    }

    QString server, guestDir, secretDir;
};

TEST_F(SmbShare, GuestShareIsPractised) {
    const QString slashes = u"//"_s + server + u"/guest/六年级/"_s + kLessonName;
    for (const QString& file : {lesson(), slashes}) {
        SCOPED_TRACE(file.toStdString());
        configure(file);
        form->Image4_Click();
        EXPECT_TRUE(p.messages.isEmpty());
        EXPECT_EQ(form->lbfilename->text(), file);
        EXPECT_EQ(line(), kLesson[0]);
        EXPECT_TRUE(form->txtInput->isEnabled());
        p.messages.clear();
    }
    // At the end of the text it is fetched again from the share.
    form->Lianxi();
    form->Lianxi();
    ASSERT_EQ(line(), kLesson[2]);
    ASSERT_TRUE(writeFile(guestDir + u"/六年级/"_s + kLessonName, gbkLines({u"新课"_s})));
    form->Lianxi();
    EXPECT_EQ(line(), u"新课"_s);
    EXPECT_TRUE(p.messages.isEmpty());
}

TEST_F(SmbShare, WhatCannotBeReadFails) {
    {
        QFile big(guestDir + u"/大.txt"_s);
        ASSERT_TRUE(big.open(QIODevice::WriteOnly));
        ASSERT_TRUE(big.resize(64ll * 1024 * 1024 + 1));  // sparse
    }
    const QString port = server.section(u':', 1);
    struct Case {
        const char* name;
        QString file;
        QString reason;  // part of the reason fetchFromShare gives
    };
    const Case cases[] = {
        {"share that needs a password", unc(u"secret\\试卷.txt"_s), u"权限"_s},
        {"missing file", unc(u"guest\\六年级\\没有这课.txt"_s), u"找不到"_s},
        {"missing share", unc(u"nosuchshare\\a.txt"_s), u"找不到"_s},
        {"folder", unc(u"guest\\六年级"_s), u"文件夹"_s},
        {"over 64 MiB", unc(u"guest\\大.txt"_s), u"过大"_s},
        {"no server at that address",
         u"\\\\127.0.0.2:"_s + port + u"\\guest\\六年级\\"_s + kLessonName, u"拒绝"_s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QByteArray bytes;
        QString why;
        EXPECT_FALSE(ml::fetchFromShare(ml::smbUrlFor(c.file), 64ll * 1024 * 1024, &bytes, &why));
        EXPECT_TRUE(why.contains(c.reason)) << why.toStdString();
        configure(c.file);
        form->Image4_Click();
        expectFailedInto(c.file);
        p.messages.clear();
    }
}

#ifndef Q_OS_WIN
TEST_F(SmbShare, SilentServerCostsOnlyAFewSeconds) {
    // Takes connections (the kernel completes them) and never says a word.
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ASSERT_EQ(::listen(fd, 8), 0);
    socklen_t len = sizeof addr;
    ASSERT_EQ(::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len), 0);
    const QString file = u"\\\\127.0.0.1:%1\\guest\\a.txt"_s.arg(ntohs(addr.sin_port));

    configure(file);
    QElapsedTimer clock;
    clock.start();
    form->Image4_Click();
    const qint64 took = clock.elapsed();
    ::close(fd);
    EXPECT_LT(took, 8000);
    expectFailedInto(file);
}
#endif

}  // namespace
