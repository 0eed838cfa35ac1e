// The Wubi 86 root table that the charts are drawn from, held against the code table of
// rime-data-wubi: learners memorise these charts, so a root on the wrong key is a real fault.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>

namespace {

QString sourceFile(const QString& relative) {
    const QString dir = qEnvironmentVariable("ML_SOURCE_DIR");
    return dir.isEmpty() ? QString() : QDir(dir).filePath(relative);
}

bool isOneCharacter(const QString& s) { return s.toUcs4().size() == 1; }

// Codes of single characters. Codes beginning with "z" are the table's symbol layer, not Wubi
// codes, and are left out.
QHash<QString, QStringList> readCodeTable(const QString& path) {
    QHash<QString, QStringList> codes;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) return codes;
    bool body = false;
    while (!f.atEnd()) {
        const QString line = QString::fromUtf8(f.readLine()).chopped(1);
        if (!body) {
            body = line == u"...";
            continue;
        }
        const QStringList cols = line.split(u'\t');
        if (cols.size() < 2 || line.startsWith(u'#') || !isOneCharacter(cols[0])) continue;
        if (!cols[1].startsWith(u'z')) codes[cols[0]] << cols[1];
    }
    return codes;
}

struct Key {
    QString letter;  // lower case
    int zone = 0;
    QString name, shortCode;
    QStringList roots;
};

class RootTable : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // Allocated first, so that the tests find empty data, not null, if a step below fails.
        doc_ = new QJsonObject;
        keys_ = new QList<Key>;
        codes_ = new QHash<QString, QStringList>;
        QFile f(sourceFile(QStringLiteral("assets/roots/wubi86_roots.json")));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly))
            << "ML_SOURCE_DIR is not set or the table is missing";
        QJsonParseError error;
        *doc_ = QJsonDocument::fromJson(f.readAll(), &error).object();
        ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
        for (const QJsonValue& v : doc_->value(u"keys").toArray()) {
            const QJsonObject o = v.toObject();
            Key k{o.value(u"key").toString().toLower(),
                  o.value(u"zone").toInt(),
                  o.value(u"name").toString(),
                  o.value(u"short").toString(),
                  {}};
            for (const QJsonValue& r : o.value(u"roots").toArray()) k.roots << r.toString();
            keys_->append(k);
        }
        const QString dict = qEnvironmentVariable(
            "ML_WUBI86_DICT", QStringLiteral("/usr/share/rime-data/wubi86.dict.yaml"));
        *codes_ = readCodeTable(dict);
        ASSERT_FALSE(codes_->isEmpty()) << dict.toStdString() << " not readable (rime-data-wubi)";
    }
    static void TearDownTestSuite() {
        delete doc_;
        delete keys_;
        delete codes_;
    }

    static QJsonObject* doc_;
    static QList<Key>* keys_;
    static QHash<QString, QStringList>* codes_;
};

QJsonObject* RootTable::doc_ = nullptr;
QList<Key>* RootTable::keys_ = nullptr;
QHash<QString, QStringList>* RootTable::codes_ = nullptr;

TEST_F(RootTable, KeysAndZonesFollowThe86Layout) {
    // Zone by zone, each from its middle key outwards.
    const QString order = QStringLiteral("gfdsahjklmtrewqyuiopnbvcx");
    ASSERT_EQ(keys_->size(), 25);
    QSet<int> seen;
    for (const Key& k : *keys_) {
        const int index = int(order.indexOf(k.letter));
        ASSERT_GE(index, 0) << k.letter.toStdString();
        EXPECT_EQ(k.zone, (index / 5 + 1) * 10 + index % 5 + 1) << k.letter.toStdString();
        EXPECT_FALSE(seen.contains(k.zone)) << "zone code used twice: " << k.zone;
        seen.insert(k.zone);
        ASSERT_FALSE(k.roots.isEmpty()) << k.letter.toStdString();
        EXPECT_EQ(k.roots.first(), k.name)
            << "the key-name character leads the roots of " << k.letter.toStdString();
    }
}

TEST_F(RootTable, EveryRootSitsOnOneKeyAndShapesExist) {
    const QJsonObject shapes = doc_->value(u"shapes").toObject();
    QHash<QString, QString> keyOf;
    for (const Key& k : *keys_) {
        for (const QString& root : k.roots) {
            EXPECT_FALSE(keyOf.contains(root))
                << root.toStdString() << " is on " << keyOf.value(root).toStdString() << " and "
                << k.letter.toStdString();
            keyOf.insert(root, k.letter);
            if (root.startsWith(u'@')) {
                EXPECT_FALSE(shapes.value(root).toObject().value(u"parts").toArray().isEmpty())
                    << "no drawing for " << root.toStdString();
            } else {
                EXPECT_TRUE(isOneCharacter(root)) << root.toStdString();
            }
        }
    }
    for (auto it = shapes.begin(); it != shapes.end(); ++it)
        EXPECT_TRUE(keyOf.contains(it.key())) << it.key().toStdString() << " is on no key";
}

TEST_F(RootTable, RootsThatAreCharactersAreCodedOnTheirKey) {
    const QJsonObject shapes = doc_->value(u"shapes").toObject();
    int checked = 0;
    for (const Key& k : *keys_) {
        for (const QString& root : k.roots) {
            // A drawn root may still name the code point that fonts lack.
            const QString ch = root.startsWith(u'@')
                                   ? shapes.value(root).toObject().value(u"char").toString()
                                   : root;
            if (ch.isEmpty() || !codes_->contains(ch)) continue;
            ++checked;
            for (const QString& code : codes_->value(ch))
                EXPECT_TRUE(code.startsWith(k.letter))
                    << ch.toStdString() << " is listed on " << k.letter.toStdString()
                    << " but coded " << code.toStdString();
        }
    }
    // Most roots are characters of the code table; a table that matched almost none would
    // prove nothing.
    EXPECT_GT(checked, 140);
}

TEST_F(RootTable, KeyNamesAndFirstLevelShortCodes) {
    for (const Key& k : *keys_) {
        EXPECT_TRUE(codes_->value(k.name).contains(k.letter.repeated(4)))
            << k.name.toStdString() << " should code as " << k.letter.repeated(4).toStdString();
        EXPECT_TRUE(codes_->value(k.shortCode).contains(k.letter))
            << k.shortCode.toStdString() << " should be the short code of "
            << k.letter.toStdString();
    }
}

TEST_F(RootTable, ExamplesInTheNotesAreRealCodes) {
    static const QRegularExpression example(QStringLiteral("(\\S)=([A-Y]{1,4})"));
    int examples = 0;
    for (const QJsonValue& z : doc_->value(u"zones").toArray()) {
        for (const QJsonValue& note : z.toObject().value(u"notes").toArray()) {
            auto it = example.globalMatch(note.toString());
            while (it.hasNext()) {
                const auto m = it.next();
                ++examples;
                EXPECT_TRUE(codes_->value(m.captured(1)).contains(m.captured(2).toLower()))
                    << note.toString().toStdString() << ": " << m.captured(0).toStdString();
            }
        }
    }
    EXPECT_GT(examples, 0);
}

}  // namespace
