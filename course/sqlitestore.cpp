#include "course/sqlitestore.h"

#include <QDateTime>
#include <QFileInfo>
#include <QSaveFile>
#include <sqlite3.h>

namespace ml::course {

namespace {

// Keys wait in memory until this many are pending, a round ends or the window closes; with the
// write-ahead log a commit costs no disk flush, so a batch is cheap.
constexpr size_t kBatch = 32;

const char* const kSchema[] = {
    "CREATE TABLE IF NOT EXISTS drill_keys(id INTEGER PRIMARY KEY, session INTEGER NOT NULL,"
    " lesson TEXT NOT NULL, item TEXT NOT NULL, expected TEXT NOT NULL, typed TEXT NOT NULL,"
    " right INTEGER NOT NULL, ms INTEGER NOT NULL)",
    "CREATE TABLE IF NOT EXISTS drill_items(item TEXT PRIMARY KEY, lesson TEXT NOT NULL,"
    " seen INTEGER NOT NULL, missed INTEGER NOT NULL, miss_rate REAL NOT NULL,"
    " ms_per_key REAL NOT NULL, last INTEGER NOT NULL, box INTEGER NOT NULL, due INTEGER NOT NULL)",
    "CREATE TABLE IF NOT EXISTS drill_lessons(lesson TEXT PRIMARY KEY, passed INTEGER NOT NULL,"
    " rounds INTEGER NOT NULL, best_speed INTEGER NOT NULL, best_accuracy INTEGER NOT NULL,"
    " goal_accuracy INTEGER, goal_speed INTEGER)",
    "CREATE TABLE IF NOT EXISTS drill_settings(name TEXT PRIMARY KEY, value TEXT)",
};

QString text(sqlite3_stmt* st, int col) {
    const auto* p = reinterpret_cast<const char16_t*>(sqlite3_column_text16(st, col));
    return p ? QString::fromUtf16(p, sqlite3_column_bytes16(st, col) / 2) : QString();
}

void bind(sqlite3_stmt* st, int i, const QString& s) {
    sqlite3_bind_text16(st, i, s.utf16(), int(s.size() * 2), SQLITE_TRANSIENT);
}

// One prepared statement, finalised when it goes out of scope.
struct Stmt {
    sqlite3_stmt* st = nullptr;
    Stmt(sqlite3* db, const char* sql) { sqlite3_prepare_v2(db, sql, -1, &st, nullptr); }
    ~Stmt() { sqlite3_finalize(st); }
    explicit operator bool() const { return st != nullptr; }
};

QString keyName(QChar c) { return c == u' ' ? QStringLiteral("space") : QString(c); }
QChar keyOf(const QString& s) { return s == u"space" ? QChar(u' ') : s.isEmpty() ? QChar() : s[0]; }

QString csvField(const QString& s) {
    if (!s.contains(u',') && !s.contains(u'"') && !s.contains(u'\n') && !s.contains(u'\r'))
        return s;
    QString q = s;
    q.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return u'"' + q + u'"';
}

QString sqliteError(sqlite3* db) {
    return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("内存不足");
}

}  // namespace

SqliteStore::SqliteStore(sqlite3* db, bool readOnly) : db_(db), readOnly_(readOnly) {
    // A session is one opening of the record; its keys are told apart from other sessions'.
    session_ = QDateTime::currentMSecsSinceEpoch();
}

SqliteStore::~SqliteStore() {
    flush();
    sqlite3_close(db_);
}

std::unique_ptr<SqliteStore> SqliteStore::open(const QString& path, QString* error) {
    sqlite3* db = nullptr;
    const QByteArray p = path.toUtf8();
    if (sqlite3_open_v2(p.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                        nullptr) != SQLITE_OK) {
        if (error) *error = sqliteError(db);
        sqlite3_close(db);
        return nullptr;
    }
    sqlite3_busy_timeout(db, 2000);
    std::unique_ptr<SqliteStore> s(new SqliteStore(db, false));
    // A file that is not a database fails here, on its first read, and is left untouched.
    if (!s->exec("PRAGMA journal_mode=WAL") || !s->exec("PRAGMA synchronous=NORMAL")) {
        if (error) *error = s->error_;
        return nullptr;
    }
    for (const char* sql : kSchema)
        if (!s->exec(sql)) {
            if (error) *error = s->error_;
            return nullptr;
        }
    return s;
}

std::unique_ptr<SqliteStore> SqliteStore::openReadOnly(const QString& path, QString* error) {
    if (!QFileInfo(path).isFile()) {
        if (error) *error = QStringLiteral("没有练习记录");
        return nullptr;
    }
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) !=
        SQLITE_OK) {
        if (error) *error = sqliteError(db);
        sqlite3_close(db);
        return nullptr;
    }
    sqlite3_busy_timeout(db, 2000);
    return std::unique_ptr<SqliteStore>(new SqliteStore(db, true));
}

