#include "record/reader.h"

#include <sqlite3.h>

#include "record/histogram.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QSaveFile>
#include <QHash>
#include <QSet>
#include <algorithm>
#include <cmath>

namespace ml::record {

namespace {

constexpr qint64 kDayMs = 24ll * 3600 * 1000;
// Weight of a session's characters in the drill choice: halved every two weeks of age.
constexpr double kHalfLifeDays = 14;
// A latency counts as slowness up to three times the learner's median, so that one long look
// away does not make a character the weakest of all: at most it weighs as much as a miss.
constexpr double kMaxSlowness = 2;
// Judgements without trouble assumed for every character: one miss in one try is weak, but not
// as sure a sign as ten in ten.
constexpr double kPriorJudgements = 3;

class Query {
public:
    Query(sqlite3* db, const char* sql) { rc_ = sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr); }
    ~Query() {
        if (stmt_) sqlite3_finalize(stmt_);
    }
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;

    bool ok() const { return rc_ == SQLITE_OK || rc_ == SQLITE_ROW || rc_ == SQLITE_DONE; }
    bool next() {
        if (!stmt_) return false;
        rc_ = sqlite3_step(stmt_);
        return rc_ == SQLITE_ROW;
    }
    qint64 integer(int col) const { return sqlite3_column_int64(stmt_, col); }
    void bind(int i, qint64 v) { sqlite3_bind_int64(stmt_, i, v); }
    bool isNull(int col) const { return sqlite3_column_type(stmt_, col) == SQLITE_NULL; }
    // The text column's one character (a UTF-16 unit, as the tutor counts); 0 for '' or NULL.
    // Decoded here from SQLite's UTF-8: asking SQLite for UTF-16 would convert every row.
    char16_t unit(int col) const {
        const auto* p = sqlite3_column_text(stmt_, col);
        if (!p || !p[0]) return 0;
        if (p[0] < 0x80) return p[0];
        if ((p[0] & 0xE0) == 0xC0 && p[1]) return char16_t(((p[0] & 0x1F) << 6) | (p[1] & 0x3F));
        if ((p[0] & 0xF0) == 0xE0 && p[1] && p[2])
            return char16_t(((p[0] & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F));
        return u'\uFFFD';
    }
    QByteArray blob(int col) const {
        const auto* p = static_cast<const char*>(sqlite3_column_blob(stmt_, col));
        return p ? QByteArray(p, sqlite3_column_bytes(stmt_, col)) : QByteArray();
    }
    QString text(int col) const {
        const auto* p = static_cast<const char16_t*>(sqlite3_column_text16(stmt_, col));
        const int bytes = sqlite3_column_bytes16(stmt_, col);
        return p ? QString(reinterpret_cast<const QChar*>(p), bytes / 2) : QString();
    }

private:
    sqlite3_stmt* stmt_ = nullptr;
    int rc_ = SQLITE_OK;
};

struct Sessions {
    std::vector<SessionStat> list;
};

bool readSessions(sqlite3* db, Sessions* out) {
    Query q(db,
            "SELECT id, kind, started_ms, ended_ms, judged, right, active_ms, name, remote, day "
            "FROM session WHERE judged > 0 ORDER BY started_ms, id");
    while (q.next()) {
        SessionStat s;
        s.id = q.integer(0);
        s.kind = SessionKind(q.integer(1));
        s.startedMs = q.integer(2);
        s.endedMs = q.integer(3);
        s.judged = q.integer(4);
        s.right = q.integer(5);
        s.activeMs = q.integer(6);
        s.name = q.text(7);
        s.remote = q.integer(8) != 0;
        s.day = q.integer(9);
        out->list.push_back(std::move(s));
    }
    return q.ok();
}

Totals totalsOf(const std::vector<SessionStat>& sessions) {
    Totals t;
    QSet<qint64> days;
    for (const SessionStat& s : sessions) {
        if (s.kind != SessionKind::Practice) continue;
        ++t.sessions;
        t.judged += s.judged;
        t.right += s.right;
        t.activeMs += s.activeMs;
        days.insert(s.day);
        if (s.judged >= kBestMinJudged && s.activeMs >= kBestMinActiveMs)
            t.bestSpeed = std::max(t.bestSpeed, s.speed());
    }
    t.days = int(days.size());
    return t;
}

qint64 dayOf(qint64 ms) { return QDateTime::fromMSecsSinceEpoch(ms).date().toJulianDay(); }

// One character's sums over a period.
struct Acc {
    qint64 judged = 0, missed = 0;
    Histogram latencies;
};

Histogram blobColumn(const Query& q, int col) { return Histogram::decode(q.blob(col)); }

// The learner's median latency over all the characters.
int medianOf(const QHash<char16_t, Acc>& accs) {
    std::vector<qint64> dense(size_t(Histogram::kMaxMs) + 1);
    qint64 n = 0;
    for (const Acc& a : accs) {
        for (const auto& [ms, count] : a.latencies.bins()) dense[size_t(ms)] += count;
        n += a.latencies.count();
    }
    if (n == 0) return -1;
    const qint64 hi = n / 2, lo = (n - 1) / 2;
    qint64 seen = 0;
    int loValue = -1;
    for (size_t ms = 0; ms < dense.size(); ++ms) {
        if (!dense[ms]) continue;
        if (loValue < 0 && seen + dense[ms] > lo) loValue = int(ms);
        if (seen + dense[ms] > hi) return int((qint64(loValue) + qint64(ms)) / 2);
        seen += dense[ms];
    }
    return loValue;
}

std::vector<CharStat> finish(const QHash<char16_t, Acc>& accs, const QHash<char16_t, QString>& codes) {
    std::vector<CharStat> out;
    out.reserve(size_t(accs.size()));
    for (auto it = accs.cbegin(); it != accs.cend(); ++it) {
        if (it->judged == 0) continue;
        CharStat c;
        c.ch = QChar(it.key());
        c.code = codes.value(it.key());
        c.judged = it->judged;
        c.missed = it->missed;
        c.timed = it->latencies.count();
        c.medianMs = it->latencies.median();
        out.push_back(std::move(c));
    }
    std::sort(out.begin(), out.end(), [](const CharStat& a, const CharStat& b) {
        return a.judged != b.judged ? a.judged > b.judged : a.ch < b.ch;
    });
    return out;
}

// char_total: every character's sums of all time, and its code.
bool readTotals(sqlite3* db, QHash<char16_t, Acc>* accs, QHash<char16_t, QString>* codes) {
    Query q(db, "SELECT target, code, judged, missed, latencies FROM char_total");
    while (q.next()) {
        const char16_t t = q.unit(0);
        if (t == 0) continue;
        Acc& a = (*accs)[t];
        a.judged += q.integer(2);
        a.missed += q.integer(3);
        a.latencies.merge(blobColumn(q, 4));
        if (!q.isNull(1)) codes->insert(t, q.text(1));
    }
    return q.ok();
}

QByteArray csvField(const QString& s) {
    QByteArray utf8 = s.toUtf8();
    if (!utf8.contains(',') && !utf8.contains('"') && !utf8.contains('\n') && !utf8.contains('\r'))
        return utf8;
    utf8.replace("\"", "\"\"");
    return '"' + utf8 + '"';
}

}  // namespace

double SessionStat::speed() const {
    return activeMs >= 1000 ? double(judged) * 60'000.0 / double(activeMs) : 0.0;
}

double SessionStat::accuracy() const {
    return judged ? double(right) * 100.0 / double(judged) : 100.0;
}

std::vector<CharStat> PeriodStats::mostMissed(int n) const {
    std::vector<CharStat> out;
    for (const CharStat& c : chars)
        if (c.missed > 0) out.push_back(c);
    std::stable_sort(out.begin(), out.end(), [](const CharStat& a, const CharStat& b) {
        return a.missed > b.missed;
    });
    if (out.size() > size_t(n)) out.resize(size_t(n));
    return out;
}

std::vector<CharStat> PeriodStats::slowest(int n, int minTimed) const {
    std::vector<CharStat> out;
    if (medianMs <= 0) return out;
    for (const CharStat& c : chars)
        if (c.timed >= minTimed && c.medianMs > medianMs) out.push_back(c);
    std::stable_sort(out.begin(), out.end(), [](const CharStat& a, const CharStat& b) {
        return a.medianMs > b.medianMs;
    });
    if (out.size() > size_t(n)) out.resize(size_t(n));
    return out;
}

std::array<KeyRate, 25> keyErrorRates(const std::vector<CharStat>& chars) {
    std::array<KeyRate, 25> keys;
    for (int i = 0; i < 25; ++i) keys[size_t(i)].letter = char('a' + i);
    for (const CharStat& c : chars) {
        bool seen[25] = {};
        for (QChar l : c.code) {
            const char16_t u = l.toLower().unicode();
            if (u < u'a' || u > u'y' || seen[u - u'a']) continue;
            seen[u - u'a'] = true;
            keys[u - u'a'].judged += c.judged;
            keys[u - u'a'].missed += c.missed;
        }
    }
    return keys;
}

std::unique_ptr<RecordReader> RecordReader::open(const QString& path, OpenStatus* status,
                                                 QString* message) {
    Opened o = openForReading(path);
    if (status) *status = o.status;
    if (message) *message = o.message;
    if (o.status != OpenStatus::Ok) return nullptr;
    return std::unique_ptr<RecordReader>(new RecordReader(o.db, path));
}

RecordReader::~RecordReader() {
    if (db_) sqlite3_close_v2(db_);
}

QString RecordReader::failure() const {
    return QStringLiteral("\r无法读取练习记录 %1：%2")
        .arg(QDir::toNativeSeparators(path_), sqliteReason(db_));
}

bool RecordReader::snapshot(qint64 nowMs, Snapshot* out, QString* error) {
    *out = Snapshot{};
    out->nowMs = nowMs;
    // One read transaction: the writer may commit meanwhile, the figures stay consistent.
    sqlite3_exec(db_, "BEGIN", nullptr, nullptr, nullptr);
    struct EndRead {
        sqlite3* db;
        ~EndRead() { sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr); }
    } endRead{db_};

