#include "record/recorder.h"

#include <sqlite3.h>

#include <QDateTime>
#include <QDir>
#include <QHash>
#include <QLockFile>
#include <QSet>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <variant>

#include "record/histogram.h"
#include "record/store.h"

namespace ml::record {

namespace {

using Clock = std::chrono::steady_clock;

struct Begin {
    SessionInfo info;
};
struct End {
    qint64 endedMs;
};
using Item = std::variant<Begin, End, CharRow, KeyRow, Recorder::Job>;

// Rows that could not be written (a full disk, say) wait for the next try; beyond this many the
// recorder gives up rather than grow without end. Some days of steady typing.
constexpr size_t kMaxWaiting = 500'000;

qint64 wallNow() { return QDateTime::currentMSecsSinceEpoch(); }

// The local calendar day of a time, as a Julian day number.
qint64 dayOf(qint64 ms) { return QDateTime::fromMSecsSinceEpoch(ms).date().toJulianDay(); }

// What a batch adds to one character's sums.
struct Sums {
    qint64 judged = 0, missed = 0;
    Histogram latencies;
};

int primary(int rc) { return rc & 0xff; }

// A prepared statement, finalised with its owner.
class Statement {
public:
    Statement() = default;
    ~Statement() { reset(); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool prepare(sqlite3* db, const char* sql) {
        reset();
        return sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt_, nullptr) ==
               SQLITE_OK;
    }
    void reset() {
        if (stmt_) sqlite3_finalize(stmt_);
        stmt_ = nullptr;
    }
    sqlite3_stmt* get() const { return stmt_; }

    void bind(int i, qint64 v) { sqlite3_bind_int64(stmt_, i, v); }
    void bindNull(int i) { sqlite3_bind_null(stmt_, i); }
    void bindOptional(int i, qint64 v) { v < 0 ? bindNull(i) : bind(i, v); }
    void bind(int i, const QString& s) {
        // utf16() of an empty QString is a valid pointer: the value is '' rather than NULL.
        sqlite3_bind_text16(stmt_, i, s.utf16(), int(s.size() * 2), SQLITE_TRANSIENT);
    }
    void bindUnit(int i, char16_t u) {
        if (u == 0) {
            sqlite3_bind_text(stmt_, i, "", 0, SQLITE_STATIC);
        } else {
            sqlite3_bind_text16(stmt_, i, &u, 2, SQLITE_TRANSIENT);
        }
    }
    void bindBlob(int i, const QByteArray& b) {
        sqlite3_bind_blob(stmt_, i, b.isEmpty() ? "" : b.constData(), int(b.size()), SQLITE_TRANSIENT);
    }
    void bindLetter(int i, char c) {
        const char s[1] = {c};
        sqlite3_bind_text(stmt_, i, s, c ? 1 : 0, SQLITE_TRANSIENT);
    }
    int run() {
        const int rc = sqlite3_step(stmt_);
        sqlite3_reset(stmt_);
        sqlite3_clear_bindings(stmt_);
        return rc == SQLITE_DONE ? SQLITE_OK : rc;
    }

private:
    sqlite3_stmt* stmt_ = nullptr;
};

// The session being written, as far as the file has it.
struct Current {
    bool open = false;
    SessionInfo info;
    qint64 day = 0;
    qint64 id = 0;  // 0: no row yet
    qint64 judged = 0, right = 0, activeMs = 0;
    qint64 endedMs = 0;
};

}  // namespace

struct Recorder::Impl {
    QString path;
    Options options;

    mutable std::mutex m;
    mutable std::condition_variable wake;   // the writer waits on it
    mutable std::condition_variable done;   // sync() and waitReady() wait on it
    std::deque<Item> queue;
    Clock::time_point firstWaiting;
    bool stop = false;
    quint64 wanted = 0;   // commits asked for
    quint64 written = 0;  // commits done (or given up)
    bool lastWriteOk = true;
    std::atomic<State> state{State::Opening};
    QStringList messages;
    QSet<QString> told;   // kinds of message already given