bool SqliteStore::exec(const char* sql) {
    char* msg = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &msg) == SQLITE_OK) return true;
    error_ = QString::fromUtf8(msg ? msg : sqlite3_errmsg(db_));
    sqlite3_free(msg);
    return false;
}

void SqliteStore::fail(const char* what) {
    error_ = QString::fromUtf8(what) + QStringLiteral("：") + sqliteError(db_);
}

void SqliteStore::addKey(const KeyRecord& key) {
    if (readOnly_) return;
    pending_.push_back(key);
    if (pending_.size() >= kBatch) flush();
}

void SqliteStore::flush() {
    if (readOnly_ || pending_.empty()) return;
    if (!exec("BEGIN IMMEDIATE")) return;  // kept for the next flush
    Stmt ins(db_,
             "INSERT INTO drill_keys(session, lesson, item, expected, typed, right, ms)"
             " VALUES(?,?,?,?,?,?,?)");
    bool ok = bool(ins);
    for (size_t i = 0; ok && i < pending_.size(); ++i) {
        const KeyRecord& k = pending_[i];
        sqlite3_bind_int64(ins.st, 1, session_);
        bind(ins.st, 2, k.lesson);
        bind(ins.st, 3, k.item);
        bind(ins.st, 4, keyName(k.expected));
        bind(ins.st, 5, keyName(k.typed));
        sqlite3_bind_int(ins.st, 6, k.right ? 1 : 0);
        sqlite3_bind_int64(ins.st, 7, k.ms);
        ok = sqlite3_step(ins.st) == SQLITE_DONE;
        sqlite3_reset(ins.st);
    }
    if (ok && exec("COMMIT")) {
        pending_.clear();
        return;
    }
    fail("写入练习记录");
    exec("ROLLBACK");
}

QHash<QString, ItemStats> SqliteStore::itemStats() {
    QHash<QString, ItemStats> out;
    Stmt q(db_,
           "SELECT item, lesson, seen, missed, miss_rate, ms_per_key, last, box, due"
           " FROM drill_items");
    if (!q) return out;
    while (sqlite3_step(q.st) == SQLITE_ROW) {
        ItemStats s;
        s.key = text(q.st, 0);
        s.lesson = text(q.st, 1);
        s.seen = sqlite3_column_int(q.st, 2);
        s.missed = sqlite3_column_int(q.st, 3);
        s.missRate = sqlite3_column_double(q.st, 4);
        s.msPerKey = sqlite3_column_double(q.st, 5);
        s.last = sqlite3_column_int64(q.st, 6);
        s.box = sqlite3_column_int(q.st, 7);
        s.due = sqlite3_column_int64(q.st, 8);
        out.insert(s.key, s);
    }
    return out;
}

void SqliteStore::saveItemStats(const QList<ItemStats>& stats) {
    if (readOnly_) return;
    Stmt q(db_,
           "INSERT OR REPLACE INTO drill_items(item, lesson, seen, missed, miss_rate, ms_per_key,"
           " last, box, due) VALUES(?,?,?,?,?,?,?,?,?)");
    if (!q) return fail("写入练习记录");
    for (const ItemStats& s : stats) {
        bind(q.st, 1, s.key);
        bind(q.st, 2, s.lesson);
        sqlite3_bind_int(q.st, 3, s.seen);
        sqlite3_bind_int(q.st, 4, s.missed);
        sqlite3_bind_double(q.st, 5, s.missRate);
        sqlite3_bind_double(q.st, 6, s.msPerKey);
        sqlite3_bind_int64(q.st, 7, s.last);
        sqlite3_bind_int(q.st, 8, s.box);
        sqlite3_bind_int64(q.st, 9, s.due);
        if (sqlite3_step(q.st) != SQLITE_DONE) fail("写入练习记录");
        sqlite3_reset(q.st);
    }
}

QHash<QString, LessonProgress> SqliteStore::progress() {
    QHash<QString, LessonProgress> out;
    Stmt q(db_,
           "SELECT lesson, passed, rounds, best_speed, best_accuracy, goal_accuracy, goal_speed"
           " FROM drill_lessons");
    if (!q) return out;
    while (sqlite3_step(q.st) == SQLITE_ROW) {
        LessonProgress p;
        p.passed = sqlite3_column_int(q.st, 1) != 0;
        p.rounds = sqlite3_column_int(q.st, 2);
        p.bestSpeed = sqlite3_column_int(q.st, 3);
        p.bestAccuracy = sqlite3_column_int(q.st, 4);
        if (sqlite3_column_type(q.st, 5) != SQLITE_NULL && sqlite3_column_type(q.st, 6) != SQLITE_NULL)
            p.goal = Goal{sqlite3_column_int(q.st, 5), sqlite3_column_int(q.st, 6)};
        out.insert(text(q.st, 0), p);
    }
    return out;
}

