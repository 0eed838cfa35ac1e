#include "record/store.h"

#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "record/schema.h"

namespace ml::record {

namespace {

const QString CR = QStringLiteral("\r");
const QByteArray kSqliteMagic("SQLite format 3\0", 16);

QString shown(const QString& path) { return QDir::toNativeSeparators(path); }

int primary(int rc) { return rc & 0xff; }

bool isDamage(int rc) { return primary(rc) == SQLITE_CORRUPT || primary(rc) == SQLITE_NOTADB; }

enum class Header { Empty, Sqlite, Other, Unreadable };

Header readHeader(const QString& path, QString* why) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        *why = f.errorString();
        return Header::Unreadable;
    }
    if (f.size() == 0) return Header::Empty;
    return f.read(kSqliteMagic.size()) == kSqliteMagic ? Header::Sqlite : Header::Other;
}

// One value of a one-row statement (a pragma); the SQLite result code of its first step.
int queryText(sqlite3* db, const char* sql, QString* value) {
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr);
    if (rc != SQLITE_OK) return rc;
    rc = sqlite3_step(stmt);
    if (rc == SQLITE_ROW) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
        if (value) *value = text ? QString::fromUtf8(text) : QString();
        rc = SQLITE_OK;
    } else if (rc == SQLITE_DONE) {
        if (value) value->clear();
        rc = SQLITE_OK;
    }
    sqlite3_finalize(stmt);
    return rc;
}

int exec(sqlite3* db, const char* sql) { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr); }

// The record's own tables, as far as they are there.
int ownTables(sqlite3* db, int* own, int* all) {
    QString n;
    int rc = queryText(db, "SELECT count(*) FROM sqlite_master WHERE type = 'table'", &n);
    if (rc != SQLITE_OK) return rc;
    *all = n.toInt();
    rc = queryText(db,
                   "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name IN "
                   "('session', 'judged', 'keystroke')",
                   &n);
    *own = n.toInt();
    return rc;
}

QString notARecord(const QString& path, bool writing) {
    QString s = CR + QStringLiteral("文件 ") + shown(path) + QStringLiteral(" 不是墨岚打字通的练习记录。");
    if (writing) {
        s += CR + CR + QStringLiteral("这个文件原样保留，这次练习不作记录。要重新记录，请把它改名或移走。");
    }
    return s;
}

QString newer(const QString& path, int version, bool writing) {
    return CR + QStringLiteral("练习记录 ") + shown(path) +
           QStringLiteral(" 是更新版本的墨岚打字通写的（记录格式第 %1 版，这个版本只认识到第 %2 版）。")
               .arg(version)
               .arg(schemaVersion()) +
           CR + CR +
           (writing ? QStringLiteral("记录原样保留，这次练习不作记录。请使用更新版本的墨岚打字通。")
                    : QStringLiteral("请使用更新版本的墨岚打字通查看。"));
}

QString locked(const QString& path) {
    return CR + QStringLiteral("练习记录 ") + shown(path) +
           QStringLiteral(" 正被另一个运行中的墨岚打字通（或别的程序）使用。") + CR + CR +
           QStringLiteral("这次练习不作记录。关掉另一个墨岚打字通，再启动这一个，就会记录了。");
}

QString readOnly(const QString& path) {
    return CR + QStringLiteral("无法写入练习记录 ") + shown(path) +
           QStringLiteral("：程序文件夹或这个文件是只读的。") + CR + CR +
           QStringLiteral("这次练习不作记录。");
}

QString failed(const QString& path, const QString& why, bool writing) {
    return CR + (writing ? QStringLiteral("无法使用练习记录 ") : QStringLiteral("无法读取练习记录 ")) +
           shown(path) + QStringLiteral("：") + why +
           (writing ? CR + CR + QStringLiteral("这次练习不作记录。") : QString());
}

QString movedAside(const QString& path, const QString& aside) {
    return CR + QStringLiteral("练习记录 ") + shown(path) + QStringLiteral(" 已损坏，已改名为 ") +
           shown(aside) + QStringLiteral(" 保留。") + CR + CR +
           QStringLiteral("新建了一个练习记录，以后的练习记在新文件里。");
}

