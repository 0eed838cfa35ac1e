#include "dialogs/statshost.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibrary>
#include <QPainter>
#include <QWidget>

#include "art/art.h"
#include "art/artlib.h"
#include "hints/dictionary.h"
#include "platform/recordfile.h"
#include "practice/form1.h"
#include "practice/rules.h"
#include "record/drill.h"
#include "record/reader.h"
#include "record/recorder.h"

namespace ml {

namespace {

const QString CR = QStringLiteral("\r");

QStringList& moduleFolders() {
    static QStringList folders;
    return folders;
}

QString upper(const QString& code) { return code.toUpper(); }

// Everything the window needs of one period.
stats::Period periodView(const QString& title, const record::PeriodStats& p,
                         const record::Splits& splits, const QList<QPair<char, QRectF>>& cells,
                         const QPointF& origin, CodeDictionary* dict) {
    stats::Period v;
    v.title = title;
    for (const record::SessionStat& s : p.sessions) {
        if (s.kind != record::SessionKind::Practice || s.activeMs < 1000) continue;
        v.sessions.push_back({s.startedMs, s.speed(), s.accuracy(), s.judged});
    }
    v.judged = p.totals.judged;
    v.right = p.totals.right;
    v.activeMs = p.totals.activeMs;
    v.days = p.totals.days;
    v.sessionCount = p.totals.sessions;
    v.bestSpeed = p.totals.bestSpeed;
    v.medianMs = p.medianMs;
    auto item = [dict](const record::CharStat& c) {
        QString code = c.code;
        // Characters judged while the dictionary was missing have no code in the record.
        if (code.isEmpty() && dict) {
            const auto r = dict->search(QString(c.ch));
            if (r && r->outcome == CodeDictionary::Outcome::Hit) code = r->email;
        }
        return stats::CharItem{c.ch, upper(code), c.judged, c.missed, c.medianMs};
    };
    for (const record::CharStat& c : p.mostMissed(20)) v.mostMissed.push_back(item(c));
    for (const record::CharStat& c : p.slowest(20)) v.slowest.push_back(item(c));
    const auto rates = record::keyErrorRates(p.chars);
    for (const auto& [letter, rect] : cells) {
        const record::KeyRate& k = rates[size_t(letter - 'a')];
        v.keys.push_back({letter, rect.translated(-origin), k.judged, k.missed});
    }
    for (const record::RootCount& r : record::rootsInMissed(p.chars, splits, 14))
        v.roots.push_back({r.root, r.misses, r.characters});
    return v;
}

}  // namespace

QStringList statsModuleFolders() {
    if (!moduleFolders().isEmpty()) return moduleFolders();
    const QString exe = QCoreApplication::applicationDirPath();
    return {exe, QDir::cleanPath(exe + QStringLiteral("/../lib/molan-tutor"))};
}

void setStatsModuleFolders(const QStringList& folders) { moduleFolders() = folders; }

QWidget* createStatsWindow(stats::Host* host, QString* message) {
    QStringList tried;
    QString lastError;
    for (const QString& folder : statsModuleFolders()) {
        const QString base = QDir(folder).filePath(QLatin1String(stats::kModuleName));
        QLibrary lib(base);
        tried << QDir::toNativeSeparators(base);
        // The module stays loaded for the rest of the run: its window may be opened again.
        if (!lib.load()) {
            if (QFileInfo::exists(lib.fileName()) || QFileInfo::exists(base + QStringLiteral(".so")))
                lastError = lib.errorString();
            continue;
        }
        auto create = reinterpret_cast<stats::CreateWindow>(lib.resolve(stats::kEntryPoint));
        QWidget* w = create ? create(stats::kApiVersion, host) : nullptr;
        if (w) return w;
        lastError = QStringLiteral("它不是这个版本的墨岚打字通的模块");
    }
    if (message) {
        *message = CR + QStringLiteral("无法打开练习统计：找不到能用的统计模块（") +
                   QLatin1String(stats::kModuleName) + QStringLiteral("）。") + CR + CR +
                   QStringLiteral("找过：") + tried.join(QStringLiteral("、")) +
                   (lastError.isEmpty() ? QString() : CR + CR + lastError) + CR + CR +
                   QStringLiteral("练习和练习记录不受影响。");
    }
    return nullptr;
}

QString practiseMistakes(Form1& form) {
    if (auto* r = form.recorder()) r->sync();
    const QString target = form.homePath(record::kDrillFile);
    CodeDictionary* dict = form.dictionary();
    const record::DrillResult result = record::writeMistakesDrill(
        form.homePath(record::kFileName), target, QDateTime::currentMSecsSinceEpoch(),
        [dict](QChar c) { return dict ? dict->commonWord(c) : QString(); });
    if (result.kind != record::DrillResult::Written) return result.message;
    // The drill is new each time, so it starts at its first line whatever the last one reached.
    QDir().mkpath(form.homePath(QStringLiteral("练习进度")));
    RecordFile progress;
    if (progress.open(form.homePath(QStringLiteral("练习进度/") + progressFileName(target)))) {
        progress.write(1);
        progress.close();
    }
    // The conversion's hand-over: a preset name, no dialog.
    form.CD1_FileName = QDir::toNativeSeparators(target);
    form.Image3_Click();
    return {};
}

StatsProvider::StatsProvider(Form1& form) : form_(form) {}
StatsProvider::~StatsProvider() = default;

const record::Splits& StatsProvider::splits() {
    if (!splits_) {
        QFile f(QStringLiteral(":/ml/decomp/splits.tsv"));
        splits_ = std::make_unique<record::Splits>(
            record::Splits::parse(f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray()));
    }
    return *splits_;
}

const QPixmap& StatsProvider::keyboard() {
    if (!keyboard_.isNull()) return keyboard_;
    cells_ = art::keyboardCellRects();
    for (const auto& c : cells_) area_ = area_.united(c.second);
    area_ = area_.adjusted(-6, -6, 6, 6);
    const QPixmap background = Art::picture(form_.folder().data, QStringLiteral("background.png"));
    const qreal dpr = background.devicePixelRatio();
    // Only the keys: the legends around them on the window's sheet speak of the hints.
    keyboard_ = QPixmap(area_.size().toSize() * dpr);
    keyboard_.setDevicePixelRatio(dpr);
    keyboard_.fill(QColor(0xFD, 0xFE, 0xFE));
    QPainter p(&keyboard_);
    for (const auto& c : cells_) {
        const QRectF from = c.second.adjusted(-3, -3, 3, 4);
        p.drawPixmap(from.translated(-area_.topLeft()), background,
                     QRectF(from.topLeft() * dpr, from.size() * dpr));
    }
    return keyboard_;
}

stats::View StatsProvider::load() {
    stats::View view;
    view.keyboard = keyboard();
    if (auto* r = form_.recorder()) r->sync(1000);
    record::OpenStatus status;
    QString message;
    auto reader = record::RecordReader::open(form_.homePath(record::kFileName), &status, &message);
    record::Snapshot s;
    if (reader) {
        if (!reader->snapshot(QDateTime::currentMSecsSinceEpoch(), &s, &message)) view.problem = message;
    } else if (status != record::OpenStatus::Missing) {
        view.problem = message;
    }
    view.empty = s.empty();
    const record::PeriodStats* periods[3] = {&s.all, &s.last30, &s.last7};
    const QString titles[3] = {QStringLiteral("全部"), QStringLiteral("最近 30 天"),
                               QStringLiteral("最近 7 天")};
    for (int i = 0; i < 3; ++i)
        view.periods.push_back(
            periodView(titles[i], *periods[i], splits(), cells_, area_.topLeft(), form_.dictionary()));
    return view;
}

QPixmap StatsProvider::decomposition(QChar c) {
    const QString base = form_.dataPath(QStringLiteral("拆字图/") + QString(c));
    QPixmap pm;
    if (pm.load(base + QStringLiteral("@2x.gif"))) {
        pm.setDevicePixelRatio(2);
    } else if (!pm.load(base + QStringLiteral(".gif"))) {
        return {};
    }
    return pm;
}

void StatsProvider::exportCsv(QWidget* parent) {
    FileDialogRequest req;
    req.initialDir = form_.home();
    req.defaultExt = QStringLiteral("*.csv");
    req.filter = QStringLiteral("CSV 表格(*.csv)|*.csv");
    req.fileName = QStringLiteral("练习统计.csv");
    const QString target = form_.platform().saveFileName(parent, req);
    if (target.isEmpty()) return;
    if (auto* r = form_.recorder()) r->sync();
    QString message;
    const qint64 n = record::exportCsv(form_.homePath(record::kFileName), target, &message);
    if (n < 0) {
        form_.platform().messageBox(parent, message, MsgIcon::Exclamation, MsgButtons::Ok);
        return;
    }
    form_.platform().messageBox(parent,
                                CR + QStringLiteral("已把 %1 个字的统计保存到 ").arg(n) +
                                    QDir::toNativeSeparators(target) + QStringLiteral("。"),
                                MsgIcon::Information, MsgButtons::Ok);
}

void StatsProvider::drillMistakes(QWidget* parent) {
    const QString message = practiseMistakes(form_);
    if (!message.isEmpty()) {
        form_.platform().messageBox(parent, message, MsgIcon::Information, MsgButtons::Ok);
        return;
    }
    // Back to typing: the main window has the drill on show.
    form_.raise();
    form_.activateWindow();
    form_.txtInput->setFocus();
}

}  // namespace ml
