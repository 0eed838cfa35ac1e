// An installed tutor: it reads the shared data and writes only into the learner's own folder, and
// takes the classroom's shared text from the machine's settings when the learner has none.
#include <QDirIterator>
#include <QLineEdit>
#include <QPushButton>

#include "dialogs/readandset.h"
#include "formfixture.h"
#include "hints/dictionary.h"

namespace {

using namespace mltest;

const QString kTitle = u"五笔·键途　远程练习内容配置"_s;

class Installed : public FormFixture {
protected:
    void SetUp() override {
        FormFixture::SetUp();
        learner = dir.filePath(u"user/molan-tutor"_s);
        data = dir.filePath(u"usr/share/molan-tutor"_s);
        machine = dir.filePath(u"etc/molan-tutor"_s);
        QDir().mkpath(learner + u"/练习文件"_s);
        writeFile(data + u"/局域网中同步练习说明.txt"_s, gbkLines({u"说明"_s}));
        QString app = qEnvironmentVariable("ML_APP_DIR");
        if (app.isEmpty()) app = QCoreApplication::applicationDirPath() + u"/../app"_s;
        QFile::copy(QDir(app).filePath(u"CiKu.mdb"_s), data + u"/CiKu.mdb"_s);
        dataBefore = listing(data);
    }

    void buildInstalled() {
        form = std::make_unique<ml::Form1>(p, ml::ProgramFolder(learner, data, machine));
        ml::installCommands(*form);
        ml::installDialogs(*form);
    }
    static QStringList listing(const QString& folder) {
        QStringList files;
        QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            it.next();
            files << it.filePath() + u' ' + QString::number(it.fileInfo().size());
        }
        files.sort();
        return files;
    }
    static QByteArray iniFor(const QString& target) {
        return gbkLines({kTitle, u"Path="_s + target, {}});
    }

    QString learner, data, machine;
    QStringList dataBefore;
};

TEST_F(Installed, ReadsTheSharedDataAndWritesTheLearnersFolder) {
    buildInstalled();
    EXPECT_TRUE(form->startupWarning().isEmpty()) << form->startupWarning().toStdString();
    EXPECT_EQ(readFile(learner + u"/config"_s), QByteArray(" 1 \r\n"));
    EXPECT_TRUE(QFileInfo(learner + u"/练习进度"_s).isDir());

    const QString text = learner + u"/练习文件/一课.txt"_s;
    writeFile(text, gbkLines({cjk(5), cjk(5, u'\u4E10')}));
    open(text);
    ASSERT_EQ(line(), cjk(5));
    EXPECT_TRUE(QFileInfo::exists(learner + u"/练习进度/一课.SAV"_s));
    EXPECT_EQ(p.openRequests.last().initialDir, learner + u"/练习文件"_s);
    EXPECT_TRUE(p.sounds.contains(data + u"/声音/打开文件.wav"_s))
        << p.sounds.join(u' ').toStdString();
    type(u"丁"_s);  // wrong
    EXPECT_TRUE(p.sounds.contains(data + u"/声音/打错字.wav"_s));
    // The hints look codes up in the shared dictionary.
    const auto hit = form->dictionary()->search(u"中"_s);
    ASSERT_TRUE(hit);
    EXPECT_EQ(hit->outcome, ml::CodeDictionary::Outcome::Hit);
    EXPECT_EQ(hit->email, u"khk"_s);

    // The settings dialog writes the count into the learner's folder.
    form->imgcmd11_Click();
    dialogs().settings()->cmdOK->click();
    EXPECT_TRUE(QFileInfo::exists(learner + u"/config"_s));

    EXPECT_EQ(listing(data), dataBefore);
}

TEST_F(Installed, TheMachinesClassroomTextServesLearnersWithoutTheirOwn) {
    const QString shared = dir.filePath(u"共享/全班.txt"_s);
    writeFile(shared, gbkLines({u"全班一起练"_s}));
    const QString own = dir.filePath(u"共享/我的.txt"_s);
    writeFile(own, gbkLines({u"自己练自己的"_s}));
    writeFile(machine + u"/远程内容.ini"_s, iniFor(shared));
    buildInstalled();

    form->Image4_Click();
    EXPECT_TRUE(p.messages.isEmpty());
    EXPECT_EQ(form->Fname, shared);
    EXPECT_EQ(line(), u"全班一起练"_s);
    // The settings dialog shows it and leaves it alone: a default written for the learner would
    // hide the teacher's file from then on.
    form->imgcmd11_Click();
    EXPECT_EQ(dialogs().settings()->setfilename->text(), shared);
    EXPECT_FALSE(QFileInfo::exists(learner + u"/远程内容.ini"_s));
    dialogs().settings()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    // The learner's own file comes first.
    writeFile(learner + u"/远程内容.ini"_s, iniFor(own));
    form->Image4_Click();
    EXPECT_EQ(form->Fname, own);
}

TEST_F(Installed, WithNoClassroomTextAnywhereTheLearnersFileIsTheOneNamed) {
    buildInstalled();
    form->Image4_Click();
    ASSERT_EQ(p.messages.size(), 1);
    EXPECT_TRUE(
        p.messages[0].text.contains(QDir::toNativeSeparators(learner + u"/远程内容.ini"_s)));
    // The settings dialog then writes the default there, as in any program folder, and F11
    // practises the help text from the shared data.
    form->imgcmd11_Click();
    EXPECT_EQ(readFile(learner + u"/远程内容.ini"_s).left(4), gbk(kTitle).left(4));
    form->Image4_Click();
    EXPECT_EQ(form->Fname, data + u"/局域网中同步练习说明.txt"_s);
    EXPECT_EQ(line(), u"说明"_s);
}

}  // namespace
