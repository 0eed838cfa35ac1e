#include "record/schema.h"

#include <sqlite3.h>

#include <QDateTime>
#include <QHash>
#include <QPair>
#include <algorithm>
#include <vector>

#include "record/histogram.h"

namespace ml::record {

namespace {

struct Sums {
    qint64 judged = 0, missed = 0;
    Histogram latencies;
    QString code;
};

QString textColumn(sqlite3_stmt* st, int col) {
    const auto* p = static_cast<const char16_t*>(sqlite3_column_text16(st, col));
    return p ? QString::fromUtf16(p, sqlite3_column_bytes16(st, col) / 2) : QString();
}

// Step 3 for a record written before it: the sessions' days and the sums of the judged
// characters already there, so the statistics read from the sums alone see the whole record.
bool sumUp(sqlite3* db, QString* why) {
    auto fail = [&] {
        if (why) *why = QString::fromUtf8(sqlite3_errmsg(db));
        return false;
    };
    sqlite3_stmt* st = nullptr;
    std::vector<std::pair<qint64, qint64>> days;  // session id, day
    if (sqlite3_prepare_v2(db, "SELECT id, started_ms FROM session", -1, &st, nullptr) != SQLITE_OK)
        return fail();
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW)
        days.emplace_back(sqlite3_column_int64(st, 0),
                          QDateTime::fromMSecsSinceEpoch(sqlite3_column_int64(st, 1))
                              .date()
                              .toJulianDay());
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE) return fail();
    if (sqlite3_prepare_v2(db, "UPDATE session SET day = ?1 WHERE id = ?2", -1, &st, nullptr) !=
        SQLITE_OK)
        return fail();
    for (const auto& [id, day] : days) {
        sqlite3_bind_int64(st, 1, day);
        sqlite3_bind_int64(st, 2, id);
        rc = sqlite3_step(st);
        sqlite3_reset(st);
        if (rc != SQLITE_DONE) break;
    }
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE && !days.empty()) return fail();

    QHash<QString, Sums> total;
    QHash<QPair<qint64, QString>, Sums> perDay;
    if (sqlite3_prepare_v2(db,
                           "SELECT s.day, j.target, j.right, j.ms, j.code FROM judged j JOIN "
                           "session s ON s.id = j.session WHERE j.target <> ''",
                           -1, &st, nullptr) != SQLITE_OK)
        return fail();
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        const QString target = textColumn(st, 1);
        const bool wrong = sqlite3_column_int64(st, 2) == 0;
        const bool timed = sqlite3_column_type(st, 3) != SQLITE_NULL;
        const qint64 ms = sqlite3_column_int64(st, 3);
        Sums& t = total[target];
        if (t.code.isEmpty() && sqlite3_column_type(st, 4) != SQLITE_NULL) t.code = textColumn(st, 4);
        for (Sums* s : {&t, &perDay[{sqlite3_column_int64(st, 0), target}]}) {
            ++s->judged;
            if (wrong) ++s->missed;
            if (timed) s->latencies.add(qint32(std::clamp<qint64>(ms, 0, Histogram::kMaxMs)));
        }
    }
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE) return fail();

    auto put = [&](sqlite3_stmt* ins, int n, const Sums& s) {
        sqlite3_bind_int64(ins, n, s.judged);
        sqlite3_bind_int64(ins, n + 1, s.missed);
        const QByteArray blob = s.latencies.encode();
        sqlite3_bind_blob(ins, n + 2, blob.constData() ? blob.constData() : "", int(blob.size()),
                          SQLITE_TRANSIENT);
        const int r = sqlite3_step(ins);
        sqlite3_reset(ins);
        sqlite3_clear_bindings(ins);
        return r == SQLITE_DONE;
    };
    if (sqlite3_prepare_v2(db,
                           "INSERT INTO char_total(target, code, judged, missed, latencies) "
                           "VALUES(?1, ?2, ?3, ?4, ?5)",
                           -1, &st, nullptr) != SQLITE_OK)
        return fail();
    for (auto it = total.cbegin(); it != total.cend(); ++it) {
        sqlite3_bind_text16(st, 1, it.key().utf16(), int(it.key().size() * 2), SQLITE_TRANSIENT);
        if (!it->code.isEmpty())
            sqlite3_bind_text16(st, 2, it->code.utf16(), int(it->code.size() * 2), SQLITE_TRANSIENT);
        if (!put(st, 3, *it)) {
            sqlite3_finalize(st);
            return fail();
        }
    }
    sqlite3_finalize(st);
    if (sqlite3_prepare_v2(db,
                           "INSERT INTO char_day(day, target, judged, missed, latencies) "
                           "VALUES(?1, ?2, ?3, ?4, ?5)",
                           -1, &st, nullptr) != SQLITE_OK)
        return fail();
    for (auto it = perDay.cbegin(); it != perDay.cend(); ++it) {
        sqlite3_bind_int64(st, 1, it.key().first);
        sqlite3_bind_text16(st, 2, it.key().second.utf16(), int(it.key().second.size() * 2),
                            SQLITE_TRANSIENT);
        if (!put(st, 3, *it)) {
            sqlite3_finalize(st);
            return fail();
        }
    }
    sqlite3_finalize(st);
    return true;
}

}  // namespace

