// Writes that fail part way, as on a full disk or a stick pulled out: the progress record of a
// finished line, and the practice file a conversion writes.
#include <QSaveFile>

#include "faildevice.h"
#include "formfixture.h"

namespace {

using namespace mltest;

class WriteFaults : public FormFixture {};

// The record cannot be written: the learner is told once, practice goes on line after line, and
// nothing else is lost (the record keeps what it held, the counters and the line are right).
TEST_F(WriteFaults, FailingProgressWriteIsToldOnceAndPracticeGoesOn) {
    const QStringList lines = {cjk(28), cjk(28, u'\u5000'), cjk(28, u'\u5100'), u"末行"_s};
    const QString file = makePractice(u"a.txt"_s, lines);
    const QByteArray practiceBytes = readFile(file);
    writeFile(progress(u"a"_s), le32(1));
    int devices = 0;
    p.progressDevices = [&](const QString& path) -> std::unique_ptr<QIODevice> {
        ++devices;
        return std::make_unique<FailingAfter<QFile>>(path, 0);
    };
    ml::Form1& f = buildAndOpen(file);
    ASSERT_EQ(devices, 1);
    EXPECT_TRUE(p.messages.isEmpty());  // opening only reads the record
    ASSERT_EQ(f.JinduNow, 1);

    commit(lines[0]);
    EXPECT_EQ(line(), lines[1]);
    EXPECT_EQ(f.JinduNow, 2);
    ASSERT_EQ(p.messages.size(), 1);
    EXPECT_TRUE(p.messages[0].text.contains(u"练习进度没能保存"_s))
        << p.messages[0].text.toStdString();
    EXPECT_TRUE(p.messages[0].text.contains(QDir::toNativeSeparators(progress(u"a"_s))))
        << p.messages[0].text.toStdString();
    EXPECT_EQ(p.messages[0].icon, ml::MsgIcon::Exclamation);

    commit(lines[1]);
    type(lines[2].left(5));
    EXPECT_EQ(line(), lines[2]);
    EXPECT_EQ(f.JinduNow, 3);
    EXPECT_EQ(p.messages.size(), 1) << "told once, not after every line";
    EXPECT_EQ(f.Types, 61);
    EXPECT_EQ(f.RightTypes, 61);
    EXPECT_EQ(cell(5), ml::Form1::rightColor());
    EXPECT_TRUE(f.txtInput->isEnabled());
    EXPECT_TRUE(f.readerOpen());
    EXPECT_EQ(readFile(progress(u"a"_s)), le32(1));
    EXPECT_EQ(readFile(file), practiceBytes);

    // A new opening of the file tells of a new failure again.
    open(file);
    commit(lines[0]);
    EXPECT_EQ(p.messages.size(), 2);
}

// A record that stops taking bytes after the first write of a new file.
TEST_F(WriteFaults, RecordFailingAfterItsFirstWrite) {
    const QString file = makePractice(u"b.txt"_s, {cjk(28), u"末行"_s});
    p.progressDevices = [](const QString& path) -> std::unique_ptr<QIODevice> {
        return std::make_unique<FailingAfter<QFile>>(path, 4);
    };
    ml::Form1& f = buildAndOpen(file);
    EXPECT_TRUE(p.messages.isEmpty());
    EXPECT_EQ(readFile(progress(u"b"_s)), le32(1));
    type(cjk(28));
    EXPECT_EQ(line(), u"末行"_s);
    EXPECT_EQ(p.messages.size(), 1);
    qint16 enter = 13;
    f.txtInput_KeyDown(enter, 0);
    EXPECT_EQ(p.messages.size(), 1);
    EXPECT_EQ(readFile(progress(u"b"_s)), le32(1));
}

// The disk fills up while a conversion writes: the source is left as it was, no half-written
// practice file (nor a temporary one) is left, an older file of that name is kept, and the
// learner is told.
TEST_F(WriteFaults, ConversionFailingPartWayLeavesNoHalfFile) {
    const QString item = cjk(100);
    const QString source = path(u"别处/长文.txt"_s);
    writeFile(source, gbkLines({item, item}));
    const QByteArray sourceBytes = readFile(source);
    const QString target = practice(u"长文.txt"_s);
    for (bool olderTarget : {false, true}) {
        SCOPED_TRACE(olderTarget ? "an older file of that name" : "no file of that name");
        form.reset();
        p.messages.clear();
        if (olderTarget) writeFile(target, gbkLines({u"旧的练习"_s}));
        const QByteArray before = readFile(target);
        p.conversionDevices = [](const QString& path) -> std::unique_ptr<QIODevice> {
            return std::make_unique<FailingAfter<QSaveFile>>(path, 100);
        };
        ml::Form1& f = buildAndOpen(source);  // the format check is answered OK
        ASSERT_EQ(p.messages.size(), 2);
        EXPECT_TRUE(p.messages[1].text.contains(u"文件转换失败！"_s))
            << p.messages[1].text.toStdString();
        EXPECT_TRUE(p.messages[1].text.contains(QDir::toNativeSeparators(target)))
            << p.messages[1].text.toStdString();
        EXPECT_EQ(readFile(source), sourceBytes);
        EXPECT_EQ(QFile::exists(target), olderTarget);
        EXPECT_EQ(readFile(target), before);
        const QStringList left = QDir(practice(QString())).entryList(QDir::Files | QDir::Hidden);
        EXPECT_EQ(left, olderTarget ? QStringList({u"长文.txt"_s}) : QStringList());
        EXPECT_TRUE(f.Fname.isEmpty());
        EXPECT_FALSE(f.readerOpen());
        EXPECT_FALSE(f.txtInput->isEnabled());
    }
}

}  // namespace
