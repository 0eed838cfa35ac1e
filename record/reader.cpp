#include "record/reader.h"

#include <sqlite3.h>

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QSaveFile>
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
    QString text(int col) const {
        const auto* p = static_cast<const char16_t*>(sqlite3_column_text16(stmt_, col));
        const int bytes = sqlite3_column_bytes16(stmt_, col);
        return p ? QString(reinterpret_cast<const QChar*>(p), bytes / 2) : QString();
    }

private:
    sqlite3_stmt* stmt_ = nullptr;
    int rc_ = SQLITE_OK;
};

// The median of `v` (reordered); the mean of the middle two for an even count.
int median(std::vector<int>& v) {
    if (v.empty()) return -1;
    const size_t mid = v.size() / 2;
    std::nth_element(v.begin(), v.begin() + qsizetype(mid), v.end());
    const int upper = v[mid];
    if (v.size() % 2) return upper;
    const int lower = *std::max_element(v.begin(), v.begin() + qsizetype(mid));
    return int((qint64(lower) + upper) / 2);
}

struct Sessions {
    std::vector<SessionStat> list;
    // Session id -> index into `list`, for ids up to the largest.
    std::vector<int> index;
    int of(qint64 id) const { return id >= 0 && id < qint64(index.size()) ? index[size_t(id)] : -1; }
};

bool readSessions(sqlite3* db, Sessions* out) {
    Query q(db,
            "SELECT id, kind, started_ms, ended_ms, judged, right, active_ms, name, remote "
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
        if (s.id >= 0 && s.id < (1ll << 31)) {
            if (qint64(out->index.size()) <= s.id) out->index.resize(size_t(s.id) + 1, -1);
            out->index[size_t(s.id)] = int(out->list.size());
        }
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
        days.insert(QDateTime::fromMSecsSinceEpoch(s.startedMs).date().toJulianDay());
        if (s.judged >= kBestMinJudged && s.activeMs >= kBestMinActiveMs)
            t.bestSpeed = std::max(t.bestSpeed, s.speed());
    }
    t.days = int(days.size());
    return t;
}

// Per-character sums of one period while the judged rows stream by.
struct Acc {
    qint64 judged = 0, missed = 0;
    std::vector<int> latencies;
};

std::vector<CharStat> finish(std::vector<Acc>& accs, const std::vector<char16_t>& chars,
                             const std::vector<QString>& codes) {
    std::vector<CharStat> out;
    for (size_t i = 0; i < accs.size(); ++i) {
        Acc& a = accs[i];
        if (a.judged == 0) continue;
        CharStat c;
        c.ch = QChar(chars[i]);
        c.code = codes[i];
        c.judged = a.judged;
        c.missed = a.missed;
        c.timed = qint64(a.latencies.size());
        c.medianMs = median(a.latencies);
        std::vector<int>().swap(a.latencies);
        out.push_back(std::move(c));
    }
    std::sort(out.begin(), out.end(), [](const CharStat& a, const CharStat& b) {
        return a.judged != b.judged ? a.judged > b.judged : a.ch < b.ch;
    });
    return out;
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
    const qint64 since[3] = {0, nowMs - 30 * kDayMs, nowMs - 7 * kDayMs};
    PeriodStats* periods[3] = {&out->all, &out->last30, &out->last7};
    // Which periods each session is in: bit p for period p.
    std::vector<quint8> in(sessions.list.size());
    for (int p = 0; p < 3; ++p) {
        periods[p]->sinceMs = since[p];
        for (size_t i = 0; i < sessions.list.size(); ++i) {
            const SessionStat& s = sessions.list[i];
            if (p == 0 || s.startedMs >= since[p]) {
                periods[p]->sessions.push_back(s);
                in[i] |= quint8(1u << p);
            }
        }
        periods[p]->totals = totalsOf(periods[p]->sessions);
    }

    // Characters: a slot per distinct target, shared by the periods.
    std::vector<int> slotOf(0x10000, -1);
    std::vector<char16_t> chars;
    std::vector<QString> codes;
    std::vector<Acc> acc[3];
    std::vector<int> all[3];
    Query q(db_, "SELECT session, target, right, ms, code FROM judged");
    while (q.next()) {
        const int si = sessions.of(q.integer(0));
        if (si < 0) continue;
        const char16_t t = q.unit(1);
        if (t == 0) continue;
        int& slot = slotOf[t];
        if (slot < 0) {
            slot = int(chars.size());
            chars.push_back(t);
            codes.emplace_back();
            for (auto& a : acc) a.emplace_back();
        }
        if (codes[size_t(slot)].isEmpty() && !q.isNull(4)) codes[size_t(slot)] = q.text(4);
        const bool wrong = q.integer(2) == 0;
        const bool timed = !q.isNull(3);
        const int ms = timed ? int(std::clamp<qint64>(q.integer(3), 0, 1 << 30)) : 0;
        const quint8 mask = in[size_t(si)];
        for (int p = 0; p < 3; ++p) {
            if (!(mask & (1u << p))) continue;
            Acc& a = acc[p][size_t(slot)];
            ++a.judged;
            if (wrong) ++a.missed;
            if (timed) {
                a.latencies.push_back(ms);
                all[p].push_back(ms);
            }
        }
    }
    if (!q.ok()) {
        if (error) *error = failure();
        return false;
    }
    for (int p = 0; p < 3; ++p) {
        periods[p]->chars = finish(acc[p], chars, codes);
        periods[p]->medianMs = median(all[p]);
    }
    return true;
}

