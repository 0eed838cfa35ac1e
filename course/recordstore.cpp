#include "course/recordstore.h"

#include <sqlite3.h>

#include <QFileInfo>
#include <QSaveFile>

#include "record/reader.h"
#include "record/recorder.h"

namespace ml::course {

namespace {

QString text(sqlite3_stmt* st, int col) {
    const auto* p = static_cast<const char16_t*>(sqlite3_column_text16(st, col));
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
    bool done() { return sqlite3_step(st) == SQLITE_DONE; }
};

char letter(QChar c) { return c.unicode() < 0x80 ? char(c.unicode()) : 0; }

QString csvKey(const QString& k) { return k == u" " ? QStringLiteral("space") : k; }

QString csvField(const QString& s) {
    if (!s.contains(u',') && !s.contains(u'"') && !s.contains(u'\n') && !s.contains(u'\r'))
        return s;
    QString q = s;
    q.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return u'"' + q + u'"';
}

}  // namespace

RecordStore::RecordStore(record::Recorder& recorder, QString path)
    : recorder_(recorder), path_(std::move(path)) {}

RecordStore::RecordStore(std::unique_ptr<record::Recorder> recorder, QString path)
    : own_(std::move(recorder)), recorder_(*own_), path_(std::move(path)) {}

// The writer, when it is ours, writes what is still waiting as it closes.
RecordStore::~RecordStore() = default;

void RecordStore::beginLesson(const QString& lesson) {
    record::SessionInfo info;
    info.kind = record::SessionKind::Drill;
    info.lesson = lesson;
    recorder_.beginSession(info);
}

void RecordStore::endLesson() { recorder_.endSession(); }

void RecordStore::addKey(const KeyRecord& key) {
    record::KeyRow row;
    row.lesson = key.lesson;
    const auto parsed = parseItemKey(key.item);
    row.item = !key.label.isEmpty() ? key.label : parsed ? parsed->second : key.item;
    row.expected = letter(key.expected);
    row.typed = letter(key.typed);
    row.right = key.right;
    row.ms = qint32(std::min<qint64>(key.ms, std::numeric_limits<qint32>::max()));
    row.gapMs = row.ms;
    recorder_.addKey(row);
}

bool RecordStore::read(const std::function<void(sqlite3*)>& query) {
    record::OpenStatus status;
    QString why;
    auto reader = record::RecordReader::open(path_, &status, &why);
    if (!reader) {
        if (status != record::OpenStatus::Missing && message_.isEmpty()) message_ = why;
        return status == record::OpenStatus::Missing;
    }
    query(reader->handle());
    return true;
}

QHash<QString, ItemStats> RecordStore::itemStats() {
    QHash<QString, ItemStats> out;
    read([&out](sqlite3* db) {
        Stmt n(db, "SELECT count(*) FROM drill_item");
        if (n && sqlite3_step(n.st) == SQLITE_ROW) out.reserve(sqlite3_column_int(n.st, 0));
        Stmt q(db,
               "SELECT item, lesson, seen, missed, miss_rate, ms_per_key, last_s, box, due_s"
               " FROM drill_item");
        while (q && sqlite3_step(q.st) == SQLITE_ROW) {
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
    });
    return out;
}

void RecordStore::saveItemStats(const QList<ItemStats>& stats) {
    recorder_.post([stats](sqlite3* db) {
        Stmt q(db,
               "INSERT OR REPLACE INTO drill_item(item, lesson, seen, missed, miss_rate,"
               " ms_per_key, last_s, box, due_s) VALUES(?,?,?,?,?,?,?,?,?)");
        if (!q) return false;
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
            if (!q.done()) return false;
            sqlite3_reset(q.st);
        }
        return true;
    });
}

QHash<QString, LessonProgress> RecordStore::progress() {
    QHash<QString, LessonProgress> out;
    read([&out](sqlite3* db) {
        Stmt q(db,
               "SELECT lesson, passed, rounds, best_speed, best_accuracy, goal_accuracy,"
               " goal_speed FROM drill_lesson");
        while (q && sqlite3_step(q.st) == SQLITE_ROW) {
            LessonProgress p;
            p.passed = sqlite3_column_int(q.st, 1) != 0;
            p.rounds = sqlite3_column_int(q.st, 2);
            p.bestSpeed = sqlite3_column_int(q.st, 3);
            p.bestAccuracy = sqlite3_column_int(q.st, 4);
            if (sqlite3_column_type(q.st, 5) != SQLITE_NULL &&
                sqlite3_column_type(q.st, 6) != SQLITE_NULL)
                p.goal = Goal{sqlite3_column_int(q.st, 5), sqlite3_column_int(q.st, 6)};
            out.insert(text(q.st, 0), p);
        }
    });
    return out;
}

void RecordStore::saveProgress(const QString& lesson, const LessonProgress& p) {
    recorder_.post([lesson, p](sqlite3* db) {
        Stmt q(db,
               "INSERT OR REPLACE INTO drill_lesson(lesson, passed, rounds, best_speed,"
               " best_accuracy, goal_accuracy, goal_speed) VALUES(?,?,?,?,?,?,?)");
        if (!q) return false;
        bind(q.st, 1, lesson);
        sqlite3_bind_int(q.st, 2, p.passed ? 1 : 0);
        sqlite3_bind_int(q.st, 3, p.rounds);
        sqlite3_bind_int(q.st, 4, p.bestSpeed);
        sqlite3_bind_int(q.st, 5, p.bestAccuracy);
        if (p.goal) {
            sqlite3_bind_int(q.st, 6, p.goal->accuracy);
            sqlite3_bind_int(q.st, 7, p.goal->speed);
        }
        return q.done();
    });
    recorder_.commit();
}

bool RecordStore::shortFirst() {
    if (!shortFirst_) {
        bool on = true;
        read([&on](sqlite3* db) {
            Stmt q(db, "SELECT value FROM drill_setting WHERE name = 'short_first'");
            if (q && sqlite3_step(q.st) == SQLITE_ROW) on = text(q.st, 0) != u"0";
        });
        shortFirst_ = on;
    }
    return *shortFirst_;
}

void RecordStore::setShortFirst(bool on) {
    shortFirst_ = on;
    recorder_.post([on](sqlite3* db) {
        Stmt q(db, "INSERT OR REPLACE INTO drill_setting(name, value) VALUES('short_first', ?)");
        if (!q) return false;
        bind(q.st, 1, on ? QStringLiteral("1") : QStringLiteral("0"));
        return q.done();
    });
    recorder_.commit();
}

void RecordStore::flush() { recorder_.commit(); }

QString RecordStore::takeMessage() {
    QString m = recorder_.takeMessage();
    if (m.isEmpty()) m.swap(message_);
    return m;
}

int exportKeysCsv(const QString& recordPath, const QString& target, QString* report) {
    record::OpenStatus status;
    QString why;
    auto reader = record::RecordReader::open(recordPath, &status, &why);
    if (!reader && status != record::OpenStatus::Missing) {
        *report = why.trimmed();
        return 1;
    }
    QByteArray csv = "lesson,item,expected,typed,right,ms\n";
    qint64 rows = 0;
    if (reader) {
        Stmt q(reader->handle(),
               "SELECT lesson, item, expected, typed, right, ms FROM keystroke ORDER BY id");
        int rc = SQLITE_ERROR;
        while (q && (rc = sqlite3_step(q.st)) == SQLITE_ROW) {
            const bool noMs = sqlite3_column_type(q.st, 5) == SQLITE_NULL;
            csv += (QStringList{csvField(text(q.st, 0)), csvField(text(q.st, 1)),
                                csvKey(text(q.st, 2)), csvKey(text(q.st, 3)),
                                sqlite3_column_int(q.st, 4) ? QStringLiteral("1") : QStringLiteral("0"),
                                noMs ? QString() : QString::number(sqlite3_column_int64(q.st, 5))}
                        .join(u',') +
                    u'\n')
                       .toUtf8();
            ++rows;
        }
        if (rc != SQLITE_DONE) {
            *report = QStringLiteral("读不出练习记录 %1：%2")
                          .arg(recordPath, QString::fromUtf8(sqlite3_errmsg(reader->handle())));
            return 1;
        }
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
