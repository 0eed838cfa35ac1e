// CodeDictionary lookups and failures against small dictionaries written for each test.

#include "hints/dictionary.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QDir>
#include <QTemporaryDir>
#include <functional>

#include "tests/support/tempdir.h"

namespace {

using ml::CodeDictionary;
using ml::DictionaryRow;
using Outcome = CodeDictionary::Outcome;

class DictionaryTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }

    QString path(const QString& name = QStringLiteral("CiKu.mdb")) const {
        return dir_.filePath(name);
    }

    void openRows(const std::vector<DictionaryRow>& rows) {
        dict_.close();
        QString error;
        ASSERT_TRUE(ml::writeDictionaryRows(path(), rows, &error)) << error.toStdString();
        ASSERT_TRUE(dict_.open(path(), &error)) << error.toStdString();
    }

    QTemporaryDir dir_;
    CodeDictionary dict_;
};

struct Lookup {
    const char* query;
    Outcome outcome;
    const char* email;  // expected for a hit
};

const char* outcomeName(Outcome o) {
    switch (o) {
        case Outcome::Hit:
            return "Hit";
        case Outcome::PlainMiss:
            return "PlainMiss";
        case Outcome::InexactMiss:
            return "InexactMiss";
    }
    return "?";
}

void expectLookups(CodeDictionary& dict, const std::vector<Lookup>& lookups) {
    for (const Lookup& l : lookups) {
        SCOPED_TRACE(std::string("query \"") + l.query + "\"");
        const auto result = dict.search(QString::fromUtf8(l.query));
        ASSERT_TRUE(result.has_value());
        EXPECT_STREQ(outcomeName(result->outcome), outcomeName(l.outcome));
        if (l.outcome == Outcome::Hit) {
            EXPECT_EQ(result->name, QString::fromUtf8(l.query));
            EXPECT_EQ(result->email, QString::fromUtf8(l.email));
        }
    }
}

TEST(DictionaryKey, LowerCaseWithoutTrailingBlanks) {
    const std::vector<std::pair<QString, QString>> cases = {
        {"ABC", "abc"}, {"x  ", "x"},    {"  x", "  x"},
        {"x\t", "x\t"}, {"X Y ", "x y"}, {QString::fromUtf8("Ä中 "), QString::fromUtf8("ä中")},
        {"   ", ""},    {"", ""},
    };
    for (const auto& [name, key] : cases) {
        EXPECT_EQ(ml::dictionaryKey(name), key) << '"' << name.toStdString() << '"';
    }
}

TEST_F(DictionaryTest, FirstExactRecordInTableOrderWins) {
    openRows({
        {"X", "ab"},
        {"X", "abcd"},  // a later record for the same name never wins
        {"y", "lower"},
        {"Y", "upper"},  // found although a loose match comes first
        {"Q", "qq"},
        {"it's", "ites"},
        {QString::fromUtf8("中国"), "khlg"},
        {QString::fromUtf8("Ä"), "ae"},
    });
    expectLookups(dict_, {
                             {"X", Outcome::Hit, "ab"},
                             {"x", Outcome::InexactMiss, ""},
                             {"Y", Outcome::Hit, "upper"},
                             {"y", Outcome::Hit, "lower"},
                             {"Y ", Outcome::InexactMiss, ""},
                             {"q", Outcome::InexactMiss, ""},
                             {"Q  ", Outcome::InexactMiss, ""},
                             {" Q", Outcome::PlainMiss, ""},
                             {"it's", Outcome::Hit, "ites"},
                             {"IT'S", Outcome::InexactMiss, ""},
                             {"'", Outcome::PlainMiss, ""},
                             {"it''s", Outcome::PlainMiss, ""},
                             {"x' OR '1'='1", Outcome::PlainMiss, ""},
                             {"中国", Outcome::Hit, "khlg"},
                             {"中", Outcome::PlainMiss, ""},
                             {"中国 ", Outcome::InexactMiss, ""},
                             {"ä", Outcome::InexactMiss, ""},
                             {"Z", Outcome::PlainMiss, ""},
                         });
    // The same query again gives the same answer: the statement is reused cleanly.
    expectLookups(dict_, {{"X", Outcome::Hit, "ab"}, {"Z", Outcome::PlainMiss, ""}});
}