bool RecordReader::characterTable(std::vector<CharStat>* out, QString* error) {
    Snapshot s;
    if (!snapshot(QDateTime::currentMSecsSinceEpoch(), &s, error)) return false;
    *out = std::move(s.all.chars);
    return true;
}

bool RecordReader::weakest(qint64 nowMs, int n, std::vector<WeakChar>* out, QString* error) {
    out->clear();
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
    std::vector<double> weight(sessions.list.size());
    for (size_t i = 0; i < sessions.list.size(); ++i) {
        const double ageDays =
            std::max<qint64>(0, nowMs - sessions.list[i].startedMs) / double(kDayMs);
        weight[i] = std::pow(0.5, ageDays / kHalfLifeDays);
    }

    struct Row {
        int session;
        char16_t target;
        bool wrong;
        int ms;
    };
    std::vector<Row> rows;
    std::vector<int> latencies;
    {
        Query q(db_, "SELECT session, target, right, ms FROM judged");
        while (q.next()) {
            const int si = sessions.of(q.integer(0));
            const char16_t t = q.unit(1);
            if (si < 0 || t < 0x80) continue;
            const int ms = q.isNull(3) ? -1 : int(std::clamp<qint64>(q.integer(3), 0, 1 << 30));
            rows.push_back({si, t, q.integer(2) == 0, ms});
            if (ms >= 0) latencies.push_back(ms);
        }
        if (!q.ok()) {
            if (error) *error = failure();
            return false;
        }
    }
    const int typical = median(latencies);

    struct Weakness {
        double judged = 0, trouble = 0;
        qint64 n = 0, missed = 0;
    };
    std::vector<int> slotOf(0x10000, -1);
    std::vector<char16_t> chars;
    std::vector<Weakness> w;
    for (const Row& r : rows) {
        int& slot = slotOf[r.target];
        if (slot < 0) {
            slot = int(chars.size());
            chars.push_back(r.target);
            w.emplace_back();
        }
        Weakness& x = w[size_t(slot)];
        const double wt = weight[size_t(r.session)];
        x.judged += wt;
        ++x.n;
        if (r.wrong) {
            x.trouble += wt;
            ++x.missed;
        }
        if (r.ms >= 0 && typical > 0)
            x.trouble += 0.5 * wt * std::clamp(double(r.ms) / typical - 1.0, 0.0, kMaxSlowness);
    }
    for (size_t i = 0; i < chars.size(); ++i) {
        const Weakness& x = w[i];
        if (x.trouble <= 0) continue;
        out->push_back({QChar(chars[i]), x.trouble / (x.judged + kPriorJudgements), x.n, x.missed});
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
