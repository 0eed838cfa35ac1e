// What the statistics, the CSV and the mistakes drill read out of a record.
#include "record/reader.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QTemporaryDir>

#include "platform/cp936.h"
#include "record/drill.h"
#include "record/histogram.h"
#include "record/recorder.h"
#include "record/roots.h"
#include "record/schema.h"
#include "record/tally.h"
#include "support/recorddb.h"
#include "support/tempdir.h"
#include "tests/platform/qtprint.h"

namespace {

using namespace Qt::StringLiterals;
using namespace ml::record;

constexpr qint64 kDay = 24ll * 3600 * 1000;
// Noon, so that "days ago" stays on distinct local dates whatever the time zone.
const qint64 kNow = QDateTime(QDate(2025, 3, 20), QTime(12, 0)).toMSecsSinceEpoch();

// One character typed: target, what was typed, its latency (-1 none).
struct Typed {
    char16_t target;
    char16_t typed;
    qint32 ms;
};

class RecordFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        Recorder::Options o;
        o.codeOf = [](QChar c) {
            static const QHash<QChar, QString> codes = {
                {u'中', u"khk"_s}, {u'国', u"lgyi"_s}, {u'人', u"wwww"_s}, {u'工', u"aaaa"_s}};
            return codes.value(c);
        };
        recorder = std::make_unique<Recorder>(path(), o);
    }
    QString path() const { return dir.filePath(u"练习记录.db"_s); }

    // A session `daysAgo` before kNow, lasting as its latencies add up.
    void session(double daysAgo, const std::vector<Typed>& typed) {
        SessionInfo s;
        s.name = u"课文"_s;
        s.startedMs = kNow - qint64(daysAgo * kDay);
        recorder->beginSession(s);
        int pos = 0;
        for (const Typed& t : typed) {
            CharRow r;
            r.line = 1;
            r.pos = ++pos;
            r.target = t.target;
            r.typed = t.typed;
            r.right = t.target == t.typed;
            r.ms = t.ms;
            r.gapMs = t.ms;
            recorder->add(r);
        }
        recorder->endSession();
    }
    std::unique_ptr<RecordReader> reader() {
        EXPECT_TRUE(recorder->sync());
        OpenStatus status;
        QString message;
        auto r = RecordReader::open(path(), &status, &message);
        EXPECT_TRUE(r) << message.toStdString();
        return r;
    }
    static const CharStat* find(const std::vector<CharStat>& chars, QChar c) {
        for (const CharStat& s : chars)
            if (s.ch == c) return &s;
        return nullptr;
    }

    QTemporaryDir dir;
    std::unique_ptr<Recorder> recorder;
};

TEST_F(RecordFixture, PeriodsTotalsAndCharactersOfAllTimeAndTheLastDays) {
    session(40, {{u'中', u'中', -1}, {u'国', u'图', 400}, {u'中', u'中', 200}});
    session(10, {{u'人', u'入', -1}, {u'人', u'人', 1000}, {u'中', u'中', 300}});
    session(1, {{u'国', u'国', -1}, {u'国', u'国', 500}, {u'中', u'种', 700}, {u'工', u'工', 100}});
    Snapshot s;
    QString error;
    ASSERT_TRUE(reader()->snapshot(kNow, &s, &error)) << error.toStdString();

    EXPECT_EQ(s.all.sessions.size(), 3u);
    EXPECT_EQ(s.last30.sessions.size(), 2u);
    EXPECT_EQ(s.last7.sessions.size(), 1u);
    EXPECT_EQ(s.all.totals.judged, 10);
    EXPECT_EQ(s.all.totals.right, 7);
    EXPECT_EQ(s.all.totals.activeMs, 400 + 200 + 1000 + 300 + 500 + 700 + 100);
    EXPECT_EQ(s.all.totals.days, 3);
    EXPECT_EQ(s.last7.totals.judged, 4);

    const CharStat* zhong = find(s.all.chars, u'中');
    ASSERT_TRUE(zhong);
    EXPECT_EQ(zhong->code, u"khk"_s);
    EXPECT_EQ(zhong->judged, 4);
    EXPECT_EQ(zhong->missed, 1);
    EXPECT_EQ(zhong->timed, 3);
    EXPECT_EQ(zhong->medianMs, 300);  // 200 300 700
    const CharStat* guo = find(s.all.chars, u'国');
    ASSERT_TRUE(guo);
    EXPECT_EQ(guo->medianMs, 450);  // 400 and 500: the mean of the middle two
    const CharStat* recent = find(s.last7.chars, u'中');
    ASSERT_TRUE(recent);
    EXPECT_EQ(recent->judged, 1);
    EXPECT_EQ(recent->missed, 1);
    EXPECT_FALSE(find(s.last7.chars, u'人'));
    // The most judged come first.
    EXPECT_EQ(s.all.chars.front().ch, QChar(u'中'));

    // All latencies: 100 200 300 400 500 700 1000 -> 400.
    EXPECT_EQ(s.all.medianMs, 400);
    const auto missed = s.all.mostMissed(20);
    ASSERT_EQ(missed.size(), 3u);
    for (const CharStat& c : missed) EXPECT_EQ(c.missed, 1);
    const auto slow = s.all.slowest(20, 1);
    ASSERT_EQ(slow.size(), 2u);
    EXPECT_EQ(slow[0].ch, QChar(u'人'));  // 1000 ms
    EXPECT_EQ(slow[1].ch, QChar(u'国'));  // 450 ms
}