    Sessions sessions;
    if (!readSessions(db_, &sessions)) {
        if (error) *error = failure();
        return false;
    }
    const qint64 today = dayOf(nowMs);
    const qint64 since[3] = {0, today - 29, today - 6};
    PeriodStats* periods[3] = {&out->all, &out->last30, &out->last7};
    for (int p = 0; p < 3; ++p) {
        periods[p]->sinceDay = since[p];
        for (const SessionStat& s : sessions.list)
            if (p == 0 || s.day >= since[p]) periods[p]->sessions.push_back(s);
        periods[p]->totals = totalsOf(periods[p]->sessions);
    }

    QHash<char16_t, Acc> acc[3];
    QHash<char16_t, QString> codes;
    if (!readTotals(db_, &acc[0], &codes)) {
        if (error) *error = failure();
        return false;
    }
    Query q(db_, "SELECT day, target, judged, missed, latencies FROM char_day WHERE day >= ?1");
    q.bind(1, since[1]);
    while (q.next()) {
        const qint64 day = q.integer(0);
        const char16_t t = q.unit(1);
        if (t == 0) continue;
        const Histogram h = blobColumn(q, 4);
        for (int p = 1; p < 3; ++p) {
            if (day < since[p]) continue;
            Acc& a = acc[p][t];
            a.judged += q.integer(2);
            a.missed += q.integer(3);
            a.latencies.merge(h);
        }
    }
    if (!q.ok()) {
        if (error) *error = failure();
        return false;
    }
    for (int p = 0; p < 3; ++p) {
        periods[p]->chars = finish(acc[p], codes);
        periods[p]->medianMs = medianOf(acc[p]);
    }
    return true;
}