const std::vector<Migration>& migrations() {
    static const std::vector<Migration> steps = {
        {1, R"sql(
-- One opening of a practice file (kind 0) or one code drill (kind 1), until the next opening or
-- the window closing. Times are UTC milliseconds since 1970; active_ms leaves out pauses of more
-- than 10 s between judged characters.
CREATE TABLE session(
  id INTEGER PRIMARY KEY,
  kind INTEGER NOT NULL DEFAULT 0,
  started_ms INTEGER NOT NULL,
  ended_ms INTEGER NOT NULL,
  path TEXT NOT NULL DEFAULT '',
  name TEXT NOT NULL DEFAULT '',
  remote INTEGER NOT NULL DEFAULT 0,
  lesson TEXT,
  judged INTEGER NOT NULL DEFAULT 0,
  right INTEGER NOT NULL DEFAULT 0,
  active_ms INTEGER NOT NULL DEFAULT 0,
  repeats INTEGER NOT NULL DEFAULT 1
);
CREATE INDEX session_started ON session(started_ms);

-- One judged character. ms: milliseconds since the previous judged character on a monotonic
-- clock, NULL for the first of a line (and for the later characters of a word committed at once).
-- target is '' for a character typed beyond the end of the line; code is the target's code as the
-- dictionary gives it, NULL when it has none.
CREATE TABLE judged(
  id INTEGER PRIMARY KEY,
  session INTEGER NOT NULL REFERENCES session(id),
  line INTEGER NOT NULL,
  pos INTEGER NOT NULL,
  target TEXT NOT NULL,
  typed TEXT NOT NULL,
  right INTEGER NOT NULL,
  ms INTEGER,
  hint_display INTEGER NOT NULL,
  code_hints INTEGER NOT NULL,
  code TEXT
);
-- Per-session reads (a pass, a session's characters) and the recent-sessions part of the
-- statistics scan.
CREATE INDEX judged_session ON judged(session);

-- One keystroke of a code drill: the letter typed against the letter expected. ms: since the
-- previous key of the item, NULL for the first.
CREATE TABLE keystroke(
  id INTEGER PRIMARY KEY,
  session INTEGER NOT NULL REFERENCES session(id),
  lesson TEXT,
  item TEXT NOT NULL,
  expected TEXT NOT NULL,
  typed TEXT NOT NULL,
  right INTEGER NOT NULL,
  ms INTEGER
);
CREATE INDEX keystroke_session ON keystroke(session);
)sql"},
        {2, R"sql(
-- The code drills' own figures. drill_item: each item of the course as practised so far (item is
-- 'r:' root, 'c:' character or 'w:' word, then the text); miss_rate and ms_per_key weigh recent
-- outcomes most; box is the Leitner box 0-5 and due_s when its review falls due (seconds since
-- 1970, as last_s). drill_lesson: each lesson's progress, bests and the learner's own goal (NULL:
-- the lesson list's). drill_setting: the drills' choices, such as short_first ('1' or '0').
CREATE TABLE drill_item(
  item TEXT PRIMARY KEY,
  lesson TEXT NOT NULL,
  seen INTEGER NOT NULL,
  missed INTEGER NOT NULL,
  miss_rate REAL NOT NULL,
  ms_per_key REAL NOT NULL,
  last_s INTEGER NOT NULL,
  box INTEGER NOT NULL,
  due_s INTEGER NOT NULL
);
CREATE TABLE drill_lesson(
  lesson TEXT PRIMARY KEY,
  passed INTEGER NOT NULL DEFAULT 0,
  rounds INTEGER NOT NULL DEFAULT 0,
  best_speed INTEGER NOT NULL DEFAULT 0,
  best_accuracy INTEGER NOT NULL DEFAULT 0,
  goal_accuracy INTEGER,
  goal_speed INTEGER
);
CREATE TABLE drill_setting(
  name TEXT PRIMARY KEY,
  value TEXT NOT NULL
);
)sql"},
        {3, R"sql(
-- The judged characters summed up as they are written, so that the statistics need not read every
-- judged character: per character for all time, and per character and day (the local day of its
-- session, session.day, a Julian day number). latencies: the histogram of the ms column, as
-- (ms, count) pairs of little-endian unsigned 32-bit numbers in rising order of ms.
ALTER TABLE session ADD COLUMN day INTEGER NOT NULL DEFAULT 0;
CREATE TABLE char_total(
  target TEXT PRIMARY KEY,
  code TEXT,
  judged INTEGER NOT NULL,
  missed INTEGER NOT NULL,
  latencies BLOB NOT NULL
) WITHOUT ROWID;
CREATE TABLE char_day(
  day INTEGER NOT NULL,
  target TEXT NOT NULL,
  judged INTEGER NOT NULL,
  missed INTEGER NOT NULL,
  latencies BLOB NOT NULL,
  PRIMARY KEY(day, target)
) WITHOUT ROWID;
)sql",
         sumUp},
    };
    return steps;
}

int schemaVersion() { return migrations().empty() ? 0 : migrations().back().version; }

}  // namespace ml::record