TEST_F(RecordFixture, KeysAreColouredByTheCharactersWhoseCodeUsesThem) {
    std::vector<CharStat> chars(3);
    chars[0] = {u'人', u"wwww"_s, 10, 5, 0, -1};   // w once, however often it stands in the code
    chars[1] = {u'中', u"khk"_s, 30, 0, 0, -1};
    chars[2] = {u'国', u"LGYI"_s, 10, 10, 0, -1};  // letters in either case
    const auto keys = keyErrorRates(chars);
    EXPECT_EQ(keys['w' - 'a'].judged, 10);
    EXPECT_DOUBLE_EQ(keys['w' - 'a'].rate(), 0.5);
    EXPECT_EQ(keys['k' - 'a'].judged, 30);
    EXPECT_DOUBLE_EQ(keys['k' - 'a'].rate(), 0.0);
    EXPECT_DOUBLE_EQ(keys['g' - 'a'].rate(), 1.0);
    EXPECT_EQ(keys['x' - 'a'].judged, 0);
}

TEST_F(RecordFixture, BestSpeedCountsOnlySessionsLongEnoughToSayAnything) {
    // 20 characters in 20 s of typing: 60 a minute. A sprint of 3 quick ones does not count.
    std::vector<Typed> steady(20, Typed{u'工', u'工', 1000});
    session(2, steady);
    session(1, {{u'工', u'工', 50}, {u'工', u'工', 50}, {u'工', u'工', 50}});
    Snapshot s;
    ASSERT_TRUE(reader()->snapshot(kNow, &s, nullptr));
    EXPECT_DOUBLE_EQ(s.all.totals.bestSpeed, 60.0);
    EXPECT_DOUBLE_EQ(s.all.sessions[1].speed(), 0.0);  // under a second of typing
}

TEST_F(RecordFixture, CsvHasOneRowPerCharacterEverJudged) {
    session(3, {{u'中', u'中', -1}, {u'中', u'种', 300}, {u'"', u'"', 100}, {0, u'x', 100}});
    std::vector<CharStat> table;
    ASSERT_TRUE(reader()->characterTable(&table, nullptr));
    // Typed beyond the line (no target) is not a character judged.
    EXPECT_EQ(toCsv(table),
              "character,code,judged,missed,median_ms\n"
              "\xE4\xB8\xAD,khk,2,1,300\n"
              "\"\"\"\",,1,0,100\n");

    const QString target = dir.filePath(u"统计.csv"_s);
    QString message;
    EXPECT_EQ(exportCsv(path(), target, &message), 2) << message.toStdString();
    EXPECT_EQ(mltest::readFile(target), toCsv(table));
}

TEST_F(RecordFixture, CsvOfNoRecordIsTheHeaderAndOfABadRecordNothing) {
    const QString target = dir.filePath(u"统计.csv"_s);
    QString message;
    EXPECT_EQ(exportCsv(dir.filePath(u"没有.db"_s), target, &message), 0);
    EXPECT_EQ(mltest::readFile(target), "character,code,judged,missed,median_ms\n");

    const QString bad = dir.filePath(u"坏.db"_s);
    mltest::writeFile(bad, "not a record");
    QFile::remove(target);
    EXPECT_EQ(exportCsv(bad, target, &message), -1);
    EXPECT_TRUE(message.contains(u"不是墨岚打字通的练习记录"_s));
    EXPECT_FALSE(QFileInfo::exists(target));
}

TEST_F(RecordFixture, WeakestWeighsMissesAndSlownessAndRecentSessionsMore) {
    std::vector<Typed> easy;
    for (int i = 0; i < 30; ++i) easy.push_back({u'的', u'的', 300});
    session(1, easy);
    // 人 missed long ago, 工 missed as often but lately; 国 right but slow; 中 all right and quick.
    session(60, {{u'人', u'入', 300}, {u'人', u'入', 300}, {u'人', u'人', 300}});
    session(1, {{u'工', u'土', 300}, {u'工', u'土', 300}, {u'工', u'工', 300}});
    session(1, {{u'国', u'国', 600}, {u'国', u'国', 600}, {u'国', u'国', 300}, {u'中', u'中', 200},
                {u'a', u's', 300}});
    std::vector<WeakChar> weak;
    ASSERT_TRUE(reader()->weakest(kNow, 10, &weak, nullptr));
    QString order;
    for (const WeakChar& w : weak) order += w.ch;
    EXPECT_EQ(order, u"工国人"_s);
}