Opened fail(sqlite3*& db, OpenStatus status, const QString& message) {
    if (db) sqlite3_close_v2(db);
    db = nullptr;
    return {nullptr, status, message};
}

// Classifies a failed call while opening for writing.
Opened failWriting(sqlite3*& db, const QString& path, int rc) {
    const QString why = sqliteReason(db);
    switch (primary(rc)) {
        case SQLITE_BUSY:
        case SQLITE_LOCKED: return fail(db, OpenStatus::Locked, locked(path));
        case SQLITE_READONLY:
        case SQLITE_PERM: return fail(db, OpenStatus::ReadOnly, readOnly(path));
        default: return fail(db, OpenStatus::Failed, failed(path, why, true));
    }
}

bool folderWritable(const QString& path) {
    const QFileInfo folder(QFileInfo(path).absolutePath());
    return folder.isDir() && folder.isWritable();
}

int migrate(sqlite3* db, int from, QString* why) {
    for (const Migration& step : migrations()) {
        if (step.version <= from) continue;
        int rc = exec(db, "BEGIN IMMEDIATE");
        if (rc != SQLITE_OK) return rc;
        if (step.sql) rc = exec(db, step.sql);
        if (rc == SQLITE_OK && step.run && !step.run(db, why)) rc = SQLITE_ERROR;
        if (rc == SQLITE_OK) {
            const QByteArray set = "PRAGMA user_version = " + QByteArray::number(step.version);
            rc = exec(db, set.constData());
        }
        if (rc == SQLITE_OK) rc = exec(db, "COMMIT");
        if (rc != SQLITE_OK) {
            if (why && why->isEmpty()) *why = sqliteReason(db);
            exec(db, "ROLLBACK");
            return rc;
        }
    }
    return SQLITE_OK;
}

// Moves the damaged file (and its journal) aside; the new name, or "" when it could not be moved.
QString moveAside(const QString& path) {
    const QString aside = asideName(path, QDateTime::currentDateTime());
    if (!QFile::rename(path, aside)) return {};
    // The journal belongs to the file: what it holds is part of the learner's record.
    for (const char* suffix : {"-wal", "-shm"}) {
        const QString from = path + QLatin1String(suffix);
        if (QFileInfo::exists(from)) QFile::rename(from, aside + QLatin1String(suffix));
    }
    return aside;
}

