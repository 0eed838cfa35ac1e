// The CiKu.mdb built from rime-data-wubi into the program folder: known codes and the layout the
// lookups rely on.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QDir>
#include <QRegularExpression>
#include <QSet>
#include <QString>
#include <QStringList>

#include "hints/dictionary.h"
#include "platform/cp936.h"
#include "tests/support/tempdir.h"

namespace {

using Outcome = ml::CodeDictionary::Outcome;

QString appFile(const QString& name) {
    const QString dir = qEnvironmentVariable("ML_APP_DIR");
    return dir.isEmpty() ? QString() : QDir(dir).filePath(name);
}

class BuiltCiKu : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = appFile(QStringLiteral("CiKu.mdb"));
        ASSERT_FALSE(path_.isEmpty()) << "ML_APP_DIR is not set";
        QString error;
        ASSERT_TRUE(dict_.open(path_, &error)) << error.toStdString();
    }

    QString path_;
    ml::CodeDictionary dict_;
};

TEST_F(BuiltCiKu, KnownCodes) {
    // Checked against wubi86.dict.yaml; a name's full code comes before its short codes.
    const struct {
        const char* name;
        const char* code;
    } known[] = {
        {"拆", "rryy"},
        {"我", "trnt"},
        {"工", "aaaa"},
        {"一", "ggll"},
        {"的", "rqyy"},
        {"不", "gii"},
        {"了", "bnh"},
        {"王", "gggg"},
        {"土", "ffff"},
        {"金", "qqqq"},
        {"言", "yyyy"},
        {"中国", "khlg"},
        {"经济", "xciy"},
        {"我们", "trwu"},
        {"汉字", "icpb"},
        {"计算机", "ytsm"},
        {"中华人民共和国", "kwwl"},
        {"錒", "qbsk"},  // GBK only, not in GB 2312
        {"蕭", "avfj"},  // two full codes: the first in the table
        {"〇", "llll"},
        {"T恤", "ttnt"},
    };
    for (const auto& k : known) {
        SCOPED_TRACE(k.name);
        const auto result = dict_.search(QString::fromUtf8(k.name));
        ASSERT_TRUE(result.has_value());
        EXPECT_EQ(result->outcome, Outcome::Hit);
        EXPECT_EQ(result->email.toStdString(), k.code);
    }

    const struct {
        const char* query;
        Outcome outcome;
    } misses[] = {
        {"𦬀", Outcome::PlainMiss},  // outside code page 936
        {"⒈", Outcome::PlainMiss},   // only "z" codes
        {"t恤", Outcome::InexactMiss}, {"我 ", Outcome::InexactMiss}, {"", Outcome::PlainMiss},
    };
    for (const auto& m : misses) {
        SCOPED_TRACE(m.query);
        const auto result = dict_.search(QString::fromUtf8(m.query));
        ASSERT_TRUE(result.has_value());
        EXPECT_EQ(result->outcome, m.outcome);
    }
}

// Every record typeable and findable, each name's records together and longest code first.
TEST_F(BuiltCiKu, Layout) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(path_.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr),
              SQLITE_OK);
    sqlite3_stmt* stmt = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "SELECT name, email, key FROM ppl ORDER BY rowid", -1, &stmt,
                                 nullptr),
              SQLITE_OK)
        << sqlite3_errmsg(db);

    auto text = [&](int column) {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
        return QString::fromUtf8(p, sqlite3_column_bytes(stmt, column));
    };
    qsizetype rows = 0;
    QString previousName;
    qsizetype previousLength = 0;
    QSet<QString> finishedNames;
    QSet<QString> records;
    QStringList faults;
    const QRegularExpression notCodeLetter(QStringLiteral("[^a-z]"));
    auto fault = [&](const QString& what) {
        if (faults.size() < 5) faults << QStringLiteral("row %1: %2").arg(rows).arg(what);
    };
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        ++rows;
        const QString name = text(0);
        const QString code = text(1);
        const QString key = text(2);
        QByteArray gbk;
        if (!ml::encodeCp936(name, gbk)) fault(name + " is outside code page 936");
        if (code.isEmpty() || code.startsWith(u'z') || code.contains(notCodeLetter)) {
            fault(name + " has code " + code);
        }
        if (key != ml::dictionaryKey(name)) fault(name + " has key " + key);
        if (records.contains(name + u'\t' + code)) fault(name + " " + code + " twice");
        records.insert(name + u'\t' + code);
        if (name != previousName) {
            if (finishedNames.contains(name)) fault(name + " is not kept together");
            if (rows > 1) finishedNames.insert(previousName);
        } else if (code.size() > previousLength) {
            fault(name + " " + code + " after a shorter code");
        }
        previousName = name;
        previousLength = code.size();
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);

    EXPECT_TRUE(faults.isEmpty()) << faults.join(u'\n').toStdString();
    // Characters and words of the table, two-character words included.
    EXPECT_GT(rows, 80000);
    EXPECT_LT(rows, 140000);
}

TEST(BuiltCiKuLicence, CopiedBesideTheDictionary) {
    const QString path = appFile(QStringLiteral("CiKu.mdb.copyright.txt"));
    ASSERT_FALSE(path.isEmpty()) << "ML_APP_DIR is not set";
    EXPECT_TRUE(mltest::readFile(path).contains("License: LGPL-3.0"));
}

}  // namespace
