// What one keystroke costs in the main window, against a bare line edit, and what the hint display
// and a dictionary lookup cost on top. Run without arguments; the ratios are printed at the end.
#include <benchmark/benchmark.h>

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLineEdit>
#include <QPixmapCache>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>
#include <random>
#include <vector>

#include "appfolder.h"
#include "benchplatform.h"
#include "commands/keys.h"
#include "commands/vkeys.h"
#include "gif.h"
#include "hints/dictionary.h"
#include "platform/cp936.h"
#include "practice/form1.h"
#include "ratios.h"

namespace {

using namespace Qt::StringLiterals;
using mlbench::appDir;
using mlbench::copyTree;
using mlbench::QuietPlatform;

// Frequent characters, the kind practice texts are made of.
const QString kCommon =
    u"的一是在不了有和人这中大为上个国我以要他时来用们生到作地于出就分对成会可主发年动同工也能下"
    u"过子说产种面而方后多定行学法所民得经十三之进着等部度家电力里如水化高自二理起小物现实加量都两"
    u"体制机当使点从业本去把性好应开它合还因由其些然前外天政四日那社义事平形相全表间样与关各重新线"
    u"内数正心反你明看原又么利比或但质气第向道命此变条只没结解问意建月公无系军很情者最立代想已通并"
    u"提直题党程展五果料象员革位入常文总次品式活设及管特件长求老头基资边流路级少图山统接知较将组见"
    u"计别她手角期根论运农指几九区强放决西被干做必战先回则任取据处队南给色光门即保治北造百规热领七"
    u"海口东导器压志世金增争济阶油思术极交受联什认六共权收证改清己美再采转更单风切打白教速花带安场"
    u"身车例真务具万每目至达走积示议声报斗完类八离华名确才科张信马节话米整空元况今集温传土许步群广"
    u"石记需段研界拉林律叫且究观越织装影算低持音众书布复容儿须际商非验连断深难近矿千周委素技备半办"
    u"青省列习响约支般史感劳便团往酸历市克何除消构府称太准精值号率族维划选标写存候毛亲快效斯院查江"
    u"型眼王按格养易置派层片始却专状育厂京识适属圆包火住调满县局照参红细引听该铁价严"_s;

// Position 1 starts a word ("中国") / a character that starts no word with the next one.
const QString kWordLine = u"中国人民共和国成立以来我们的生活发生了很大的变化和进步。"_s;
const QString kCharLine = u"的了是在不有和人这中大为上个国我以要他时来用们生到作地"_s;

// A program folder in a temporary directory: the real sounds, art and dictionary, a decomposition
// picture for every character the benchmarks type, and a long practice file of 28-character lines.
struct ProgramFolder {
    QTemporaryDir dir;
    QString home;
    QString practiceFile;
    QString error;

    ProgramFolder() {
        home = dir.path();
        const QString app = appDir();
        if (!copyTree(QDir(app).filePath(u"声音"_s), QDir(home).filePath(u"声音"_s))) {
            error = u"no sounds in "_s + app;
            return;
        }
        copyTree(QDir(app).filePath(u"图片"_s), QDir(home).filePath(u"图片"_s));
        if (!QFile::copy(QDir(app).filePath(u"CiKu.mdb"_s), QDir(home).filePath(u"CiKu.mdb"_s))) {
            error = u"no CiKu.mdb in "_s + app;
            return;
        }
        if (!writePictures() || !writePractice()) return;
    }

    bool writePictures() {
        const QString folder = QDir(home).filePath(u"拆字图"_s);
        QDir().mkpath(folder);
        const QString chars = kCommon + kWordLine + kCharLine;
        // The size of the hint pictures, with a frame and a stroke that differs per character.
        auto picture = [](QChar c) {
            const int seed = c.unicode() % 41;
            return [seed](int x, int y) {
                return x < 2 || y < 2 || x > 216 || y > 51 || (x + seed) % 43 == y ||
                       (x > 60 + seed && x < 90 + seed && y > 20 && y < 30);
            };
        };
        for (QChar c : chars) {
            const QString path = QDir(folder).filePath(QString(c) + u".gif"_s);
            if (QFileInfo::exists(path)) continue;
            const QByteArray gif = mlbench::twoColourGif(219, 54, picture(c));
            QFile f(path);
            if (!f.open(QIODevice::WriteOnly) || f.write(gif) != gif.size()) {
                error = u"cannot write "_s + path;
                return false;
            }
        }
        // Every pixel must read back, or the benchmarks would time Qt's error path.
        const QImage check(QDir(folder).filePath(u"中.gif"_s));
        bool same = check.size() == QSize(219, 54);
        const auto ink = picture(u'中');
        for (int y = 0; same && y < 54; ++y)
            for (int x = 0; same && x < 219; ++x)
                same = (check.pixelColor(x, y) == QColor(Qt::black)) == ink(x, y);
        if (!same) {
            error = u"the generated GIF does not read back"_s;
            return false;
        }
        return true;
    }

