// Converting a large plain text into a practice file, against the floor of any conversion: reading
// the file and decoding and encoding all of it once. Run without arguments; the ratio is printed at
// the end.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <random>
#include <vector>

#include "content/convert.h"
#include "platform/cp936.h"
#include "ratios.h"

namespace {

using namespace Qt::StringLiterals;

constexpr qint64 kSourceBytes = 50LL * 1024 * 1024;

QString source, target;
qint64 sourceSize = 0;

// Mostly common characters, Chinese punctuation now and then, lines of 10 to 80 characters. Built
// from pre-encoded pieces: encoding 50 MB character by character would take longer than the run.
bool writeSource(const QString& path) {
    const QString common =
        u"的一是在不了有和人这中大为上个国我以要他时来用们生到作地于出就分对成会可主发年动"
        u"同工也能下过子说产种面而方后多定行学法所民得经十三之进着等部度家电力里如水化高自"
        u"二理起小物现实加量都两体制机当使点从业本去把性好应开它合还因由其些然前外天政四日"
        u"那社义事平形相全表间样与关各重新线内数正心反你明看原又么利比或但质气第向道命此变"
        u"条只没结解问意建月公无系军很情者最立代想已通并提直题党程展五果料象员革位入常文总"
        u"次品式活设及管特件长求老头基资边流路级少图山统接"_s;
    const QString punctuation = u"，。、；：？！“”《》（）…"_s;
    auto encodeEach = [](const QString& chars) {
        std::vector<QByteArray> out;
        for (QChar c : chars) {
            QByteArray b;
            if (!ml::encodeCp936(QString(c), b)) return std::vector<QByteArray>{};
            out.push_back(b);
        }
        return out;
    };
    const auto han = encodeEach(common);
    const auto punct = encodeEach(punctuation);
    if (han.empty() || punct.empty()) return false;

    std::mt19937 rng(20240611);
    std::uniform_int_distribution<size_t> pickHan(0, han.size() - 1);
    std::uniform_int_distribution<size_t> pickPunct(0, punct.size() - 1);
    std::uniform_int_distribution<int> lineLength(10, 80);
    std::uniform_int_distribution<int> percent(0, 99);

    QByteArray bytes;
    bytes.reserve(kSourceBytes + 256);
    while (bytes.size() < kSourceBytes) {
        const int n = lineLength(rng);
        for (int k = 0; k < n; ++k)
            bytes += percent(rng) < 8 ? punct[pickPunct(rng)] : han[pickHan(rng)];
        bytes += "\r\n";
    }
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) return false;
    sourceSize = bytes.size();
    return true;
}

void BM_Floor(benchmark::State& state) {
    for (auto _ : state) {
        QFile f(source);
        if (!f.open(QIODevice::ReadOnly)) {
            state.SkipWithError("cannot read the source");
            break;
        }
        const QByteArray bytes = f.readAll();
        QString text;
        QByteArray back;
        if (!ml::decodeCp936(bytes, text) || !ml::encodeCp936(text, back) || back != bytes) {
            state.SkipWithError("the source does not round-trip through code page 936");
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * sourceSize);
}

void BM_Convert(benchmark::State& state) {
    for (auto _ : state) {
        QString report;
        if (ml::runConvertCommand(source, target, &report) != 0) {
            state.SkipWithError(report.toStdString().c_str());
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * sourceSize);
    state.counters["target_MB"] = QFile(target).size() / 1048576.0;
}

BENCHMARK(BM_Floor)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Convert)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

    QTemporaryDir dir;
    source = dir.filePath(u"source.txt"_s);
    target = dir.filePath(u"target.txt"_s);
    if (!dir.isValid() || !writeSource(source)) {
        std::fprintf(stderr, "cannot write the %lld-byte source text\n", kSourceBytes);
        return 1;
    }
    std::printf("source: %.1f MB of code page 936 text\n", sourceSize / 1048576.0);

    mlbench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    std::printf("\nRatio (median real time per pass over the source):\n");
    reporter.printRatio("convert/floor", "BM_Convert", "BM_Floor");
    const double floorNs = reporter.nanos("BM_Floor"), convertNs = reporter.nanos("BM_Convert");
    if (floorNs > 0 && convertNs > 0) {
        std::printf("floor   %.1f MB/s\nconvert %.1f MB/s\n",
                    sourceSize / 1048576.0 / (floorNs * 1e-9),
                    sourceSize / 1048576.0 / (convertNs * 1e-9));
    }
    return 0;
}
