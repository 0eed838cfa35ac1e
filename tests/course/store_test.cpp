// The course's part of the learning record: the drills' keys in the record's keystroke table,
// each item's figures, lesson progress and goals and "简码优先" in the course's own tables, read
// back after a restart; the keys exported as CSV; and a record that cannot be used left alone.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "course/recordstore.h"
#include "record/record.h"
#include "record/recorder.h"
#include "tempdir.h"

namespace {

using namespace ml::course;
using namespace Qt::StringLiterals;

KeyRecord key(const QString& item, QChar expected, QChar typed, qint64 ms, const QString& label = {}) {
    return KeyRecord{u"roots-1"_s, item, label, expected, typed, expected == typed, ms};
}

class Store : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString file() const { return dir.filePath(ml::record::kFileName); }
    QTemporaryDir dir;
};

TEST_F(Store, WhatIsWrittenIsReadBackAfterARestart) {
    ItemStats s;
    s.key = u"c:你"_s;
    s.lesson = u"chars-500"_s;
    s.seen = 3;
    s.missed = 1;
    s.missRate = 0.35;
    s.msPerKey = 420.5;
    s.last = 1'800'000'000;
    s.box = 2;
    s.due = 1'800'172'800;
    LessonProgress p;
    p.passed = true;
    p.rounds = 4;
    p.bestSpeed = 61;
    p.bestAccuracy = 97;
    p.goal = Goal{95, 70};
    {
        ml::record::Recorder rec(file());
        RecordStore store(rec, file());
        store.beginLesson(u"roots-1"_s);
        store.addKey(key(u"r:亻"_s, u'w', u'r', 350));
        store.addKey(key(u"r:亻"_s, u'w', u'w', 120));
        store.addKey(key(u"r:@F-ge"_s, u'f', u'f', 90, u"革字底"_s));
        store.addKey(key(u"c:一"_s, u' ', u' ', 80));
        store.saveItemStats({s});
        store.saveProgress(u"chars-500"_s, p);
        store.saveProgress(u"keynames"_s, LessonProgress{});
        store.setShortFirst(false);
        ASSERT_TRUE(rec.sync());
        EXPECT_TRUE(store.takeMessage().isEmpty());
    }
    ml::record::Recorder rec(file());
    RecordStore again(rec, file());
    const auto stats = again.itemStats();
    ASSERT_EQ(stats.size(), 1);
    const ItemStats& r = stats[u"c:你"_s];
    EXPECT_EQ(r.lesson, s.lesson);
    EXPECT_EQ(r.seen, 3);
    EXPECT_DOUBLE_EQ(r.missRate, 0.35);
    EXPECT_DOUBLE_EQ(r.msPerKey, 420.5);
    EXPECT_EQ(r.box, 2);
    EXPECT_EQ(r.due, s.due);
    const auto progress = again.progress();
    EXPECT_EQ(progress[u"chars-500"_s].goal, (std::optional<Goal>{Goal{95, 70}}));
    EXPECT_EQ(progress[u"chars-500"_s].bestSpeed, 61);
    EXPECT_TRUE(progress[u"chars-500"_s].passed);
    EXPECT_FALSE(progress[u"keynames"_s].goal.has_value());
    EXPECT_FALSE(again.shortFirst());

    const QString csv = dir.filePath(u"keys.csv"_s);
    QString report;
    ASSERT_EQ(exportKeysCsv(file(), csv, &report), 0) << report.toStdString();
    EXPECT_EQ(QString::fromUtf8(mltest::readFile(csv)),
              u"lesson,item,expected,typed,right,ms\n"
              "roots-1,亻,w,r,0,350\n"
              "roots-1,亻,w,w,1,120\n"
              "roots-1,革字底,f,f,1,90\n"
              "roots-1,一,space,space,1,80\n"_s);
    EXPECT_TRUE(report.contains(u"4"_s));
}

TEST_F(Store, WithoutARecordTheExportHasOnlyItsHeader) {
    const QString csv = dir.filePath(u"keys.csv"_s);
    QString report;
    EXPECT_EQ(exportKeysCsv(file(), csv, &report), 0);
    EXPECT_EQ(mltest::readFile(csv), "lesson,item,expected,typed,right,ms\n");
    EXPECT_EQ(exportKeysCsv(file(), dir.filePath(u"no/such/folder/k.csv"_s), &report), 1);
    EXPECT_FALSE(report.isEmpty());
}

TEST_F(Store, ARecordThatIsNotOneIsLeftAloneAndSaysSo) {
    const QByteArray junk("these are the learner's notes, not a database\n");
    ASSERT_TRUE(mltest::writeFile(file(), junk));
    {
        ml::record::Recorder rec(file());
        RecordStore store(rec, file());
        EXPECT_TRUE(store.itemStats().isEmpty());
        EXPECT_TRUE(store.shortFirst());  // the default
        store.addKey(key(u"r:亻"_s, u'w', u'w', 100));
        store.saveProgress(u"roots-1"_s, LessonProgress{});
        rec.sync(1000);
        EXPECT_FALSE(store.takeMessage().isEmpty());
    }
    EXPECT_EQ(mltest::readFile(file()), junk);
    QString report;
    const QString csv = dir.filePath(u"keys.csv"_s);
    EXPECT_EQ(exportKeysCsv(file(), csv, &report), 1);
    EXPECT_FALSE(report.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(csv));
}

}  // namespace