TEST(MistakesDrill, LinesHoldWholeGroupsOfACharacterAndItsWord) {
    const QHash<QChar, QString> words = {{u'错', u"错误"_s}, {u'键', u"键盘"_s},
                                         {u'中', u"国中"_s}, {u'乐', u"快乐"_s},
                                         {u'的', u"目标"_s}};  // a word without the character
    std::vector<QChar> chars;
    for (QChar c : u"错键中乐的"_s) chars.push_back(c);
    for (int i = 0; i < 20; ++i) chars.push_back(QChar(char16_t(u'一' + i)));
    chars.push_back(QChar(u'\u20AC'));  // € is in code page 936; a character outside it is not:
    chars.push_back(QChar(u'\u0E01'));
    const QStringList lines = ml::record::drillLines(chars, [&](QChar c) { return words.value(c); });
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_TRUE(lines[0].startsWith(u"错错误键键盘中国中乐快乐的一"_s)) << lines[0].toStdString();
    QString all;
    for (const QString& l : lines) {
        EXPECT_LE(l.size(), 28);
        EXPECT_FALSE(l.isEmpty());
        all += l;
    }
    EXPECT_EQ(all.size(), 3 * 4 + 1 + 20 + 1);
    EXPECT_FALSE(all.contains(QChar(u'\u0E01')));
    // A group is never split: the line before a break could not take the next group.
    EXPECT_EQ(lines[0].size(), 28);
}

TEST_F(RecordFixture, TheMistakesFileIsAPracticeFileInCodePage936) {
    const QString target = dir.filePath(u"练习文件/错字练习.txt"_s);
    auto nothing = writeMistakesDrill(path(), target, kNow, {});
    EXPECT_EQ(nothing.kind, DrillResult::NothingRecorded);
    EXPECT_TRUE(nothing.message.contains(u"还没有练习记录"_s));
    EXPECT_FALSE(QFileInfo::exists(target));

    std::vector<Typed> typed;
    for (int i = 0; i < 40; ++i) typed.push_back({char16_t(u'一' + i), char16_t(u'丁' + i), 300});
    typed.push_back({u'错', u'措', 300});
    session(1, typed);
    ASSERT_TRUE(recorder->sync());
    auto result = writeMistakesDrill(path(), target, kNow, [](QChar c) {
        return c == u'错' ? u"错误"_s : QString();
    });
    ASSERT_EQ(result.kind, DrillResult::Written) << result.message.toStdString();
    const QByteArray bytes = mltest::readFile(target);
    EXPECT_TRUE(bytes.endsWith("\r\n"));
    QString text;
    ASSERT_TRUE(ml::decodeCp936(bytes, text));
    const QStringList lines = text.split(u"\r\n"_s, Qt::SkipEmptyParts);
    ASSERT_FALSE(lines.isEmpty());
    int chars = 0;
    for (const QString& l : lines) {
        EXPECT_LE(l.size(), 28);
        chars += int(l.size());
    }
    EXPECT_EQ(result.characters, 41);
    EXPECT_EQ(chars, 41 + 2);
    EXPECT_TRUE(text.contains(u"错错误"_s));
    EXPECT_EQ(bytes.count('\n'), lines.size());
}

TEST(RootsInMissed, CountEachRootOnceForEveryMissedCharacterHoldingIt) {
    const Splits splits = Splits::parse(
        "# character\troots\n"
        "\xE5\x93\x81\t\xE5\x8F\xA3 \xE5\x8F\xA3 \xE5\x8F\xA3\tkkk\n"  // 品 口 口 口
        "\xE5\x90\x83\t\xE5\x8F\xA3 \xE4\xB9\x99\tkn\n"                // 吃 口 乙 (roughly)
        "broken line\n");
    EXPECT_EQ(splits.size(), 2);
    std::vector<CharStat> chars(3);
    chars[0] = {u'品', {}, 4, 2, 0, -1};
    chars[1] = {u'吃', {}, 4, 1, 0, -1};
    chars[2] = {u'口', {}, 9, 0, 0, -1};  // never missed
    const auto roots = rootsInMissed(chars, splits, 10);
    ASSERT_EQ(roots.size(), 2u);
    EXPECT_EQ(roots[0].root, u"口"_s);
    EXPECT_EQ(roots[0].misses, 3);
    EXPECT_EQ(roots[0].characters, 2);
    EXPECT_EQ(roots[1].root, u"乙"_s);
    EXPECT_EQ(roots[1].misses, 1);
}