TEST_F(DictionaryTest, InexactMissReportsTheFirstLooseMatch) {
    openRows({{"Ab", "one"}, {"AB", "two"}});
    const auto result = dict_.search("ab");
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->outcome, Outcome::InexactMiss);
    EXPECT_EQ(result->name, "Ab");
}

TEST_F(DictionaryTest, EmptyQueryIsFoundOnlyByAnEmptyName) {
    openRows({{"a", "aa"}, {" ", "blank"}});
    expectLookups(dict_, {{"", Outcome::InexactMiss, ""}, {"  ", Outcome::InexactMiss, ""}});

    openRows({{"a", "aa"}});
    expectLookups(dict_, {{"", Outcome::PlainMiss, ""}});

    openRows({{" ", "blank"}, {"", "empty"}});
    expectLookups(dict_, {{"", Outcome::Hit, "empty"}, {" ", Outcome::Hit, "blank"}});
}

TEST_F(DictionaryTest, NullCodeOnTheHitRecordIsAFailure) {
    openRows({{"N", std::nullopt}, {"n", "nn"}, {"M", std::nullopt}});
    EXPECT_FALSE(dict_.search("N").has_value());
    // Only the record that would be the answer matters.
    expectLookups(dict_, {{"n", Outcome::Hit, "nn"}, {"m", Outcome::InexactMiss, ""}});
}

TEST_F(DictionaryTest, SearchWithoutAnOpenDictionaryFails) {
    EXPECT_FALSE(dict_.search("X").has_value());
    openRows({{"X", "ab"}});
    dict_.close();
    EXPECT_FALSE(dict_.search("X").has_value());
}

void makeDatabase(const QString& path, const char* sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
}

TEST_F(DictionaryTest, OpenRejectsFilesThatAreNotADictionary) {
    const QByteArray header("SQLite format 3\0", 16);
    const struct {
        const char* name;
        std::function<void(const QString&)> make;
    } cases[] = {
        {"missing", [](const QString&) {}},
        {"empty", [](const QString& p) { mltest::writeFile(p, {}); }},
        {"text", [](const QString& p) { mltest::writeFile(p, "name\temail\r\nX\tab\r\n"); }},
        {"short", [](const QString& p) { mltest::writeFile(p, "SQLite"); }},
        {"header then garbage",
         [&](const QString& p) { mltest::writeFile(p, header + QByteArray(4080, '\x5a')); }},
        {"directory", [](const QString& p) { QDir().mkpath(p); }},
        {"no table",
         [](const QString& p) { makeDatabase(p, "CREATE TABLE other(name, email, key)"); }},
        {"no key column",
         [](const QString& p) {
             makeDatabase(
                 p, "CREATE TABLE ppl(name TEXT, email TEXT); INSERT INTO ppl VALUES('X','a')");
         }},
    };
    // A good dictionary open beforehand must not survive a failed open.
    QString error;
    ASSERT_TRUE(ml::writeDictionary(path("good.mdb"), {{"X", "ab"}}, &error));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString file = path(QString::fromUtf8(c.name) + ".mdb");
        c.make(file);
        ASSERT_TRUE(dict_.open(path("good.mdb")));
        error.clear();
        EXPECT_FALSE(dict_.open(file, &error));
        EXPECT_TRUE(error.contains(QDir::toNativeSeparators(file))) << error.toStdString();
        EXPECT_FALSE(dict_.isOpen());
        EXPECT_FALSE(dict_.search("X").has_value());
    }
    // Nothing was created where a file was missing.
    EXPECT_FALSE(QFileInfo::exists(path("missing.mdb")));
}

TEST_F(DictionaryTest, WriteReplacesTheFileWholeAndLeavesNothingBeside) {
    QString error;
    ASSERT_TRUE(ml::writeDictionary(path(), {{"old", "o"}, {"X", "old"}}, &error));
    ASSERT_TRUE(ml::writeDictionary(path(), {{"X", "new"}}, &error)) << error.toStdString();
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files), QStringList{"CiKu.mdb"});
    ASSERT_TRUE(dict_.open(path(), &error)) << error.toStdString();
    expectLookups(dict_, {{"X", Outcome::Hit, "new"}, {"old", Outcome::PlainMiss, ""}});

    const QString nowhere = path("no/such/folder/CiKu.mdb");
    EXPECT_FALSE(ml::writeDictionary(nowhere, {{"X", "ab"}}, &error));
    EXPECT_TRUE(error.contains(QDir::toNativeSeparators(nowhere))) << error.toStdString();
}

}  // namespace