    bool writePractice() {
        std::mt19937 rng(936);
        std::uniform_int_distribution<qsizetype> pick(0, kCommon.size() - 1);
        QString text;
        for (int line = 0; line < 20000; ++line) {
            for (int k = 0; k < 28; ++k) text += kCommon.at(pick(rng));
            text += u"\r\n"_s;
        }
        QByteArray bytes;
        if (!ml::encodeCp936(text, bytes)) {
            error = u"practice text not in code page 936"_s;
            return false;
        }
        QDir().mkpath(QDir(home).filePath(u"练习文件"_s));
        practiceFile = QDir(home).filePath(u"练习文件/bench.txt"_s);
        QFile f(practiceFile);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) {
            error = u"cannot write "_s + practiceFile;
            return false;
        }
        return true;
    }
};

ProgramFolder* folder = nullptr;

// ---- (a) the baseline: a bare line edit ----

// A pause of the learner's: the event loop turns until nothing is left to do (bounded, in case
// something keeps posting).
void idleTime() {
    // A zero timer may wait a turn behind other sources, so a single quiet turn is not the end.
    QAbstractEventDispatcher* d = QAbstractEventDispatcher::instance();
    for (int turn = 0, quiet = 0; turn < 256 && quiet < 3; ++turn)
        quiet = d->processEvents(QEventLoop::AllEvents) ? 0 : quiet + 1;
}


// `idle` gives the event loop a turn after each keystroke with the clock stopped, as the hinted
// keystrokes below do, so that the cost of stopping the clock is in the baseline too.
void lineEditKeystrokes(benchmark::State& state, bool painted, bool idle = false) {
    QLineEdit edit;
    edit.setMaxLength(28);
    edit.resize(849, 41);
    QObject::connect(&edit, &QLineEdit::textChanged, &edit, [] {});
    if (painted) {
        edit.show();
        QCoreApplication::processEvents();
    }
    const QString line = kCommon.left(28);
    int k = 0;
    for (auto _ : state) {
        edit.insert(QString(line.at(k)));
        // The window clears its box inside the 28th keystroke: time the reset here too.
        if (++k == 28) {
            edit.clear();
            k = 0;
        }
        if (painted) QCoreApplication::processEvents();
        if (idle) {
            state.PauseTiming();
            idleTime();
            state.ResumeTiming();
        }
    }
}

void BM_KeystrokeLineEdit(benchmark::State& state) { lineEditKeystrokes(state, false); }
void BM_KeystrokeLineEditIdle(benchmark::State& state) { lineEditKeystrokes(state, false, true); }
void BM_KeystrokeLineEditPainted(benchmark::State& state) { lineEditKeystrokes(state, true); }

// ---- (b) the main window with a practice file open ----

// Opens the practice file without a dialog; false (with the reason in `state`) when it fails.
bool openPractice(benchmark::State& state, ml::Form1& form, const QuietPlatform& p) {
    form.CD1_FileName = folder->practiceFile;
    form.Image3_Click();
    if (!form.readerOpen() || form.Temp.size() != 28 || p.messages != 0) {
        state.SkipWithError(("practice file did not open: " + p.lastMessage.toStdString()).c_str());
        return false;
    }
    return true;
}

// How the decomposition pictures stand when a hinted keystroke comes.
enum class Pictures {
    Unmanaged,   // whatever the cache holds; no idle time between keystrokes
    Prefetched,  // the event loop has a turn between keystrokes (not timed), as a learner's
                 // pauses give it: the window decodes the coming pictures then
    Cold,        // the cache is emptied before every keystroke (not timed)
};

