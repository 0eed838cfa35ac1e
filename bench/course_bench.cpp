// What the code drills cost: one judged drill key (recorded) against one judged keystroke of text
// practice, and choosing the next round of a lesson of 3,500 items over a record of 1,000,000
// drill keys, against one pass over those keys. Run without arguments; the ratios and the round
// choice's time are printed at the end.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <random>

#include "appfolder.h"
#include "benchplatform.h"
#include "commands/keys.h"
#include "course/coach.h"
#include "course/recordstore.h"
#include "platform/cp936.h"
#include "practice/drillmode.h"
#include "practice/form1.h"
#include "ratios.h"
#include "record/record.h"
#include "record/recorder.h"

namespace {

using namespace Qt::StringLiterals;
using mlbench::appDir;
using mlbench::copyTree;
using mlbench::QuietPlatform;
namespace course = ml::course;

constexpr int kRecordKeys = 1'000'000;
const QString kLesson = u"chars-3500"_s;

// Two program folders: one with an empty record for typing, one whose record holds a million
// drill keys and the figures of every item of the lesson.
struct Folders {
    QTemporaryDir typing, big;
    QString practiceFile;
    QString error;

    Folders() {
        const QString app = appDir();
        for (const QTemporaryDir* d : {&typing, &big})
            for (const char* sub : {"声音", "图片", "课程"})
                copyTree(QDir(app).filePath(QString::fromUtf8(sub)),
                         QDir(d->path()).filePath(QString::fromUtf8(sub)));
        if (!QFile::copy(QDir(app).filePath(u"CiKu.mdb"_s), QDir(typing.path()).filePath(u"CiKu.mdb"_s)) ||
            !QFileInfo(QDir(typing.path()).filePath(u"课程/chars-3500.tsv"_s)).isFile()) {
            error = u"no CiKu.mdb or lessons in "_s + app;
            return;
        }
        writePractice() && writeRecord();
    }

    bool writePractice() {
        // Lines of common characters of the lesson, as the text benchmark types.
        course::Lesson l;
        l.id = kLesson;
        QStringList problems;
        if (!course::loadItems(l, QDir(typing.path()).filePath(u"课程"_s), {}, &problems)) {
            error = problems.join(u' ');
            return false;
        }
        std::mt19937 rng(936);
        std::uniform_int_distribution<qsizetype> pick(0, 499);
        QString text;
        for (int line = 0; line < 20000; ++line) {
            for (int k = 0; k < 28; ++k) text += l.items[pick(rng)].text;
            text += u"\r\n"_s;
        }
        QByteArray bytes;
        if (!ml::encodeCp936(text, bytes)) {
            error = u"practice text not in code page 936"_s;
            return false;
        }
        QDir(typing.path()).mkpath(u"练习文件"_s);
        practiceFile = QDir(typing.path()).filePath(u"练习文件/bench.txt"_s);
        QFile f(practiceFile);
        return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
    }

    QString bigRecord() const { return QDir(big.path()).filePath(ml::record::kFileName); }