bool RecordReader::characterTable(std::vector<CharStat>* out, QString* error) {
    sqlite3_exec(db_, "BEGIN", nullptr, nullptr, nullptr);
    QHash<char16_t, Acc> acc;
    QHash<char16_t, QString> codes;
    const bool ok = readTotals(db_, &acc, &codes);
    sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
    if (!ok) {
        if (error) *error = failure();
        return false;
    }
    *out = finish(acc, codes);
    return true;
}

bool RecordReader::weakest(qint64 nowMs, int n, std::vector<WeakChar>* out, QString* error) {
    out->clear();
    sqlite3_exec(db_, "BEGIN", nullptr, nullptr, nullptr);
    struct EndRead {
        sqlite3* db;
        ~EndRead() { sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr); }
    } endRead{db_};

    QHash<char16_t, Acc> totals;
    QHash<char16_t, QString> codes;
    if (!readTotals(db_, &totals, &codes)) {
        if (error) *error = failure();
        return false;
    }
    const int typical = medianOf(totals);
    const qint64 today = dayOf(nowMs);

    struct Weakness {
        double judged = 0, trouble = 0;
        qint64 n = 0, missed = 0;
    };
    QHash<char16_t, Weakness> w;
    Query q(db_, "SELECT day, target, judged, missed, latencies FROM char_day");
    while (q.next()) {
        const char16_t t = q.unit(1);
        if (t < 0x80) continue;
        const double weight = std::pow(0.5, std::max<qint64>(0, today - q.integer(0)) / kHalfLifeDays);
        Weakness& x = w[t];
        const qint64 judged = q.integer(2), missed = q.integer(3);
        x.judged += weight * double(judged);
        x.trouble += weight * double(missed);
        x.n += judged;
        x.missed += missed;
        if (typical > 0) {
            const Histogram latencies = blobColumn(q, 4);
            for (const auto& [ms, count] : latencies.bins())
                x.trouble += 0.5 * weight * double(count) *
                             std::clamp(double(ms) / typical - 1.0, 0.0, kMaxSlowness);
        }
    }
    if (!q.ok()) {
        if (error) *error = failure();
        return false;
    }
    for (auto it = w.cbegin(); it != w.cend(); ++it) {
        if (it->trouble <= 0) continue;
        out->push_back({QChar(it.key()), it->trouble / (it->judged + kPriorJudgements), it->n,
                        it->missed});
    }
    std::sort(out->begin(), out->end(), [](const WeakChar& a, const WeakChar& b) {
        return a.score != b.score ? a.score > b.score : a.ch < b.ch;
    });
    if (out->size() > size_t(n)) out->resize(size_t(n));
    return true;
}

QByteArray toCsv(const std::vector<CharStat>& chars) {
    QByteArray out = "character,code,judged,missed,median_ms\n";
    for (const CharStat& c : chars) {
        out += csvField(QString(c.ch)) + ',' + csvField(c.code) + ',' + QByteArray::number(c.judged) +
               ',' + QByteArray::number(c.missed) + ',' +
               (c.medianMs >= 0 ? QByteArray::number(c.medianMs) : QByteArray()) + '\n';
    }
    return out;
}

qint64 exportCsv(const QString& recordPath, const QString& target, QString* message) {
    std::vector<CharStat> chars;
    OpenStatus status;
    QString why;
    auto reader = RecordReader::open(recordPath, &status, &why);
    if (reader) {
        if (!reader->characterTable(&chars, &why)) {
            if (message) *message = why;
            return -1;
        }
    } else if (status != OpenStatus::Missing) {
        if (message) *message = why;
        return -1;
    }
    QSaveFile f(target);
    const QByteArray bytes = toCsv(chars);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit()) {
        if (message)
            *message = QStringLiteral("\r无法写入 %1：%2")
                           .arg(QDir::toNativeSeparators(target), f.errorString());
        return -1;
    }
    return qint64(chars.size());
}

}  // namespace ml::record
