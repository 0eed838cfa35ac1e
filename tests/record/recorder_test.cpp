// The record's writer: what lands in the file, when it is committed, and every way the file can
// be unusable (practice then goes on unrecorded, one message says why, the file is kept).
#include "record/recorder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QSysInfo>
#include <QThread>
#include <chrono>
#include <functional>

#include "record/schema.h"
#include "support/recorddb.h"
#include "support/tempdir.h"
#include "tests/platform/qtprint.h"

namespace {

using namespace Qt::StringLiterals;
using ml::record::CharRow;
using ml::record::KeyRow;
using ml::record::Recorder;
using ml::record::SessionInfo;
using ml::record::SessionKind;
using mltest::RecordDb;

SessionInfo practice(const QString& name, qint64 startedMs = 0) {
    SessionInfo s;
    s.path = u"/texts/"_s + name + u".txt"_s;
    s.name = name;
    s.startedMs = startedMs;
    return s;
}

CharRow row(qint32 pos, char16_t target, char16_t typed, qint32 ms, qint32 gap = -2) {
    CharRow r;
    r.line = 1;
    r.pos = pos;
    r.target = target;
    r.typed = typed;
    r.right = target == typed;
    r.ms = ms;
    r.gapMs = gap == -2 ? ms : gap;
    return r;
}

// Polls `done` for up to three seconds.
bool eventually(const std::function<bool()>& done) {
    for (int i = 0; i < 300; ++i) {
        if (done()) return true;
        QThread::msleep(10);
    }
    return done();
}

class RecorderTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString file() const { return dir.filePath(u"练习记录.db"_s); }

    QTemporaryDir dir;
};