TEST(PassTally, SpeedAccuracyAndMostMissedOfAPass) {
    PassTally t;
    t.add(u'中', true, -1);
    t.add(u'国', false, 500);
    t.add(u'国', false, 500);
    t.add(u'人', false, 20'000);  // a pause: not typing time
    t.add(u'人', true, 1000);
    EXPECT_EQ(t.judged(), 5);
    EXPECT_EQ(t.activeMs(), 2000);
    EXPECT_EQ(t.speed(), 150);
    EXPECT_EQ(t.accuracy(), 40);
    const auto missed = t.mostMissed(5);
    ASSERT_EQ(missed.size(), 2);
    EXPECT_EQ(missed[0], qMakePair(QChar(u'国'), 2));
    EXPECT_EQ(missed[1], qMakePair(QChar(u'人'), 1));
    t.reset();
    EXPECT_EQ(t.judged(), 0);
    EXPECT_EQ(t.accuracy(), 100);
}

}  // namespace

namespace {

TEST(LatencyHistogram, MediansMergesAndTheBlobRoundTrip) {
    using ml::record::Histogram;
    struct Case {
        std::vector<int> ms;
        int median;
    };
    const Case cases[] = {
        {{}, -1},
        {{300}, 300},
        {{400, 200}, 300},           // the mean of the middle two
        {{100, 100, 900}, 100},
        {{100, 200, 300, 301}, 250},
        {{70'000, 80'000}, Histogram::kMaxMs},  // a minute is a pause, however long
    };
    for (const Case& c : cases) {
        Histogram h;
        for (int v : c.ms) h.add(v);
        EXPECT_EQ(h.median(), c.median);
        EXPECT_EQ(Histogram::decode(h.encode()).median(), c.median);
        EXPECT_EQ(Histogram::decode(h.encode()).count(), qint64(c.ms.size()));
    }
    Histogram a, b;
    for (int v : {100, 300, 500}) a.add(v);
    for (int v : {300, 300, 700}) b.add(v);
    a.merge(b);
    EXPECT_EQ(a.count(), 6);
    EXPECT_EQ(a.median(), 300);
    EXPECT_EQ(a.bins(), (std::vector<std::pair<qint32, qint64>>{{100, 1}, {300, 3}, {500, 1}, {700, 1}}));
    // A truncated blob loses its last, partial pair and nothing else.
    const QByteArray blob = a.encode();
    EXPECT_EQ(Histogram::decode(blob.left(blob.size() - 3)).count(), 5);
}

}  // namespace

namespace {

// A record written before the per-character sums existed: taking the later steps sums up what it
// already holds, so the statistics and the CSV see the old characters as the new.
TEST(RecordMigration, AnOlderRecordIsSummedUpWhenMigrated) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(u"练习记录.db"_s);
    {
        mltest::RecordDb db(path, true);
        ASSERT_TRUE(db.exec(QString::fromUtf8(ml::record::migrations()[0].sql)));
        ASSERT_TRUE(db.exec(u"PRAGMA user_version = 1"_s));
        ASSERT_TRUE(db.exec(
            u"INSERT INTO session(id, started_ms, ended_ms, judged, right) VALUES(1, %1, %1, 4, 2);"
            "INSERT INTO judged(session, line, pos, target, typed, right, ms, hint_display, "
            "code_hints, code) VALUES"
            "(1, 1, 1, '中', '中', 1, NULL, 0, 0, 'khk'),"
            "(1, 1, 2, '中', '种', 0, 300, 0, 0, 'khk'),"
            "(1, 1, 3, '国', '国', 1, 500, 0, 0, NULL),"
            "(1, 1, 4, '', 'x', 0, 100, 0, 0, NULL)"_s.arg(kNow)));
    }
    OpenStatus status;
    QString message;
    auto r = RecordReader::open(path, &status, &message);
    ASSERT_TRUE(r) << message.toStdString();
    std::vector<CharStat> table;
    ASSERT_TRUE(r->characterTable(&table, &message));
    EXPECT_EQ(QString::fromUtf8(toCsv(table)),
              u"character,code,judged,missed,median_ms\n中,khk,2,1,300\n国,,1,0,500\n"_s);
    Snapshot s;
    ASSERT_TRUE(r->snapshot(kNow, &s, &message));
    ASSERT_EQ(s.last7.chars.size(), 2u);
    EXPECT_EQ(s.last7.sessions.size(), 1u);
    r.reset();
    mltest::RecordDb db(path);
    EXPECT_EQ(db.value("PRAGMA user_version").toInt(), ml::record::schemaVersion());
    EXPECT_EQ(db.value("SELECT day FROM session").toLongLong(),
              QDateTime::fromMSecsSinceEpoch(kNow).date().toJulianDay());
}

}  // namespace
