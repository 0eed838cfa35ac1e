// The learning record at the size of years of practice: 5,000 sessions and 1,000,000 judged
// characters, written through the recorder as the window writes them. Then what the learner
// waits for: the statistics read in one pass, and the statistics window opened (module, figures,
// charts, first paint), against baselines measured in the same run. Run without arguments.
//
//   bench_record [SESSIONS [CHARACTERS]]      (defaults 5000 1000000)
//   bench_record --sample DIR                 a small, plausible record for screenshots
#include <sqlite3.h>

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <random>
#include <vector>

#include "appfolder.h"
#include "benchplatform.h"
#include "commands/keys.h"
#include "dialogs/host.h"
#include "dialogs/statshost.h"
#include "hints/dictionary.h"
#include "practice/form1.h"
#include "record/reader.h"
#include "record/recorder.h"

namespace {

using namespace Qt::StringLiterals;
using Clock = std::chrono::steady_clock;
using mlbench::appDir;

// CPU time of this thread: on a shared, loaded machine the wall clock also counts the time other
// programs had the processor.
double cpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// Frequent characters first, as practice texts use them.
const QString kChars =
    u"的一是在不了有和人这中大为上个国我以要他时来用们生到作地于出就分对成会可主发年动同工也能下"
    u"过子说产种面而方后多定行学法所民得经十三之进着等部度家电力里如水化高自二理起小物现实加量都两"
    u"体制机当使点从业本去把性好应开它合还因由其些然前外天政四日那社义事平形相全表间样与关各重新线"
    u"内数正心反你明看原又么利比或但质气第向道命此变条只没结解问意建月公无系军很情者最立代想已通并"
    u"提直题党程展五果料象员革位入常文总次品式活设及管特件长求老头基资边流路级少图山统接知较将组见"
    u"计别她手角期根论运农指几九区强放决西被干做必战先回则任取据处队南给色光门即保治北造百规热领七"
    u"海口东导器压志世金增争济阶油思术极交受联什认六共权收证改清己美再采转更单风切打白教速花带安场"_s;

double ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

// Writes `sessions` sessions of practice over the two years before now, `characters` judged in
// all, through the recorder (codes from the real dictionary). The learner gets faster and makes
// fewer mistakes over time; some characters are harder than others.
bool writeRecord(const QString& home, int sessions, qint64 characters, bool quiet) {
    ml::record::Recorder::Options o;
    auto dict = std::make_shared<ml::CodeDictionary>();
    if (!dict->open(QDir(home).filePath(u"CiKu.mdb"_s))) {
        std::fprintf(stderr, "no CiKu.mdb in %s\n", qPrintable(home));
        return false;
    }
    o.codeOf = [dict](QChar c) {
        const auto r = dict->search(QString(c));
        return r && r->outcome == ml::CodeDictionary::Outcome::Hit ? r->email : QString();
    };
    ml::record::Recorder rec(QDir(home).filePath(ml::record::kFileName), o);
    if (!rec.waitReady(10000) || rec.state() != ml::record::Recorder::State::On) {
        std::fprintf(stderr, "record not writable: %s\n", qPrintable(rec.takeMessage()));
        return false;
    }
    std::mt19937 rng(936);
    const int n = int(kChars.size());
    std::vector<double> hardness(static_cast<size_t>(n)), freq(static_cast<size_t>(n));
    std::lognormal_distribution<double> hard(0, 0.45);
    for (int i = 0; i < n; ++i) {
        hardness[size_t(i)] = hard(rng);
        freq[size_t(i)] = 1.0 / (i + 8);  // Zipf-like
    }
    std::discrete_distribution<int> pick(freq.begin(), freq.end());
    std::uniform_real_distribution<double> unit(0, 1);
    std::lognormal_distribution<double> jitter(0, 0.35);
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    const qint64 span = 730ll * 24 * 3600 * 1000;
    const qint64 perSession = characters / sessions;
    QElapsedTimer t;
    t.start();
    for (int s = 0; s < sessions; ++s) {
        const double progress = double(s) / sessions;  // 0 … 1 over the two years
        ml::record::SessionInfo info;
        info.path = u"/home/learner/练习文件/千字文.txt"_s;
        info.name = u"千字文"_s;
        info.startedMs = now - span + qint64(progress * span) + qint64(unit(rng) * 3600 * 1000);
        rec.beginSession(info);
        const qint64 count = s + 1 == sessions ? characters - perSession * (sessions - 1) : perSession;
        for (qint64 k = 0; k < count; ++k) {
            const int i = pick(rng);
            const double h = hardness[size_t(i)];
            const bool wrong = unit(rng) < std::min(0.5, 0.09 * h * (1.2 - progress));
            ml::record::CharRow r;
            r.line = int(k / 28) + 1;
            r.pos = int(k % 28) + 1;
            r.target = kChars.at(i).unicode();
            r.typed = wrong ? kChars.at((i + 1) % n).unicode() : r.target;
            r.right = !wrong;
            const double typical = 1500 - 1000 * progress;  // 40 → 120 characters a minute
            r.ms = r.pos == 1 ? -1 : int(typical * h * jitter(rng));
            r.gapMs = r.ms < 0 ? 800 : r.ms;
            r.hintDisplay = progress < 0.2;
            rec.add(r);
            if (r.pos == 28) rec.commit();
        }
        rec.endSession();
    }
    if (!rec.sync(600'000)) {
        std::fprintf(stderr, "record not written: %s\n", qPrintable(rec.takeMessage()));
        return false;
    }
    if (!quiet)
        std::printf("wrote %d sessions, %lld judged characters in %.1f s (%.2f µs a character)\n",
                    sessions, static_cast<long long>(characters), t.elapsed() / 1000.0,
                    t.nsecsElapsed() / 1000.0 / double(characters));
    return true;
}

qint64 fileSize(const QString& path) { return QFileInfo(path).size(); }

int sample(const QString& home) {
    QDir().mkpath(home);
    QFile::copy(QDir(appDir()).filePath(u"CiKu.mdb"_s), QDir(home).filePath(u"CiKu.mdb"_s));
    return writeRecord(home, 90, 90 * 280, false) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args[1] == u"--sample"_s) return sample(args[2]);
    const int sessions = args.size() > 1 ? args[1].toInt() : 5000;
    const qint64 characters = args.size() > 2 ? args[2].toLongLong() : 1'000'000;
    if (sessions <= 0 || characters < sessions) {
        std::fprintf(stderr, "usage: bench_record [SESSIONS [CHARACTERS]] | --sample DIR\n");
        return 2;
    }

    QTemporaryDir dir;
    const QString home = dir.path();
    for (const QString& f : {u"CiKu.mdb"_s}) {
        if (!QFile::copy(QDir(appDir()).filePath(f), QDir(home).filePath(f))) {
            std::fprintf(stderr, "no %s in %s\n", qPrintable(f), qPrintable(appDir()));
            return 1;
        }
    }
    for (const QString& sub : {u"图片"_s, u"拆字图"_s}) {
        // Pictures are read from the build's program folder, not copied: there are thousands.
        QFile::link(QDir(appDir()).filePath(sub), QDir(home).filePath(sub));
    }
    if (!writeRecord(home, sessions, characters, false)) return 1;
    const QString db = QDir(home).filePath(ml::record::kFileName);
    {
        // Fold the journal into the file, as the next start of the tutor would.
        sqlite3* h = nullptr;
        sqlite3_open(db.toUtf8().constData(), &h);
        sqlite3_exec(h, "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr);
        sqlite3_close(h);
    }
    std::printf("record: %.1f MB (%.1f bytes a judged character)\n", fileSize(db) / 1e6,
                double(fileSize(db)) / double(characters));

    constexpr int kRuns = 7;
    // Baseline 1: the least any reading of the record costs, one scan of its characters.
    std::vector<double> scan, snapshot, opened, reopened, bare;
    std::vector<double> scanCpu, snapshotCpu, reopenedCpu, bareCpu;
    double openedCpu = 0;
    for (int i = 0; i < kRuns; ++i) {
        sqlite3* h = nullptr;
        sqlite3_open_v2(db.toUtf8().constData(), &h, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(h, "SELECT session, target, right, ms FROM judged", -1, &st, nullptr);
        const auto t0 = Clock::now();
        const double c0 = cpuMs();
        qint64 sum = 0;
        while (sqlite3_step(st) == SQLITE_ROW) sum += sqlite3_column_int64(st, 2);
        scan.push_back(ms(Clock::now() - t0));
        scanCpu.push_back(cpuMs() - c0);
        sqlite3_finalize(st);
        sqlite3_close(h);
        if (sum < 0) return 1;

        ml::record::OpenStatus status;
        QString message;
        const auto t1 = Clock::now();
        const double c1 = cpuMs();
        auto reader = ml::record::RecordReader::open(db, &status, &message);
        ml::record::Snapshot s;
        if (!reader || !reader->snapshot(QDateTime::currentMSecsSinceEpoch(), &s, &message)) {
            std::fprintf(stderr, "cannot read the record: %s\n", qPrintable(message));
            return 1;
        }
        snapshot.push_back(ms(Clock::now() - t1));
        snapshotCpu.push_back(cpuMs() - c1);
    }

    // The window: the module loaded on the first opening, the figures read, the charts built and
    // the first paint done; then opened again with the module in memory. Baseline 2: an empty
    // window of the same size shown and painted.
    mlbench::QuietPlatform platform;
    ml::setStatsModuleFolders({appDir()});
    ml::Form1 form(platform, home);
    ml::installCommands(form);
    ml::DialogHost& host = ml::installDialogs(form);
    for (int i = 0; i < kRuns; ++i) {
        const auto t0 = Clock::now();
        const double c0 = cpuMs();
        host.showStatistics();
        QWidget* w = host.statistics();
        if (!w) {
            std::fprintf(stderr, "the statistics window did not open: %s\n",
                         qPrintable(platform.lastMessage));
            return 1;
        }
        w->repaint();
        QCoreApplication::processEvents();
        (i == 0 ? opened : reopened).push_back(ms(Clock::now() - t0));
        if (i == 0) {
            openedCpu = cpuMs() - c0;
        } else {
            reopenedCpu.push_back(cpuMs() - c0);
        }
        w->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        const auto t1 = Clock::now();
        const double c1 = cpuMs();
        {
            QWidget empty;
            empty.resize(1180, 800);
            empty.show();
            empty.repaint();
            QCoreApplication::processEvents();
        }
        bare.push_back(ms(Clock::now() - t1));
        bareCpu.push_back(cpuMs() - c1);
    }
    const double scanMs = median(scan), snapMs = median(snapshot), bareMs = median(bare);
    const double scanCpuMs = median(scanCpu);
    std::printf("\nmedians of %d runs, wall clock and (CPU time of the window's thread):\n", kRuns);
    std::printf("  scan of the judged characters (baseline)   %8.1f ms  (%7.1f ms)\n", scanMs, scanCpuMs);
    std::printf("  statistics of all time, 30 and 7 days      %8.1f ms  (%7.1f ms)  = %.2f × scan\n",
                snapMs, median(snapshotCpu), median(snapshotCpu) / scanCpuMs);
    std::printf("  empty window shown (baseline)              %8.1f ms  (%7.1f ms)\n", bareMs,
                median(bareCpu));
    std::printf("  statistics window, first opening           %8.1f ms  (%7.1f ms)  module and Qt Charts loaded\n",
                opened[0], openedCpu);
    std::printf("  statistics window, opened again            %8.1f ms  (%7.1f ms)  = %.2f × scan\n",
                median(reopened), median(reopenedCpu), median(reopenedCpu) / scanCpuMs);
    return 0;
}