    // Writer thread only.
    sqlite3* db = nullptr;
    std::unique_ptr<QLockFile> lock;
    Statement insertSession, updateSession, insertJudged, insertKey;
    Statement getTotal, putTotal, getDay, putDay;
    Current current;
    QHash<char16_t, QString> codes;
    // The batch's additions to char_total and char_day.
    QHash<char16_t, Sums> total;
    QHash<QPair<qint64, char16_t>, Sums> perDay;
    std::thread thread;

    void say(const QString& kind, const QString& text) {
        std::lock_guard<std::mutex> g(m);
        if (told.contains(kind)) return;
        told.insert(kind);
        messages << text;
    }

    bool prepare() {
        return insertSession.prepare(
                   db,
                   "INSERT INTO session(kind, started_ms, ended_ms, path, name, remote, lesson, "
                   "judged, right, active_ms, repeats, day) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, "
                   "?9, ?10, ?11, ?12)") &&
               updateSession.prepare(db,
                                     "UPDATE session SET ended_ms = ?1, judged = ?2, right = ?3, "
                                     "active_ms = ?4 WHERE id = ?5") &&
               insertJudged.prepare(
                   db,
                   "INSERT INTO judged(session, line, pos, target, typed, right, ms, hint_display, "
                   "code_hints, code) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10)") &&
               insertKey.prepare(db,
                                 "INSERT INTO keystroke(session, lesson, item, expected, typed, "
                                 "right, ms) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7)") &&
               getTotal.prepare(db,
                                "SELECT judged, missed, latencies FROM char_total WHERE target = ?1") &&
               // A code not found this time (no dictionary) keeps the one found before.
               putTotal.prepare(db,
                                "INSERT OR REPLACE INTO char_total(target, code, judged, missed, "
                                "latencies) VALUES(?1, coalesce(?2, (SELECT code FROM char_total "
                                "WHERE target = ?1)), ?3, ?4, ?5)") &&
               getDay.prepare(db,
                              "SELECT judged, missed, latencies FROM char_day WHERE day = ?1 AND "
                              "target = ?2") &&
               putDay.prepare(db,
                              "INSERT OR REPLACE INTO char_day(day, target, judged, missed, "
                              "latencies) VALUES(?1, ?2, ?3, ?4, ?5)");
    }

    void closeDb() {
        for (Statement* st : {&insertSession, &updateSession, &insertJudged, &insertKey, &getTotal,
                              &putTotal, &getDay, &putDay})
            st->reset();
        if (db) sqlite3_close_v2(db);
        db = nullptr;
    }

    QString codeOf(char16_t target) {
        if (target == 0 || !options.codeOf) return {};
        auto it = codes.constFind(target);
        if (it != codes.cend()) return *it;
        const QString code = options.codeOf(QChar(target));
        codes.insert(target, code);
        return code;
    }

    int ensureRow(Current& c) {
        if (c.id != 0) return SQLITE_OK;
        const qint64 now = wallNow();
        Statement& s = insertSession;
        s.bind(1, qint64(c.info.kind));
        s.bind(2, c.info.startedMs);
        s.bind(3, std::max(c.info.startedMs, now));
        s.bind(4, c.info.path);
        s.bind(5, c.info.name);
        s.bind(6, qint64(c.info.remote ? 1 : 0));
        if (c.info.lesson.isEmpty()) {
            s.bindNull(7);
        } else {
            s.bind(7, c.info.lesson);
        }
        s.bind(8, c.judged);
        s.bind(9, c.right);
        s.bind(10, c.activeMs);
        s.bind(11, qint64(c.info.repeats));
        s.bind(12, c.day);
        const int rc = s.run();
        if (rc == SQLITE_OK) c.id = sqlite3_last_insert_rowid(db);
        return rc;
    }

    int updateRow(const Current& c, qint64 endedMs) {
        if (c.id == 0) return SQLITE_OK;
        Statement& s = updateSession;
        s.bind(1, std::max(c.info.startedMs, endedMs));
        s.bind(2, c.judged);
        s.bind(3, c.right);
        s.bind(4, c.activeMs);
        s.bind(5, c.id);
        return s.run();
    }

    static void count(Current& c, bool right, qint32 gapMs) {
        ++c.judged;
        if (right) ++c.right;
        if (gapMs >= 0 && gapMs <= kPauseMs) c.activeMs += gapMs;
    }