void SqliteStore::saveProgress(const QString& lesson, const LessonProgress& p) {
    if (readOnly_) return;
    Stmt q(db_,
           "INSERT OR REPLACE INTO drill_lessons(lesson, passed, rounds, best_speed, best_accuracy,"
           " goal_accuracy, goal_speed) VALUES(?,?,?,?,?,?,?)");
    if (!q) return fail("写入练习记录");
    bind(q.st, 1, lesson);
    sqlite3_bind_int(q.st, 2, p.passed ? 1 : 0);
    sqlite3_bind_int(q.st, 3, p.rounds);
    sqlite3_bind_int(q.st, 4, p.bestSpeed);
    sqlite3_bind_int(q.st, 5, p.bestAccuracy);
    if (p.goal) {
        sqlite3_bind_int(q.st, 6, p.goal->accuracy);
        sqlite3_bind_int(q.st, 7, p.goal->speed);
    }
    if (sqlite3_step(q.st) != SQLITE_DONE) fail("写入练习记录");
}

bool SqliteStore::shortFirst() {
    Stmt q(db_, "SELECT value FROM drill_settings WHERE name = 'short_first'");
    if (q && sqlite3_step(q.st) == SQLITE_ROW) return text(q.st, 0) != u"0";
    return true;
}

void SqliteStore::setShortFirst(bool on) {
    if (readOnly_) return;
    Stmt q(db_, "INSERT OR REPLACE INTO drill_settings(name, value) VALUES('short_first', ?)");
    if (!q) return fail("写入练习记录");
    bind(q.st, 1, on ? QStringLiteral("1") : QStringLiteral("0"));
    if (sqlite3_step(q.st) != SQLITE_DONE) fail("写入练习记录");
}

bool SqliteStore::forEachKey(const std::function<void(const KeyRecord&)>& fn, QString* error) {
    Stmt q(db_, "SELECT lesson, item, expected, typed, right, ms FROM drill_keys ORDER BY id");
    if (!q) {
        // A record written before any drill has no keys table yet: no keys.
        const QString why = sqliteError(db_);
        if (why.contains(QStringLiteral("no such table"))) return true;
        if (error) *error = why;
        return false;
    }
    int rc;
    while ((rc = sqlite3_step(q.st)) == SQLITE_ROW) {
        KeyRecord k;
        k.lesson = text(q.st, 0);
        k.item = text(q.st, 1);
        k.expected = keyOf(text(q.st, 2));
        k.typed = keyOf(text(q.st, 3));
        k.right = sqlite3_column_int(q.st, 4) != 0;
        k.ms = sqlite3_column_int64(q.st, 5);
        fn(k);
    }
    if (rc != SQLITE_DONE) {
        if (error) *error = sqliteError(db_);
        return false;
    }
    return true;
}

int exportKeysCsv(const QString& recordPath, const QString& target, QString* report) {
    QString why;
    auto store = SqliteStore::openReadOnly(recordPath, &why);
    QByteArray csv = "lesson,item,expected,typed,right,ms\n";
    qint64 rows = 0;
    if (store) {
        const bool ok = store->forEachKey(
            [&](const KeyRecord& k) {
                const auto parsed = parseItemKey(k.item);
                const QString item = parsed ? parsed->second : k.item;
                csv += (QStringList{csvField(k.lesson), csvField(item), keyName(k.expected),
                                    keyName(k.typed), k.right ? QStringLiteral("1") : QStringLiteral("0"),
                                    QString::number(k.ms)}
                            .join(u',') +
                        u'\n')
                           .toUtf8();
                ++rows;
            },
            &why);
        if (!ok) {
            *report = QStringLiteral("读不出练习记录 %1：%2").arg(recordPath, why);
            return 1;
        }
    } else if (QFileInfo::exists(recordPath)) {
        *report = QStringLiteral("读不出练习记录 %1：%2").arg(recordPath, why);
        return 1;
    }
    QSaveFile f(target);
    if (!f.open(QIODevice::WriteOnly) || f.write(csv) != csv.size() || !f.commit()) {
        *report = QStringLiteral("写不了 %1：%2").arg(target, f.errorString());
        return 1;
    }
    *report = QStringLiteral("已写出 %1 次按键：%2").arg(rows).arg(target);
    return 0;
}

}  // namespace ml::course