// One right character per iteration. The 28th character of a line ends the round: the progress
// record is written, the next line read and the cells reset. That is part of typing a line, so it
// stays in the timing (1 keystroke in 28), as the line edit's reset does in the baseline.
// `recorded`: the learning record keeps every judged character (as in use); off, practice goes
// on unrecorded, for the cost of the record itself.
void formKeystrokes(benchmark::State& state, bool hints, bool painted,
                    Pictures pictures = Pictures::Unmanaged, bool recorded = true) {
    QuietPlatform p;
    ml::Form1 form(p, folder->home);
    ml::installCommands(form);
    if (!recorded) form.stopRecording();
    if (painted) {
        form.show();
        QCoreApplication::processEvents();
    }
    if (!openPractice(state, form, p)) return;
    if (hints) {
        // F2 keeps the hints on, F4 adds the codes: the most a learner can ask for.
        qint16 key = ml::vk::F2;
        form.txtInput_KeyDown(key, 0);
        key = ml::vk::F4;
        form.txtInput_KeyDown(key, 0);
        if (form.Showhelp != u"T"_s || form.BmHelp != 1) {
            state.SkipWithError("hints did not switch on");
            return;
        }
    }
    const int soundsBefore = p.sounds;
    qint64 lines = 0, fallbacks = 0;
    for (auto _ : state) {
        if (form.Jishu >= form.Temp.size()) {
            state.SkipWithError("the practice line ran out");
            break;
        }
        const bool last = form.Jishu == 27;
        form.txtInput->insert(QString(form.Temp.at(form.Jishu)));
        if (last) ++lines;
        if (hints && !form.lbshowno->isHidden()) ++fallbacks;
        if (painted) QCoreApplication::processEvents();
        if (pictures != Pictures::Unmanaged) {
            state.PauseTiming();
            if (pictures == Pictures::Prefetched)
                idleTime();
            else
                QPixmapCache::clear();
            state.ResumeTiming();
        }
    }
    if (p.sounds != soundsBefore) state.SkipWithError("a keystroke was judged wrong");
    if (fallbacks != 0) state.SkipWithError("a hint fell back to text: a picture did not load");
    state.counters["lines"] = static_cast<double>(lines);
}

void BM_KeystrokeForm1(benchmark::State& state) { formKeystrokes(state, false, false); }
void BM_KeystrokeForm1Hints(benchmark::State& state) { formKeystrokes(state, true, false); }
void BM_KeystrokeForm1HintsPrefetched(benchmark::State& state) {
    formKeystrokes(state, true, false, Pictures::Prefetched);
}
void BM_KeystrokeForm1HintsCold(benchmark::State& state) {
    formKeystrokes(state, true, false, Pictures::Cold);
}
void BM_KeystrokeForm1Painted(benchmark::State& state) { formKeystrokes(state, false, true); }
void BM_KeystrokeForm1Unrecorded(benchmark::State& state) {
    formKeystrokes(state, false, false, Pictures::Unmanaged, false);
}
void BM_KeystrokeForm1PaintedUnrecorded(benchmark::State& state) {
    formKeystrokes(state, false, true, Pictures::Unmanaged, false);
}

// ---- (c), (d) the hint display for the next character ----

// `cold` empties Qt's pixmap cache before each call, so that the pictures are decoded from disk
// as for a character not seen recently; otherwise the cache serves them after the first call.
void helpme(benchmark::State& state, const QString& line, bool word, bool cold) {
    QuietPlatform p;
    ml::Form1 form(p, folder->home);
    ml::installCommands(form);
    form.Showhelp = u"T"_s;
    form.BmHelp = 1;
    form.Temp = line;
    form.Jishu = 0;
    form.Helpme();
    if (p.messages != 0 || !form.lbshowno->isHidden()) {
        state.SkipWithError("the hint fell back to text: dictionary or pictures missing");
        return;
    }
    if ((form.Finded.size() == 2) != word) {
        state.SkipWithError(word ? "position 1 starts no word" : "position 1 starts a word");
        return;
    }
    for (auto _ : state) {
        if (cold) {
            state.PauseTiming();
            QPixmapCache::clear();
            state.ResumeTiming();
        }
        form.Helpme();
    }
}