    int writeItem(Current& c, Item& item) {
        if (auto* b = std::get_if<Begin>(&item)) {
            // The session before ends where this one starts.
            int rc = c.open ? updateRow(c, b->info.startedMs) : SQLITE_OK;
            c = Current{};
            c.open = true;
            c.info = b->info;
            c.day = dayOf(c.info.startedMs);
            return rc;
        }
        if (auto* e = std::get_if<End>(&item)) {
            int rc = c.open ? updateRow(c, e->endedMs) : SQLITE_OK;
            c = Current{};
            return rc;
        }
        if (auto* row = std::get_if<CharRow>(&item)) {
            if (!c.open) return SQLITE_OK;  // judged outside a session: nothing to file it under
            count(c, row->right, row->gapMs);
            int rc = ensureRow(c);
            if (rc != SQLITE_OK) return rc;
            Statement& s = insertJudged;
            s.bind(1, c.id);
            s.bind(2, qint64(row->line));
            s.bind(3, qint64(row->pos));
            s.bindUnit(4, row->target);
            s.bindUnit(5, row->typed);
            s.bind(6, qint64(row->right ? 1 : 0));
            s.bindOptional(7, row->ms);
            s.bind(8, qint64(row->hintDisplay ? 1 : 0));
            s.bind(9, qint64(row->codeHints ? 1 : 0));
            const QString code = codeOf(row->target);
            if (code.isEmpty()) {
                s.bindNull(10);
            } else {
                s.bind(10, code);
            }
            if (row->target != 0) {
                for (Sums* sums : {&total[row->target], &perDay[{c.day, row->target}]}) {
                    ++sums->judged;
                    if (!row->right) ++sums->missed;
                    if (row->ms >= 0) sums->latencies.add(row->ms);
                }
            }
            return s.run();
        }
        if (auto* key = std::get_if<KeyRow>(&item)) {
            if (!c.open) return SQLITE_OK;
            count(c, key->right, key->gapMs);
            int rc = ensureRow(c);
            if (rc != SQLITE_OK) return rc;
            Statement& s = insertKey;
            s.bind(1, c.id);
            if (key->lesson.isEmpty()) {
                s.bindNull(2);
            } else {
                s.bind(2, key->lesson);
            }
            s.bind(3, key->item);
            s.bindLetter(4, key->expected);
            s.bindLetter(5, key->typed);
            s.bind(6, qint64(key->right ? 1 : 0));
            s.bindOptional(7, key->ms);
            return s.run();
        }
        if (auto* job = std::get_if<Job>(&item)) {
            int rc = sqlite3_exec(db, "SAVEPOINT job", nullptr, nullptr, nullptr);
            if (rc != SQLITE_OK) return rc;
            const bool ok = (*job)(db);
            if (!ok) sqlite3_exec(db, "ROLLBACK TO job", nullptr, nullptr, nullptr);
            return sqlite3_exec(db, "RELEASE job", nullptr, nullptr, nullptr);
        }
        return SQLITE_OK;
    }

    // Adds `add` to the row that `get` finds (bound by `bindKey`) and writes it back with `put`.
    template <class BindKey>
    int addSums(Statement& get, Statement& put, const Sums& add, BindKey bindKey,
                const QString* code) {
        Sums now = add;
        bindKey(get);
        int rc = sqlite3_step(get.get());
        if (rc == SQLITE_ROW) {
            now.judged += sqlite3_column_int64(get.get(), 0);
            now.missed += sqlite3_column_int64(get.get(), 1);
            const auto* blob = static_cast<const char*>(sqlite3_column_blob(get.get(), 2));
            now.latencies.merge(
                Histogram::decode(QByteArray(blob, sqlite3_column_bytes(get.get(), 2))));
            rc = SQLITE_OK;
        } else if (rc == SQLITE_DONE) {
            rc = SQLITE_OK;
        }
        sqlite3_reset(get.get());
        sqlite3_clear_bindings(get.get());
        if (rc != SQLITE_OK) return rc;
        const int n = bindKey(put);
        if (code) {
            code->isEmpty() ? put.bindNull(n) : put.bind(n, *code);
        }
        const int base = code ? n + 1 : n;
        put.bind(base, now.judged);
        put.bind(base + 1, now.missed);
        put.bindBlob(base + 2, now.latencies.encode());
        return put.run();
    }

