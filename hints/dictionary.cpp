#include "hints/dictionary.h"

#include <sqlite3.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <algorithm>
#include <filesystem>
#include <system_error>

namespace ml {

namespace {

const char kSearchSql[] = "SELECT name, email FROM ppl WHERE key = ?1 ORDER BY rowid";
const QByteArray kSqliteMagic("SQLite format 3\0", 16);

QString shownPath(const QString& path) { return QDir::toNativeSeparators(path); }

QString sqliteMessage(sqlite3* db) {
    return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("内存不足");
}

// Text of a result column; std::nullopt for SQL NULL.
std::optional<QString> columnText(sqlite3_stmt* stmt, int column) {
    if (sqlite3_column_type(stmt, column) == SQLITE_NULL) return std::nullopt;
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
    const int bytes = sqlite3_column_bytes(stmt, column);
    return text ? QString::fromUtf8(text, bytes) : QString();
}

// The learner's words for a database that cannot be read, at opening or later.
QString unreadableMessage(const QString& shown, int rc, sqlite3* db) {
    const int primary = rc & 0xff;
    if (primary == SQLITE_NOTADB || primary == SQLITE_CORRUPT) {
        return QStringLiteral("%1 不是有效的编码词库（SQLite 数据库已损坏：%2）。")
            .arg(shown, sqliteMessage(db));
    }
    return QStringLiteral("无法读取编码词库 %1：%2").arg(shown, sqliteMessage(db));
}

// Leaves the statement ready for the next lookup however the current one ends.
class ResetOnExit {
public:
    explicit ResetOnExit(sqlite3_stmt* stmt) : stmt_(stmt) {}
    ~ResetOnExit() {
        sqlite3_reset(stmt_);
        sqlite3_clear_bindings(stmt_);
    }
    ResetOnExit(const ResetOnExit&) = delete;
    ResetOnExit& operator=(const ResetOnExit&) = delete;

private:
    sqlite3_stmt* stmt_;
};

bool bindText(sqlite3_stmt* stmt, int index, const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    // A non-null pointer even for "" so the value is an empty text, not NULL.
    const char* data = utf8.isEmpty() ? "" : utf8.constData();
    return sqlite3_bind_text64(stmt, index, data, sqlite3_uint64(utf8.size()), SQLITE_TRANSIENT,
                               SQLITE_UTF8) == SQLITE_OK;
}

}  // namespace

QString dictionaryKey(QStringView name) {
    qsizetype end = name.size();
    while (end > 0 && name[end - 1] == u' ') --end;
    return name.first(end).toString().toLower();
}

CodeDictionary::~CodeDictionary() { close(); }

void CodeDictionary::close() {
    if (stmt_) sqlite3_finalize(stmt_);
    stmt_ = nullptr;
    if (wordStmt_) sqlite3_finalize(wordStmt_);
    wordStmt_ = nullptr;
    wordTableMissing_ = false;
    // Closing ends the read transaction too.
    if (db_) sqlite3_close_v2(db_);
    db_ = nullptr;
}

bool CodeDictionary::open(const QString& path, QString* error) {
    close();
    const QString shown = shownPath(path);
    auto fail = [&](const QString& message) {
        close();
        if (error) *error = message;
        return false;
    };
    const QString notADictionary =
        QStringLiteral("%1 不是有效的编码词库（SQLite 数据库）。").arg(shown);

    // Look at the file ourselves first: SQLite would happily create or accept an empty file, and
    // its own messages do not tell the learner which file is wrong.
    const QFileInfo info(path);
    if (!info.exists()) return fail(QStringLiteral("找不到编码词库文件 %1。").arg(shown));
    if (info.isDir()) return fail(notADictionary);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return fail(QStringLiteral("无法读取编码词库文件 %1：%2").arg(shown, file.errorString()));
    }
    if (file.size() == 0) return fail(QStringLiteral("编码词库文件 %1 是空文件。").arg(shown));
    const QByteArray head = file.read(kSqliteMagic.size());
    file.close();
    if (head != kSqliteMagic) return fail(notADictionary);