void BM_HelpmeChar(benchmark::State& state) { helpme(state, kCharLine, false, false); }
void BM_HelpmeWord(benchmark::State& state) { helpme(state, kWordLine, true, false); }
void BM_HelpmeCharCold(benchmark::State& state) { helpme(state, kCharLine, false, true); }
void BM_HelpmeWordCold(benchmark::State& state) { helpme(state, kWordLine, true, true); }

// ---- (e) the dictionary lookup alone ----

// The queries Helpme makes along a practice text: each character, and each character with the
// next one (a word or not).
void BM_DictionarySearch(benchmark::State& state) {
    ml::CodeDictionary dict;
    QString why;
    if (!dict.open(QDir(folder->home).filePath(u"CiKu.mdb"_s), &why)) {
        state.SkipWithError(why.toStdString().c_str());
        return;
    }
    const QString text = kWordLine + kCharLine + kCommon.left(120);
    std::vector<QString> queries;
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        queries.push_back(text.mid(i, 1));
        queries.push_back(text.mid(i, 2));
    }
    qint64 hits = 0, lookups = 0;
    size_t i = 0;
    for (auto _ : state) {
        auto r = dict.search(queries[i]);
        if (r && r->outcome == ml::CodeDictionary::Outcome::Hit) ++hits;
        ++lookups;
        if (++i == queries.size()) i = 0;
    }
    state.counters["hit_rate"] = lookups ? static_cast<double>(hits) / lookups : 0.0;
}

BENCHMARK(BM_KeystrokeLineEdit);
BENCHMARK(BM_KeystrokeLineEditIdle);
BENCHMARK(BM_KeystrokeForm1);
BENCHMARK(BM_KeystrokeForm1Hints);
BENCHMARK(BM_KeystrokeForm1HintsPrefetched);
BENCHMARK(BM_KeystrokeForm1HintsCold);
BENCHMARK(BM_KeystrokeLineEditPainted)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_KeystrokeForm1Painted)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_KeystrokeForm1Unrecorded);
BENCHMARK(BM_KeystrokeForm1PaintedUnrecorded)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HelpmeChar)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HelpmeWord)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HelpmeCharCold)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HelpmeWordCold)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DictionarySearch);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

    ProgramFolder home;
    if (!home.error.isEmpty()) {
        std::fprintf(stderr, "cannot lay out the program folder: %s\n", qPrintable(home.error));
        return 1;
    }
    folder = &home;

    mlbench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    std::printf("\nRatios (median real time per iteration):\n");
    reporter.printRatio("keystroke/QLineEdit", "BM_KeystrokeForm1", "BM_KeystrokeLineEdit");
    reporter.printRatio("keystroke+hints/QLineEdit", "BM_KeystrokeForm1Hints",
                        "BM_KeystrokeLineEdit");
    reporter.printRatio("keystroke+hints prefetched/QLineEdit", "BM_KeystrokeForm1HintsPrefetched",
                        "BM_KeystrokeLineEditIdle");
    reporter.printRatio("keystroke+hints cold/QLineEdit", "BM_KeystrokeForm1HintsCold",
                        "BM_KeystrokeLineEditIdle");
    reporter.printRatio("keystroke painted/QLineEdit painted", "BM_KeystrokeForm1Painted",
                        "BM_KeystrokeLineEditPainted");
    reporter.printRatio("keystroke recorded/unrecorded", "BM_KeystrokeForm1",
                        "BM_KeystrokeForm1Unrecorded");
    reporter.printRatio("painted recorded/unrecorded", "BM_KeystrokeForm1Painted",
                        "BM_KeystrokeForm1PaintedUnrecorded");
    reporter.printRatio("Helpme char/QLineEdit", "BM_HelpmeChar", "BM_KeystrokeLineEdit");
    reporter.printRatio("Helpme word/QLineEdit", "BM_HelpmeWord", "BM_KeystrokeLineEdit");
    reporter.printRatio("Helpme char cold/QLineEdit", "BM_HelpmeCharCold", "BM_KeystrokeLineEdit");
    reporter.printRatio("Helpme word cold/QLineEdit", "BM_HelpmeWordCold", "BM_KeystrokeLineEdit");
    reporter.printRatio("search/QLineEdit", "BM_DictionarySearch", "BM_KeystrokeLineEdit");
    reporter.printRatio("Helpme word/search", "BM_HelpmeWord", "BM_DictionarySearch");
    return 0;
}