Opened openWritable(const QString& path, bool mayRecover) {
    sqlite3* db = nullptr;
    QString why;
    const bool existed = QFileInfo::exists(path);
    if (existed) {
        switch (readHeader(path, &why)) {
            case Header::Other: return fail(db, OpenStatus::NotARecord, notARecord(path, true));
            case Header::Unreadable: return fail(db, OpenStatus::Failed, failed(path, why, true));
            case Header::Empty:
            case Header::Sqlite: break;
        }
    } else if (!folderWritable(path)) {
        return fail(db, OpenStatus::ReadOnly, readOnly(path));
    }

    int rc = sqlite3_open_v2(path.toUtf8().constData(), &db,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc != SQLITE_OK) {
        if (!folderWritable(path)) return fail(db, OpenStatus::ReadOnly, readOnly(path));
        return failWriting(db, path, rc);
    }
    if (sqlite3_db_readonly(db, "main") == 1) return fail(db, OpenStatus::ReadOnly, readOnly(path));
    // Long enough for a reader's snapshot to end, short enough not to be felt.
    sqlite3_busy_timeout(db, 250);

    auto damaged = [&]() -> Opened {
        sqlite3_close_v2(db);
        db = nullptr;
        if (!mayRecover) return fail(db, OpenStatus::Failed, failed(path, why, true));
        const QString aside = moveAside(path);
        if (aside.isEmpty()) {
            return fail(db, OpenStatus::Failed,
                        failed(path, QStringLiteral("文件已损坏，也无法改名保留"), true));
        }
        Opened fresh = openWritable(path, false);
        if (fresh.status == OpenStatus::Ok) fresh.message = movedAside(path, aside);
        return fresh;
    };

    // Nothing is changed before the version is known: a newer file stays exactly as it is.
    QString value;
    rc = queryText(db, "PRAGMA user_version", &value);
    if (isDamage(rc)) {
        why = sqliteReason(db);
        return damaged();
    }
    if (rc != SQLITE_OK) return failWriting(db, path, rc);
    const int version = value.toInt();
    if (version > schemaVersion()) return fail(db, OpenStatus::Newer, newer(path, version, true));

    int own = 0, all = 0;
    rc = ownTables(db, &own, &all);
    if (isDamage(rc)) {
        why = sqliteReason(db);
        return damaged();
    }
    if (rc != SQLITE_OK) return failWriting(db, path, rc);
    // Another program's database under this name: not ours to add tables to.
    if ((version == 0 && all > 0) || (version > 0 && own < 3))
        return fail(db, OpenStatus::NotARecord, notARecord(path, true));

    rc = queryText(db, "PRAGMA journal_mode = WAL", &value);
    if (rc != SQLITE_OK) return failWriting(db, path, rc);
    rc = exec(db, "PRAGMA synchronous = NORMAL");
    if (rc != SQLITE_OK) return failWriting(db, path, rc);

    rc = migrate(db, version, &why);
    if (isDamage(rc)) return damaged();
    if (rc != SQLITE_OK) return failWriting(db, path, rc);
    return {db, OpenStatus::Ok, {}};
}

}  // namespace

QString sqliteReason(sqlite3* db) {
    if (!db) return QStringLiteral("内存不足");
    const QString detail = QString::fromUtf8(sqlite3_errmsg(db));
    QString plain;
    switch (primary(sqlite3_extended_errcode(db))) {
        case SQLITE_FULL: plain = QStringLiteral("磁盘已满"); break;
        case SQLITE_READONLY: plain = QStringLiteral("文件是只读的"); break;
        case SQLITE_PERM:
        case SQLITE_AUTH: plain = QStringLiteral("没有权限"); break;
        case SQLITE_CORRUPT:
        case SQLITE_NOTADB: plain = QStringLiteral("文件已损坏"); break;
        case SQLITE_IOERR: plain = QStringLiteral("读写文件出错"); break;
        case SQLITE_BUSY:
        case SQLITE_LOCKED: plain = QStringLiteral("文件正被占用"); break;
        case SQLITE_CANTOPEN: plain = QStringLiteral("无法打开文件"); break;
        case SQLITE_NOMEM: plain = QStringLiteral("内存不足"); break;
        default: return detail;
    }
    return plain + QStringLiteral("（") + detail + QStringLiteral("）");
}

QString asideName(const QString& path, const QDateTime& when) {
    const QFileInfo info(path);
    const QString stem = info.dir().filePath(info.completeBaseName() + QStringLiteral(".损坏-") +
                                             when.toString(QStringLiteral("yyyyMMdd-HHmmss")));
    const QString suffix = info.suffix().isEmpty() ? QString() : u'.' + info.suffix();
    QString candidate = stem + suffix;
    for (int n = 2; QFileInfo::exists(candidate) || QFileInfo::exists(candidate + QStringLiteral("-wal")); ++n)
        candidate = stem + QStringLiteral("-%1").arg(n) + suffix;
    return candidate;
}

