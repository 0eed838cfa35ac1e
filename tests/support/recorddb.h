#pragma once
// Reading and shaping a record file in tests with SQLite itself, apart from the code under test.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QString>
#include <QStringList>
#include <vector>

namespace mltest {

class RecordDb {
public:
    explicit RecordDb(const QString& path, bool write = false) {
        const int flags = write ? SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE : SQLITE_OPEN_READONLY;
        if (sqlite3_open_v2(path.toUtf8().constData(), &db_, flags, nullptr) != SQLITE_OK) {
            ADD_FAILURE() << "cannot open " << path.toStdString();
        }
        sqlite3_busy_timeout(db_, 2000);
    }
    ~RecordDb() { sqlite3_close_v2(db_); }
    RecordDb(const RecordDb&) = delete;
    RecordDb& operator=(const RecordDb&) = delete;

    // Every row of `sql`, each column as text ("NULL" for SQL NULL).
    std::vector<QStringList> rows(const char* sql) const {
        std::vector<QStringList> out;
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db_, sql, -1, &stmt, nullptr) != SQLITE_OK) {
            ADD_FAILURE() << sql << ": " << sqlite3_errmsg(db_);
            return out;
        }
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            QStringList row;
            for (int c = 0; c < sqlite3_column_count(stmt); ++c) {
                const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(stmt, c));
                row << (sqlite3_column_type(stmt, c) == SQLITE_NULL ? QStringLiteral("NULL")
                                                                     : QString::fromUtf8(t));
            }
            out.push_back(row);
        }
        sqlite3_finalize(stmt);
        return out;
    }
    QString value(const char* sql) const {
        const auto r = rows(sql);
        return r.empty() || r[0].isEmpty() ? QString() : r[0][0];
    }
    bool exec(const QString& sql) {
        char* err = nullptr;
        const bool ok = sqlite3_exec(db_, sql.toUtf8().constData(), nullptr, nullptr, &err) == SQLITE_OK;
        if (!ok) ADD_FAILURE() << sql.toStdString() << ": " << (err ? err : "");
        sqlite3_free(err);
        return ok;
    }
    sqlite3* handle() const { return db_; }

private:
    sqlite3* db_ = nullptr;
};

}  // namespace mltest