    bool writeRecord() {
        {
            // The recorder makes the file with the record's schema.
            ml::record::Recorder rec(bigRecord());
            ml::record::SessionInfo s;
            s.kind = ml::record::SessionKind::Drill;
            s.lesson = kLesson;
            rec.beginSession(s);
            rec.addKey({kLesson, u"的"_s, 'r', 'r', true, 100, 100});
            if (!rec.sync(10000)) {
                error = u"the record could not be written"_s;
                return false;
            }
        }
        course::Lesson l;
        l.id = kLesson;
        QStringList problems;
        course::loadItems(l, QDir(big.path()).filePath(u"课程"_s), {}, &problems);
        sqlite3* db = nullptr;
        sqlite3_open(bigRecord().toUtf8().constData(), &db);
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_stmt* ins = nullptr;
        sqlite3_prepare_v2(db,
                           "INSERT INTO keystroke(session, lesson, item, expected, typed, right, ms)"
                           " VALUES(1, ?1, ?2, ?3, ?4, ?5, ?6)",
                           -1, &ins, nullptr);
        std::mt19937 rng(86);
        std::uniform_int_distribution<int> item(0, int(l.items.size()) - 1), ms(80, 2500);
        const QByteArray lesson = kLesson.toUtf8();
        for (int i = 0; i < kRecordKeys; ++i) {
            const course::Item& it = l.items[item(rng)];
            const QByteArray t = it.text.toUtf8();
            const char c = char(it.code[i % it.code.size()].unicode());
            const bool right = ms(rng) > 300;
            const char typed = right ? c : 'x';
            sqlite3_bind_text(ins, 1, lesson.constData(), int(lesson.size()), SQLITE_TRANSIENT);
            sqlite3_bind_text(ins, 2, t.constData(), int(t.size()), SQLITE_TRANSIENT);
            sqlite3_bind_text(ins, 3, &c, 1, SQLITE_TRANSIENT);
            sqlite3_bind_text(ins, 4, &typed, 1, SQLITE_TRANSIENT);
            sqlite3_bind_int(ins, 5, right);
            sqlite3_bind_int(ins, 6, ms(rng));
            sqlite3_step(ins);
            sqlite3_reset(ins);
        }
        sqlite3_finalize(ins);
        // Every item of the lesson practised, as after a million keys.
        sqlite3_prepare_v2(db,
                           "INSERT INTO drill_item(item, lesson, seen, missed, miss_rate, ms_per_key,"
                           " last_s, box, due_s) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)",
                           -1, &ins, nullptr);
        const qint64 now = QDateTime::currentSecsSinceEpoch();
        for (const course::Item& it : l.items) {
            const QByteArray key = it.key().toUtf8();
            sqlite3_bind_text(ins, 1, key.constData(), int(key.size()), SQLITE_TRANSIENT);
            sqlite3_bind_text(ins, 2, lesson.constData(), int(lesson.size()), SQLITE_TRANSIENT);
            sqlite3_bind_int(ins, 3, 50 + item(rng) % 50);
            sqlite3_bind_int(ins, 4, item(rng) % 10);
            sqlite3_bind_double(ins, 5, (item(rng) % 100) / 100.0);
            sqlite3_bind_double(ins, 6, ms(rng));
            sqlite3_bind_int64(ins, 7, now - item(rng));
            sqlite3_bind_int(ins, 8, item(rng) % 6);
            sqlite3_bind_int64(ins, 9, now + 3600 * (item(rng) % 200 - 100));
            sqlite3_step(ins);
            sqlite3_reset(ins);
        }
        sqlite3_finalize(ins);
        bool ok = sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
        // As a record looks once its writer has checkpointed: the keys in the file, not the log.
        ok = ok && sqlite3_exec(db, "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr) ==
                       SQLITE_OK;
        sqlite3_close(db);
        if (!ok) error = u"the big record could not be written"_s;
        return ok;
    }
};

Folders* folders = nullptr;

// ---- One judged key ----

// Baseline: a right character typed into the practice window, hints off, the 28th of a line
// ending the round inside the timing.
void BM_TextKeystroke(benchmark::State& state) {
    QuietPlatform p;
    ml::Form1 form(p, folders->typing.path());
    ml::installCommands(form);
    form.CD1_FileName = folders->practiceFile;
    form.Image3_Click();
    if (!form.readerOpen() || form.Temp.isEmpty()) {
        state.SkipWithError("the practice file did not open");
        return;
    }
    const int sounds = p.sounds;  // the opening's
    for (auto _ : state) form.txtInput->insert(QString(form.Temp.at(form.Jishu)));
    if (p.sounds != sounds) state.SkipWithError("a keystroke was judged wrong");
}

// A right key of the lesson of 3,500 characters, judged, shown and recorded; the end of a round
// (its figures kept, the next round chosen and shown) stays in the timing, as a line's end does
// in the baseline.
void BM_DrillKeystroke(benchmark::State& state) {
    QuietPlatform p;
    ml::Form1 form(p, folders->typing.path());
    ml::installCommands(form);
    if (!form.enterDrill(kLesson)) {
        state.SkipWithError(p.lastMessage.toStdString().c_str());
        return;
    }
    const int messages = p.messages;
    qint64 rounds = 0;
    for (auto _ : state) {
        ml::DrillMode& d = *form.drill();
        if (d.report) {
            form.drillEnter();
            ++rounds;
        }
        form.drillKey(d.round->expected());
    }
    if (p.sounds != 0 || p.messages != messages) state.SkipWithError("a key was judged wrong");
    state.counters["rounds"] = static_cast<double>(rounds);
}

// ---- The next round ----

course::ItemChecks noChecks() { return {}; }

// Baseline: one pass over the million keys of the record, as a chooser that read the keys
// themselves would need at least.
void BM_KeystrokeScan(benchmark::State& state) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(folders->bigRecord().toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* q = nullptr;
    sqlite3_prepare_v2(db, "SELECT count(*), sum(right), sum(ms) FROM keystroke", -1, &q, nullptr);
    qint64 keys = 0;
    for (auto _ : state) {
        sqlite3_step(q);
        keys = sqlite3_column_int64(q, 0);
        sqlite3_reset(q);
    }
    sqlite3_finalize(q);
    sqlite3_close(db);
    if (keys < kRecordKeys) state.SkipWithError("the record holds too few keys");
}

// The first round of a session: the lesson file read, every item's figures read from the record,
// the round drawn.
void BM_ChooseRoundCold(benchmark::State& state) {
    const QString home = folders->big.path();
    ml::record::Recorder rec(folders->bigRecord());
    qint64 chosen = 0;
    for (auto _ : state) {
        course::RecordStore store(rec, folders->bigRecord());
        course::Coach coach(QDir(home).filePath(u"课程"_s), store, noChecks());
        auto round = coach.nextRound(kLesson, 0, QDateTime::currentSecsSinceEpoch(), chosen);
        if (!round || round->size() != 20 || coach.stats().size() < 3500) {
            state.SkipWithError("no round of 20 over the lesson's figures");
            break;
        }
        chosen += round->size();
    }
}

// The two parts of the first round that read files: the lesson's items, every item's figures.
void BM_LoadLesson(benchmark::State& state) {
    const QString dir = QDir(folders->big.path()).filePath(u"课程"_s);
    for (auto _ : state) {
        course::Lesson l;
        l.id = kLesson;
        if (!course::loadItems(l, dir, {}, nullptr) || l.items.size() != 3500) {
            state.SkipWithError("the lesson did not load");
            break;
        }
    }
}

void BM_ReadItemStats(benchmark::State& state) {
    ml::record::Recorder rec(folders->bigRecord());
    for (auto _ : state) {
        course::RecordStore store(rec, folders->bigRecord());
        if (store.itemStats().size() < 3500) {
            state.SkipWithError("the figures did not read");
            break;
        }
    }
}

// A later round: the figures already in memory.
void BM_ChooseRoundWarm(benchmark::State& state) {
    ml::record::Recorder rec(folders->bigRecord());
    course::RecordStore store(rec, folders->bigRecord());
    course::Coach coach(QDir(folders->big.path()).filePath(u"课程"_s), store, noChecks());
    quint64 seed = 0;
    for (auto _ : state) {
        auto round = coach.nextRound(kLesson, 0, QDateTime::currentSecsSinceEpoch(), ++seed);
        if (!round || round->size() != 20) {
            state.SkipWithError("no round of 20");
            break;
        }
    }
}

BENCHMARK(BM_TextKeystroke);
BENCHMARK(BM_DrillKeystroke);
BENCHMARK(BM_KeystrokeScan)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ChooseRoundCold)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ChooseRoundWarm)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadLesson)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadItemStats)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

    std::printf("Laying out the program folders (a record of %d keys) ...\n", kRecordKeys);
    Folders f;
    if (!f.error.isEmpty()) {
        std::fprintf(stderr, "cannot lay out the program folders: %s\n", qPrintable(f.error));
        return 1;
    }
    folders = &f;

    mlbench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    std::printf("\nRatios (median real time per iteration):\n");
    reporter.printRatio("drill key/text keystroke", "BM_DrillKeystroke", "BM_TextKeystroke");
    reporter.printRatio("next round cold/key scan", "BM_ChooseRoundCold", "BM_KeystrokeScan");
    reporter.printRatio("next round warm/key scan", "BM_ChooseRoundWarm", "BM_KeystrokeScan");
    for (const char* name : {"BM_ChooseRoundCold", "BM_ChooseRoundWarm"}) {
        const double ns = reporter.nanos(name);
        if (ns > 0) std::printf("%-36s = %8.2f ms (target: under 50 ms)\n", name, ns / 1e6);
    }
    return 0;
}