Opened openForWriting(const QString& path, std::unique_ptr<QLockFile>* lock) {
    sqlite3* none = nullptr;
    if (!QFileInfo(QFileInfo(path).absolutePath()).isDir())
        return fail(none, OpenStatus::Failed,
                    failed(path, QStringLiteral("程序文件夹不存在"), true));
    // The lock first: a second tutor must not even read the file's header as its own.
    auto lf = std::make_unique<QLockFile>(path + QStringLiteral(".lock"));
    // Only a lock whose process is gone is stale; a tutor practising for hours keeps it.
    lf->setStaleLockTime(0);
    if (!lf->tryLock(0)) {
        switch (lf->error()) {
            case QLockFile::LockFailedError: return fail(none, OpenStatus::Locked, locked(path));
            case QLockFile::PermissionError: return fail(none, OpenStatus::ReadOnly, readOnly(path));
            default:
                return fail(none, OpenStatus::Failed,
                            failed(path, QStringLiteral("无法建立锁文件"), true));
        }
    }
    Opened opened = openWritable(path, true);
    if (opened.status == OpenStatus::Ok) {
        *lock = std::move(lf);
    } else {
        lf->unlock();
    }
    return opened;
}

bool intact(sqlite3* db) {
    QString value;
    const int rc = queryText(db, "PRAGMA quick_check(1)", &value);
    return !isDamage(rc) && !(rc == SQLITE_OK && value != QLatin1String("ok"));
}

Opened replaceDamaged(const QString& path) {
    sqlite3* none = nullptr;
    const QString aside = moveAside(path);
    if (aside.isEmpty())
        return fail(none, OpenStatus::Failed,
                    failed(path, QStringLiteral("文件已损坏，也无法改名保留"), true));
    Opened fresh = openWritable(path, false);
    if (fresh.status == OpenStatus::Ok) fresh.message = movedAside(path, aside);
    return fresh;
}

Opened openForReading(const QString& path) {
    sqlite3* db = nullptr;
    QString why;
    if (!QFileInfo::exists(path)) return {nullptr, OpenStatus::Missing, {}};
    switch (readHeader(path, &why)) {
        case Header::Empty: return {nullptr, OpenStatus::Missing, {}};
        case Header::Other: return fail(db, OpenStatus::NotARecord, notARecord(path, false));
        case Header::Unreadable: return fail(db, OpenStatus::Failed, failed(path, why, false));
        case Header::Sqlite: break;
    }
    auto damaged = [&]() {
        return fail(db, OpenStatus::Damaged,
                    CR + QStringLiteral("练习记录 ") + shown(path) + QStringLiteral(" 已损坏：") +
                        sqliteReason(db) + CR + CR +
                        QStringLiteral("下次启动墨岚打字通时，它会被改名保留，并新建一个练习记录。"));
    };
    int rc = sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    if (rc != SQLITE_OK) return fail(db, OpenStatus::Failed, failed(path, sqliteReason(db), false));
    sqlite3_busy_timeout(db, 1000);
    QString value;
    rc = queryText(db, "PRAGMA user_version", &value);
    if (isDamage(rc)) return damaged();
    if (rc != SQLITE_OK) return fail(db, OpenStatus::Failed, failed(path, sqliteReason(db), false));
    const int version = value.toInt();
    if (version > schemaVersion()) return fail(db, OpenStatus::Newer, newer(path, version, false));
    int own = 0, all = 0;
    rc = ownTables(db, &own, &all);
    if (isDamage(rc)) return damaged();
    if (rc != SQLITE_OK) return fail(db, OpenStatus::Failed, failed(path, sqliteReason(db), false));
    if (version == 0 && all == 0) {
        // Created but never written: no record yet.
        sqlite3_close_v2(db);
        return {nullptr, OpenStatus::Missing, {}};
    }
    if ((version == 0 && all > 0) || own < 3)
        return fail(db, OpenStatus::NotARecord, notARecord(path, false));
    if (version < schemaVersion()) {
        // Written by an older tutor and not opened by this one since: bring it up to date.
        sqlite3_close_v2(db);
        db = nullptr;
        rc = sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
        if (rc == SQLITE_OK) {
            sqlite3_busy_timeout(db, 1000);
            rc = migrate(db, version, &why);
        }
        if (isDamage(rc)) return damaged();
        if (rc != SQLITE_OK)
            return fail(db, OpenStatus::Failed,
                        failed(path, why.isEmpty() ? sqliteReason(db) : why, false));
    }
    return {db, OpenStatus::Ok, {}};
}

}  // namespace ml::record