    int writeSums() {
        for (auto it = total.cbegin(); it != total.cend(); ++it) {
            const char16_t target = it.key();
            const QString code = codeOf(target);
            const int rc = addSums(getTotal, putTotal, it.value(),
                                   [target](Statement& st) {
                                       st.bindUnit(1, target);
                                       return 2;
                                   },
                                   &code);
            if (rc != SQLITE_OK) return rc;
        }
        for (auto it = perDay.cbegin(); it != perDay.cend(); ++it) {
            const qint64 day = it.key().first;
            const char16_t target = it.key().second;
            const int rc = addSums(getDay, putDay, it.value(),
                                   [day, target](Statement& st) {
                                       st.bind(1, day);
                                       st.bindUnit(2, target);
                                       return 3;
                                   },
                                   nullptr);
            if (rc != SQLITE_OK) return rc;
        }
        return SQLITE_OK;
    }

    // One transaction for the batch; the result code of the first failure.
    int writeBatch(std::deque<Item>& batch) {
        int rc = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK) return rc;
        Current c = current;
        total.clear();
        perDay.clear();
        for (Item& item : batch) {
            rc = writeItem(c, item);
            if (rc != SQLITE_OK) break;
        }
        if (rc == SQLITE_OK) rc = writeSums();
        if (rc == SQLITE_OK && c.open) rc = updateRow(c, wallNow());
        if (rc == SQLITE_OK) rc = sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK) {
            sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
            return rc;
        }
        current = c;
        return SQLITE_OK;
    }

    // False when the batch must wait for another try (or the record is off).
    bool write(std::deque<Item>& batch) {
        int rc = writeBatch(batch);
        if (rc == SQLITE_OK) return true;
        const QString why = sqliteReason(db);
        const int p = primary(rc);
        if (p == SQLITE_CORRUPT || p == SQLITE_NOTADB) {
            if (!replace()) {
                turnOff();
                return false;
            }
            if (writeBatch(batch) == SQLITE_OK) return true;
        }
        say(QStringLiteral("write"),
            QStringLiteral("\r练习记录 %1 暂时无法写入：%2\r\r练习照常进行，能写入时会把这段时间的记录补上。")
                .arg(QDir::toNativeSeparators(path), why));
        return false;
    }

    // Sets the damaged file aside and goes on in a new one: the session starts a new row there.
    bool replace() {
        closeDb();
        Opened fresh = replaceDamaged(path);
        if (fresh.status != OpenStatus::Ok || !(db = fresh.db, prepare())) {
            closeDb();
            say(QStringLiteral("off"), fresh.message);
            return false;
        }
        say(QStringLiteral("damaged"), fresh.message);
        current.id = 0;
        current.judged = current.right = current.activeMs = 0;
        return true;
    }

    void turnOff() {
        std::lock_guard<std::mutex> g(m);
        state = State::Off;
        queue.clear();
        written = wanted;
        done.notify_all();
    }

    void run() {
        Opened opened = openForWriting(path, &lock);
        if (!opened.message.isEmpty()) say(QStringLiteral("open"), opened.message);
        if (opened.status != OpenStatus::Ok) return turnOff();
        db = opened.db;
        if (!prepare()) {
            say(QStringLiteral("open"),
                QStringLiteral("\r无法使用练习记录 %1：%2\r\r这次练习不作记录。")
                    .arg(QDir::toNativeSeparators(path), sqliteReason(db)));
            closeDb();
            return turnOff();
        }
        {
            std::lock_guard<std::mutex> g(m);
            state = State::On;
            done.notify_all();
        }
        // Damage deep inside the file shows only when every page is read. Rows handed over
        // meanwhile wait, and go into the new file if this one is set aside.
        if (!intact(db) && !replace()) return turnOff();

        std::unique_lock<std::mutex> lk(m);
        while (true) {
            // Wait for a commit asked for, the interval, or the end.
            while (!stop && written == wanted) {
                if (queue.empty()) {
                    wake.wait(lk);
                } else if (wake.wait_until(lk, firstWaiting + std::chrono::milliseconds(
                                                                  options.commitIntervalMs)) ==
                           std::cv_status::timeout) {
                    break;
                }
            }
            std::deque<Item> batch;
            batch.swap(queue);
            const quint64 gen = wanted;
            const bool stopping = stop;
            lk.unlock();
            const bool ok = batch.empty() || write(batch);
            lk.lock();
            if (state == State::Off) break;
            if (!ok) {
                // Keep the batch ahead of what came meanwhile, and try again after an interval.
                for (auto it = batch.rbegin(); it != batch.rend(); ++it) queue.push_front(std::move(*it));
                firstWaiting = Clock::now();
                if (queue.size() > kMaxWaiting) {
                    lk.unlock();
                    say(QStringLiteral("off"),
                        QStringLiteral("\r练习记录 %1 长时间无法写入，这次练习不再记录。")
                            .arg(QDir::toNativeSeparators(path)));
                    turnOff();
                    lk.lock();
                    break;
                }
            }
            lastWriteOk = ok;
            written = gen;
            done.notify_all();
            if (stopping) break;
        }
        lk.unlock();
        closeDb();
        if (lock) lock->unlock();
    }
};

