#pragma once
// What the statistics window (a module of its own, loaded on first use so that Qt Charts stays off
// the tutor's start-up) gets from the tutor: figures ready to show and a few actions. The module
// links Qt alone; everything it shows crosses this interface, so the record, the dictionary and
// the art stay in the tutor.

#include <QChar>
#include <QPixmap>
#include <QRectF>
#include <QString>
#include <QtGlobal>
#include <vector>

class QWidget;

namespace ml::stats {

// Raised whenever a type below changes, so that a module of another build is refused.
constexpr int kApiVersion = 1;

// The file name of the module without prefix or suffix ("molan-tutor-stats.so" on Linux).
inline const char kModuleName[] = "molan-tutor-stats";
// The module's entry point: extern "C" QWidget* molan_tutor_stats_window(int, Host*).
inline const char kEntryPoint[] = "molan_tutor_stats_window";

struct CharItem {
    QChar ch;
    QString code;       // upper case; "" when the dictionary has none
    qint64 judged = 0;
    qint64 missed = 0;
    int medianMs = -1;  // -1 when never timed
};

struct RootItem {
    QString root;
    qint64 misses = 0;
    int characters = 0;
};

struct KeyItem {
    char letter = 'a';  // 'a' … 'y'
    QRectF cell;        // the key's cell in the keyboard picture (logical pixels)
    qint64 judged = 0;  // judgements of characters whose code uses the key
    qint64 missed = 0;
};

struct SessionPoint {
    qint64 startedMs = 0;  // UTC
    double speed = 0;      // characters per minute of active time
    double accuracy = 0;   // per cent
    qint64 judged = 0;
};

struct Period {
    QString title;                      // "全部", "最近 30 天", "最近 7 天"
    std::vector<SessionPoint> sessions; // practice sessions long enough to time, oldest first
    qint64 judged = 0, right = 0, activeMs = 0;
    int days = 0, sessionCount = 0;
    double bestSpeed = 0;
    int medianMs = -1;                  // the learner's median latency
    std::vector<CharItem> mostMissed;   // 20
    std::vector<CharItem> slowest;      // 20, relative to medianMs
    std::vector<KeyItem> keys;          // 25
    std::vector<RootItem> roots;        // the roots most often in missed characters
};

struct View {
    // Non-empty: the record cannot be read; the window shows this instead of figures.
    QString problem;
    // Nothing recorded yet.
    bool empty = true;
    std::vector<Period> periods;  // all time, last 30 days, last 7 days
    QPixmap keyboard;             // the root keyboard chart the heatmap colours
};

class Host {
public:
    virtual ~Host() = default;
    // The figures as the record holds them now.
    virtual View load() = 0;
    // The decomposition picture of `c`; null when there is none.
    virtual QPixmap decomposition(QChar c) = 0;
    // The per-character table as CSV, through a save dialog.
    virtual void exportCsv(QWidget* parent) = 0;
    // Writes and opens the mistakes drill in the main window.
    virtual void drillMistakes(QWidget* parent) = 0;
};

using CreateWindow = QWidget* (*)(int apiVersion, Host* host);

}  // namespace ml::stats
