#pragma once
// Reading the record for the statistics window, the CSV export and the mistakes drill. The
// figures come from the sessions and the per-character sums the writer keeps (char_total, and
// char_day for the last days), never from the judged characters one by one, so opening the
// statistics stays quick however long the learner has practised.

#include <QByteArray>
#include <QChar>
#include <QList>
#include <QString>
#include <array>
#include <memory>
#include <vector>

#include "record/record.h"
#include "record/store.h"

struct sqlite3;

namespace ml::record {

struct SessionStat {
    qint64 id = 0;
    SessionKind kind = SessionKind::Practice;
    qint64 startedMs = 0, endedMs = 0;
    qint64 day = 0;  // local calendar day of the start, as a Julian day number
    qint64 judged = 0, right = 0, activeMs = 0;
    QString name;
    bool remote = false;
    // Characters (drills: keys) per minute of active time; 0 when under a second was active.
    double speed() const;
    // Per cent right.
    double accuracy() const;
};

struct CharStat {
    QChar ch;
    QString code;       // as the dictionary gave it when last judged; "" for none
    qint64 judged = 0;  // how often it was the target
    qint64 missed = 0;  // how often it was typed wrong
    qint64 timed = 0;   // judgements with a latency
    int medianMs = -1;  // median latency; -1 when none was timed
};

struct Totals {
    int sessions = 0;
    qint64 judged = 0, right = 0, activeMs = 0;
    int days = 0;           // local calendar days with a session
    double bestSpeed = 0;   // of the sessions long enough to count (see kBest…)
};

// A session counts towards the best speed when it judged at least this many characters over at
// least this much active time: a sprint of three characters says nothing about speed.
constexpr qint64 kBestMinJudged = 20;
constexpr qint64 kBestMinActiveMs = 20'000;

struct PeriodStats {
    qint64 sinceDay = 0;                // the first local day in it (Julian day number); 0: all time
    std::vector<SessionStat> sessions;  // oldest first, all kinds, with something judged
    Totals totals;                      // practice sessions only
    std::vector<CharStat> chars;        // every target judged in the period, most judged first
    int medianMs = -1;                  // the learner's median latency over the period

    // The 20 (n) missed most often (at least once), most first.
    std::vector<CharStat> mostMissed(int n) const;
    // The n slowest relative to the learner's median: characters timed at least `minTimed`
    // times, slowest median first.
    std::vector<CharStat> slowest(int n, int minTimed = 3) const;
};

// The last 30 and 7 days are calendar days, today included.
struct Snapshot {
    qint64 nowMs = 0;
    PeriodStats all, last30, last7;
    bool empty() const { return all.sessions.empty(); }
};

// Error rate of each Wubi key over the characters whose code uses it: a character counts once
// per key however often the key stands in its code.
struct KeyRate {
    char letter = 'a';
    qint64 judged = 0, missed = 0;
    double rate() const { return judged ? double(missed) / double(judged) : 0.0; }
};
std::array<KeyRate, 25> keyErrorRates(const std::vector<CharStat>& chars);

// A character to drill, with how weak it is (higher is weaker).
struct WeakChar {
    QChar ch;
    double score = 0;
    qint64 judged = 0, missed = 0;
};

class RecordReader {
public:
    // Opens the record at `path`; null with the status (and a message for the learner) when it
    // cannot be read. A record that does not exist yet gives status Missing and no message.
    static std::unique_ptr<RecordReader> open(const QString& path, OpenStatus* status,
                                              QString* message);
    ~RecordReader();
    RecordReader(const RecordReader&) = delete;
    RecordReader& operator=(const RecordReader&) = delete;

    // All time and the last 30 and 7 days up to the day of `nowMs`.
    bool snapshot(qint64 nowMs, Snapshot* out, QString* error);
    // Every character ever judged, most judged first.
    bool characterTable(std::vector<CharStat>* out, QString* error);
    // The n weakest characters: the most trouble (misses, and latency above the learner's median)
    // per judgement, recent sessions weighing more. Only characters typed through an input
    // method: ASCII is left out.
    bool weakest(qint64 nowMs, int n, std::vector<WeakChar>* out, QString* error);

    // For queries of other parts (the code drills' own tables).
    sqlite3* handle() const { return db_; }

private:
    RecordReader(sqlite3* db, QString path) : db_(db), path_(std::move(path)) {}
    QString failure() const;

    sqlite3* db_;
    QString path_;
};

// The per-character table as CSV: UTF-8, a header row "character,code,judged,missed,median_ms"
// and one row per character; median_ms is empty for a character never timed.
QByteArray toCsv(const std::vector<CharStat>& chars);
// Writes the table of the record at `recordPath` into `target` (replaced atomically). The number
// of characters written, or -1 with a message.
qint64 exportCsv(const QString& recordPath, const QString& target, QString* message);

}  // namespace ml::record