Recorder::Recorder(const QString& path) : Recorder(path, Options()) {}

Recorder::Recorder(const QString& path, Options options) : d(std::make_unique<Impl>()) {
    d->path = path;
    d->options = std::move(options);
    if (d->options.commitIntervalMs <= 0) d->options.commitIntervalMs = 5000;
    d->thread = std::thread([impl = d.get()] { impl->run(); });
}

Recorder::~Recorder() {
    {
        std::lock_guard<std::mutex> g(d->m);
        d->stop = true;
        ++d->wanted;
    }
    d->wake.notify_one();
    d->thread.join();
}

QString Recorder::path() const { return d->path; }

Recorder::State Recorder::state() const { return d->state; }

bool Recorder::waitReady(int timeoutMs) const {
    std::unique_lock<std::mutex> lk(d->m);
    return d->done.wait_for(lk, std::chrono::milliseconds(timeoutMs),
                            [this] { return d->state != State::Opening; });
}

QString Recorder::takeMessage() {
    std::lock_guard<std::mutex> g(d->m);
    return d->messages.isEmpty() ? QString() : d->messages.takeFirst();
}

namespace {
template <class T>
void enqueue(Recorder::State state, std::mutex& m, std::condition_variable& wake,
             std::deque<Item>& queue, Clock::time_point& first, T&& item) {
    if (state == Recorder::State::Off) return;
    std::lock_guard<std::mutex> g(m);
    if (queue.empty()) {
        first = Clock::now();
        // The writer sleeps without a deadline while nothing waits: give it one.
        wake.notify_one();
    }
    queue.emplace_back(std::forward<T>(item));
}
}  // namespace

void Recorder::beginSession(const SessionInfo& info) {
    SessionInfo i = info;
    if (i.startedMs == 0) i.startedMs = wallNow();
    enqueue(d->state, d->m, d->wake, d->queue, d->firstWaiting, Begin{std::move(i)});
}

void Recorder::endSession() {
    enqueue(d->state, d->m, d->wake, d->queue, d->firstWaiting, End{wallNow()});
}

void Recorder::add(const CharRow& row) {
    enqueue(d->state, d->m, d->wake, d->queue, d->firstWaiting, row);
}

void Recorder::addKey(const KeyRow& row) {
    enqueue(d->state, d->m, d->wake, d->queue, d->firstWaiting, row);
}

void Recorder::post(Job job) {
    enqueue(d->state, d->m, d->wake, d->queue, d->firstWaiting, std::move(job));
}

void Recorder::commit() {
    {
        std::lock_guard<std::mutex> g(d->m);
        if (d->state == State::Off) return;
        ++d->wanted;
    }
    d->wake.notify_one();
}

bool Recorder::sync(int timeoutMs) {
    std::unique_lock<std::mutex> lk(d->m);
    if (d->state == State::Off) return false;
    const quint64 target = ++d->wanted;
    d->wake.notify_one();
    const bool reached = d->done.wait_for(lk, std::chrono::milliseconds(timeoutMs), [&] {
        return d->written >= target || d->state == State::Off;
    });
    return reached && d->state == State::On && d->lastWriteOk && d->queue.empty();
}

}  // namespace ml::record