TEST_F(RecorderTest, WritesSessionsAndJudgedCharactersAsHandedOver) {
    Recorder::Options o;
    o.codeOf = [](QChar c) { return c == u'中' ? u"khk"_s : QString(); };
    {
        Recorder r(file(), o);
        SessionInfo s = practice(u"课文"_s, 1'700'000'000'000);
        s.repeats = 2;
        s.remote = true;
        r.beginSession(s);
        CharRow first = row(1, u'中', u'中', -1);
        first.hintDisplay = true;
        r.add(first);
        CharRow second = row(2, u'国', u'图', 350);
        second.codeHints = true;
        r.add(second);
        // Typed past the end of the line, after a pause that is not practice time.
        r.add(row(3, 0, u'x', 20'000));
        ASSERT_TRUE(r.sync());
        EXPECT_TRUE(r.takeMessage().isEmpty());
    }
    RecordDb db(file());
    EXPECT_EQ(db.value("PRAGMA journal_mode"), u"wal"_s);
    EXPECT_EQ(db.value("PRAGMA user_version").toInt(), ml::record::schemaVersion());
    const auto sessions = db.rows(
        "SELECT kind, started_ms, path, name, remote, judged, right, active_ms, repeats, "
        "ended_ms >= started_ms, lesson FROM session");
    ASSERT_EQ(sessions.size(), 1u);
    EXPECT_EQ(sessions[0], QStringList({u"0"_s, u"1700000000000"_s, u"/texts/课文.txt"_s, u"课文"_s,
                                        u"1"_s, u"3"_s, u"1"_s, u"350"_s, u"2"_s, u"1"_s,
                                        u"NULL"_s}));
    const auto judged = db.rows(
        "SELECT line, pos, target, typed, right, ms, hint_display, code_hints, code FROM judged "
        "ORDER BY id");
    ASSERT_EQ(judged.size(), 3u);
    EXPECT_EQ(judged[0], QStringList({u"1"_s, u"1"_s, u"中"_s, u"中"_s, u"1"_s, u"NULL"_s, u"1"_s,
                                      u"0"_s, u"khk"_s}));
    EXPECT_EQ(judged[1], QStringList({u"1"_s, u"2"_s, u"国"_s, u"图"_s, u"0"_s, u"350"_s, u"0"_s,
                                      u"1"_s, u"NULL"_s}));
    EXPECT_EQ(judged[2], QStringList({u"1"_s, u"3"_s, u""_s, u"x"_s, u"0"_s, u"20000"_s, u"0"_s,
                                      u"0"_s, u"NULL"_s}));
}

TEST_F(RecorderTest, SessionsEndAtTheNextOpeningAndEmptyOnesLeaveNoRow) {
    {
        Recorder r(file());
        r.beginSession(practice(u"a"_s, 1000));
        r.beginSession(practice(u"b"_s, 2000));  // nothing typed in a
        r.add(row(1, u'一', u'一', -1));
        r.beginSession(practice(u"c"_s, 5000));
        r.add(row(1, u'二', u'二', -1));
        r.endSession();
        r.beginSession(practice(u"d"_s, 9000));  // nothing typed, window closed
    }
    RecordDb db(file());
    EXPECT_EQ(db.rows("SELECT name, started_ms, judged FROM session ORDER BY id"),
              (std::vector<QStringList>{{u"b"_s, u"2000"_s, u"1"_s}, {u"c"_s, u"5000"_s, u"1"_s}}));
    EXPECT_EQ(db.value("SELECT ended_ms FROM session WHERE name = 'b'"), u"5000"_s);
    EXPECT_EQ(db.value("SELECT count(*) FROM judged j JOIN session s ON s.id = j.session "
                       "WHERE s.name = 'c' AND j.target = '二'"),
              u"1"_s);
}

TEST_F(RecorderTest, CommitsWaitingRowsAfterTheIntervalWithoutBeingAsked) {
    Recorder::Options o;
    o.commitIntervalMs = 100;
    Recorder r(file(), o);
    ASSERT_TRUE(r.waitReady(3000));
    r.beginSession(practice(u"a"_s));
    r.add(row(1, u'一', u'一', -1));
    const bool landed = eventually([&] {
        RecordDb db(file());
        return db.value("SELECT count(*) FROM judged") == u"1"_s;
    });
    EXPECT_TRUE(landed);
}

TEST_F(RecorderTest, DrillKeystrokesAndCallerJobsShareTheBatches) {
    {
        Recorder r(file());
        SessionInfo s;
        s.kind = SessionKind::Drill;
        s.lesson = u"第一课"_s;
        r.beginSession(s);
        KeyRow k;
        k.lesson = u"第一课"_s;
        k.item = u"工"_s;
        k.expected = 'a';
        k.typed = 's';
        k.ms = -1;
        r.addKey(k);
        k.expected = 'a';
        k.typed = 'a';
        k.right = true;
        k.ms = 180;
        k.gapMs = 180;
        r.addKey(k);
        // A job that fails is undone alone; one that succeeds lands with the rows.
        r.post([](sqlite3* db) {
            sqlite3_exec(db, "CREATE TABLE scratch(x)", nullptr, nullptr, nullptr);
            return false;
        });
        r.post([](sqlite3* db) {
            return sqlite3_exec(db, "CREATE TABLE lesson_best(lesson TEXT)", nullptr, nullptr,
                                nullptr) == SQLITE_OK;
        });
        ASSERT_TRUE(r.sync());
    }
    RecordDb db(file());
    EXPECT_EQ(db.rows("SELECT kind, lesson, judged, right, active_ms FROM session"),
              (std::vector<QStringList>{{u"1"_s, u"第一课"_s, u"2"_s, u"1"_s, u"180"_s}}));
    EXPECT_EQ(db.rows("SELECT lesson, item, expected, typed, right, ms FROM keystroke ORDER BY id"),
              (std::vector<QStringList>{{u"第一课"_s, u"工"_s, u"a"_s, u"s"_s, u"0"_s, u"NULL"_s},
                                        {u"第一课"_s, u"工"_s, u"a"_s, u"a"_s, u"1"_s, u"180"_s}}));
    EXPECT_EQ(db.value("SELECT group_concat(name) FROM sqlite_master WHERE name IN "
                       "('scratch', 'lesson_best')"),
              u"lesson_best"_s);
}

TEST(RecordSchema, StepsAreNumberedOneByOne) {
    int expected = 1;
    for (const ml::record::Migration& m : ml::record::migrations()) EXPECT_EQ(m.version, expected++);
    EXPECT_EQ(ml::record::schemaVersion(), expected - 1);
}

// ---- Files that cannot be recorded into ----

// The folder made read-only for the scope. Root writes anyway, so a test run as root drops to an
// unprivileged user for it.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(const QString& folder) : folder_(folder) {
        QFile::setPermissions(QFileInfo(folder).absolutePath(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                  QFile::ReadOther | QFile::ExeOther);
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther |
                                          QFile::ExeOther);
        // Group and user both: root's group owns the folders too.
        if (geteuid() == 0) dropped_ = setegid(65534) == 0 && seteuid(65534) == 0;
    }
    ~ReadOnlyFolder() {
        if (dropped_) {
            EXPECT_EQ(seteuid(0), 0);
            EXPECT_EQ(setegid(0), 0);
        }
        QFile::setPermissions(folder_, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

private:
    QString folder_;
    bool dropped_ = false;
};

struct Refusal {
    const char* name;
    // Lays out the bad file in the folder; returns the path the recorder is given.
    std::function<QString(const QString& folder)> setUp;
    const char* said;  // part of the one message
};

QString writeRecord(const QString& folder) {
    const QString path = QDir(folder).filePath(u"练习记录.db"_s);
    Recorder r(path);
    r.beginSession(practice(u"old"_s));
    for (int i = 1; i <= 200; ++i) r.add(row(i % 28 + 1, u'永', i % 5 ? u'永' : u'水', 200));
    EXPECT_TRUE(r.sync());
    return path;
}

TEST_F(RecorderTest, UnusableFilesAreLeftAsTheyAreAndPracticeGoesOnUnrecorded) {
    const Refusal cases[] = {
        {"not SQLite",
         [](const QString& folder) {
             const QString p = QDir(folder).filePath(u"练习记录.db"_s);
             mltest::writeFile(p, "my diary, not a database\n");
             return p;
         },
         "不是墨岚打字通的练习记录"},
        {"another program's SQLite database",
         [](const QString& folder) {
             const QString p = QDir(folder).filePath(u"练习记录.db"_s);
             RecordDb db(p, true);
             db.exec(u"CREATE TABLE notes(text); INSERT INTO notes VALUES('keep me')"_s);
             return p;
         },
         "不是墨岚打字通的练习记录"},
        {"newer schema",
         [](const QString& folder) {
             const QString p = writeRecord(folder);
             RecordDb db(p, true);
             db.exec(u"PRAGMA user_version = 99"_s);
             return p;
         },
         "更新版本"},
        {"read-only folder",
         [](const QString& folder) { return writeRecord(folder); },
         "只读"},
    };
    for (const Refusal& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir d;
        const QString folder = QDir(d.path()).filePath(u"程序"_s);
        QDir().mkpath(folder);
        const QString path = c.setUp(folder);
        const QByteArray before = mltest::readFile(path);
        ASSERT_FALSE(before.isEmpty());
        {
            std::unique_ptr<ReadOnlyFolder> readOnly;
            if (QByteArray(c.name) == "read-only folder")
                readOnly = std::make_unique<ReadOnlyFolder>(folder);
            Recorder r(path);
            ASSERT_TRUE(r.waitReady(5000));
            EXPECT_EQ(r.state(), Recorder::State::Off);
            const QString message = r.takeMessage();
            EXPECT_TRUE(message.contains(QString::fromUtf8(c.said))) << message.toStdString();
            EXPECT_TRUE(message.contains(QDir::toNativeSeparators(path))) << message.toStdString();
            // Rows handed over meanwhile are dropped quietly: no second message, no file.
            r.beginSession(practice(u"new"_s));
            r.add(row(1, u'一', u'二', -1));
            EXPECT_FALSE(r.sync());
            EXPECT_TRUE(r.takeMessage().isEmpty());
        }
        EXPECT_EQ(mltest::readFile(path), before);
        EXPECT_EQ(QDir(folder).entryList({u"*.损坏-*"_s}, QDir::Files), QStringList());
    }
}

TEST_F(RecorderTest, ASecondTutorOnTheSameFolderRecordsNothingAndTheFirstGoesOn) {
    Recorder first(file());
    ASSERT_TRUE(first.waitReady(5000));
    ASSERT_EQ(first.state(), Recorder::State::On);
    Recorder second(file());
    ASSERT_TRUE(second.waitReady(5000));
    EXPECT_EQ(second.state(), Recorder::State::Off);
    EXPECT_TRUE(second.takeMessage().contains(u"另一个运行中的墨岚打字通"_s));
    EXPECT_TRUE(first.takeMessage().isEmpty());

    first.beginSession(practice(u"a"_s));
    first.add(row(1, u'一', u'一', -1));
    EXPECT_TRUE(first.sync());
    RecordDb db(file());
    EXPECT_EQ(db.value("SELECT count(*) FROM judged"), u"1"_s);
}

TEST_F(RecorderTest, AStaleLockOfAProcessThatDiedIsTakenOver) {
    // A tutor killed with -9 leaves its lock file behind, naming a process that no longer runs.
    mltest::writeFile(file() + u".lock"_s, "999999\nmolan-tutor\n" +
                                               QSysInfo::machineHostName().toUtf8() + "\n");
    Recorder r(file());
    ASSERT_TRUE(r.waitReady(5000));
    EXPECT_EQ(r.state(), Recorder::State::On);
}

TEST_F(RecorderTest, ADamagedRecordIsMovedAsideAndANewOneMade) {
    writeRecord(dir.path());
    // Clobber everything after the first page: the header still says SQLite.
    QByteArray bytes = mltest::readFile(file());
    ASSERT_GT(bytes.size(), 8192);
    for (qsizetype i = 4096; i < bytes.size(); ++i) bytes[i] = char(0xA5 ^ (i & 0xFF));
    ASSERT_TRUE(mltest::writeFile(file(), bytes));

    Recorder r(file());
    // Rows handed over while the file is looked through go into the new one.
    r.beginSession(practice(u"new"_s));
    r.add(row(1, u'一', u'一', -1));
    ASSERT_TRUE(r.sync());
    EXPECT_EQ(r.state(), Recorder::State::On);
    const QString message = r.takeMessage();
    EXPECT_TRUE(message.contains(u"已损坏"_s)) << message.toStdString();
    const QStringList aside = QDir(dir.path()).entryList({u"练习记录.损坏-*.db"_s}, QDir::Files);
    ASSERT_EQ(aside.size(), 1);
    EXPECT_TRUE(message.contains(aside[0]));
    EXPECT_EQ(mltest::readFile(dir.filePath(aside[0])), bytes);
    EXPECT_TRUE(r.takeMessage().isEmpty());

    RecordDb db(file());
    EXPECT_EQ(db.rows("SELECT name, judged FROM session"),
              (std::vector<QStringList>{{u"new"_s, u"1"_s}}));
}

TEST_F(RecorderTest, AFolderThatIsNotThereIsSaidOnce) {
    Recorder r(dir.filePath(u"没有这个文件夹/练习记录.db"_s));
    ASSERT_TRUE(r.waitReady(5000));
    EXPECT_EQ(r.state(), Recorder::State::Off);
    EXPECT_FALSE(r.takeMessage().isEmpty());
    EXPECT_TRUE(r.takeMessage().isEmpty());
}

}  // namespace