    int rc = sqlite3_open_v2(path.toUtf8().constData(), &db_, SQLITE_OPEN_READONLY, nullptr);
    if (rc != SQLITE_OK) {
        return fail(QStringLiteral("无法打开编码词库 %1：%2").arg(shown, sqliteMessage(db_)));
    }
    // Preparing reads the schema, so a missing table or column shows up here.
    rc = sqlite3_prepare_v3(db_, kSearchSql, -1, SQLITE_PREPARE_PERSISTENT, &stmt_, nullptr);
    if (rc != SQLITE_OK) {
        if ((rc & 0xff) == SQLITE_ERROR) {
            return fail(
                QStringLiteral("%1 不是有效的编码词库：缺少编码表 ppl 或其 name、email、key "
                               "列（%2）。")
                    .arg(shown, sqliteMessage(db_)));
        }
        return fail(unreadableMessage(shown, rc, db_));
    }
    if (!beginRead()) {
        return fail(QStringLiteral("无法读取编码词库 %1：%2").arg(shown, sqliteMessage(db_)));
    }
    path_ = path;
    return true;
}

// One read transaction for the whole session: SQLite then keeps its page cache and its lock
// between lookups instead of re-reading the file header and schema on every keystroke.
bool CodeDictionary::beginRead() {
    return sqlite3_exec(db_, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK;
}

std::optional<CodeDictionary::Result> CodeDictionary::search(const QString& query) {
    lastError_.clear();
    if (!stmt_) return std::nullopt;
    auto failed = [this](int rc) -> std::optional<Result> {
        lastError_ = unreadableMessage(shownPath(path_), rc, db_);
        return std::nullopt;
    };
    // Some errors roll the transaction back; start a new one rather than run without.
    if (sqlite3_get_autocommit(db_) && !beginRead()) return failed(sqlite3_errcode(db_));

    const ResetOnExit reset(stmt_);
    if (!bindText(stmt_, 1, dictionaryKey(query))) return failed(sqlite3_errcode(db_));

    std::optional<Result> firstLoose;
    int rc;
    while ((rc = sqlite3_step(stmt_)) == SQLITE_ROW) {
        const std::optional<QString> name = columnText(stmt_, 0);
        const std::optional<QString> email = columnText(stmt_, 1);
        if (name && *name == query) {
            if (!email) return std::nullopt;
            return Result{Outcome::Hit, *name, *email};
        }
        if (!firstLoose) {
            firstLoose =
                Result{Outcome::InexactMiss, name.value_or(QString()), email.value_or(QString())};
        }
    }
    if (rc != SQLITE_DONE) return failed(rc);
    if (firstLoose) return firstLoose;
    return Result{Outcome::PlainMiss, QString(), QString()};
}

QString CodeDictionary::commonWord(QChar c) {
    if (!stmt_ || wordTableMissing_) return {};
    if (!wordStmt_ && sqlite3_prepare_v3(db_, "SELECT word FROM common_word WHERE ch = ?1", -1,
                                         SQLITE_PREPARE_PERSISTENT, &wordStmt_,
                                         nullptr) != SQLITE_OK) {
        wordTableMissing_ = true;
        return {};
    }
    if (sqlite3_get_autocommit(db_) && !beginRead()) return {};
    const ResetOnExit reset(wordStmt_);
    if (!bindText(wordStmt_, 1, QString(c))) return {};
    if (sqlite3_step(wordStmt_) != SQLITE_ROW) return {};
    return columnText(wordStmt_, 0).value_or(QString());
}

bool writeDictionary(const QString& path, const std::vector<std::pair<QString, QString>>& rows,
                     QString* error) {
    std::vector<DictionaryRow> records;
    records.reserve(rows.size());
    for (const auto& [name, email] : rows) records.push_back({name, email});
    return writeDictionaryRows(path, records, error);
}

bool writeDictionaryRows(const QString& path, const std::vector<DictionaryRow>& rows,
                         QString* error) {
    const QString temp =
        QStringLiteral("%1.%2.part").arg(path).arg(QCoreApplication::applicationPid());
    sqlite3* db = nullptr;
    sqlite3_stmt* insert = nullptr;
    auto fail = [&](const QString& what) {
        if (error) {
            *error = QStringLiteral("无法写入编码词库 %1：%2").arg(shownPath(path), what);
        }
        if (insert) sqlite3_finalize(insert);
        if (db) sqlite3_close_v2(db);
        QFile::remove(temp);
        return false;
    };

    QFile::remove(temp);
    if (sqlite3_open_v2(temp.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                        nullptr) != SQLITE_OK) {
        return fail(sqliteMessage(db));
    }
    // No journal: the file is private until the rename, and a failed write is simply deleted.
    // A fixed page size keeps the bytes the same whatever SQLite's build default is.
    const char* setup =
        "PRAGMA page_size = 4096;"
        "PRAGMA journal_mode = OFF;"
        "BEGIN;"
        "CREATE TABLE ppl(name TEXT, email TEXT, key TEXT, weight INTEGER);"
        "CREATE TABLE common_word(ch TEXT PRIMARY KEY, word TEXT NOT NULL) WITHOUT ROWID;";
    if (sqlite3_exec(db, setup, nullptr, nullptr, nullptr) != SQLITE_OK) {
        return fail(sqliteMessage(db));
    }
    if (sqlite3_prepare_v2(db, "INSERT INTO ppl(name, email, key, weight) VALUES(?1, ?2, ?3, ?4)",
                           -1, &insert, nullptr) != SQLITE_OK) {
        return fail(sqliteMessage(db));
    }
    // The best word of each character, found while the rows go by.
    QHash<QChar, std::pair<qint64, QString>> best;
    for (const DictionaryRow& row : rows) {
        bool bound = bindText(insert, 1, row.name) && bindText(insert, 3, dictionaryKey(row.name));
        if (row.email) {
            bound = bound && bindText(insert, 2, *row.email);
        } else {
            bound = bound && sqlite3_bind_null(insert, 2) == SQLITE_OK;
        }
        if (row.weight) {
            bound = bound && sqlite3_bind_int64(insert, 4, *row.weight) == SQLITE_OK;
        } else {
            bound = bound && sqlite3_bind_null(insert, 4) == SQLITE_OK;
        }
        if (!bound || sqlite3_step(insert) != SQLITE_DONE) return fail(sqliteMessage(db));
        sqlite3_reset(insert);
        if (row.name.size() == 2 && row.name[0].unicode() >= 0x80 && row.name[1].unicode() >= 0x80) {
            const qint64 weight = row.weight.value_or(0);
            for (QChar c : row.name) {
                auto it = best.find(c);
                if (it == best.end() || weight > it->first) best.insert(c, {weight, row.name});
            }
        }
    }
    sqlite3_finalize(insert);
    insert = nullptr;
    if (sqlite3_prepare_v2(db, "INSERT INTO common_word(ch, word) VALUES(?1, ?2)", -1, &insert,
                           nullptr) != SQLITE_OK) {
        return fail(sqliteMessage(db));
    }
    // In key order, so that the file's bytes depend on the rows alone.
    QList<QChar> chars = best.keys();
    std::sort(chars.begin(), chars.end());
    for (QChar c : chars) {
        if (!bindText(insert, 1, QString(c)) || !bindText(insert, 2, best.value(c).second) ||
            sqlite3_step(insert) != SQLITE_DONE)
            return fail(sqliteMessage(db));
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    insert = nullptr;
    // Indexing after the inserts is faster and gives a compact index.
    if (sqlite3_exec(db, "CREATE INDEX ppl_key ON ppl(key); COMMIT;", nullptr, nullptr, nullptr) !=
        SQLITE_OK) {
        return fail(sqliteMessage(db));
    }
    const int closed = sqlite3_close(db);
    if (closed != SQLITE_OK) return fail(QString::fromUtf8(sqlite3_errstr(closed)));
    db = nullptr;

    std::error_code ec;
    std::filesystem::rename(std::filesystem::path(temp.toStdU16String()),
                            std::filesystem::path(path.toStdU16String()), ec);
    if (ec) return fail(QString::fromStdString(ec.message()));
    return true;
}

}  // namespace ml
