// Opening the code dictionary "CiKu.mdb" whatever the file holds: it opens or says why not, and a
// dictionary that opens answers lookups with a hit on exactly the name asked for, a miss, or a
// failure it can name, never anything else.
#include <QFile>
#include <QTemporaryDir>

#include "fuzz/harness.h"
#include "hints/dictionary.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("CiKu.mdb"));
    {
        QFile f(path);
        ML_CHECK(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ML_CHECK(f.write(reinterpret_cast<const char*>(data), qint64(size)) == qint64(size));
    }
    ml::CodeDictionary dict;
    QString error;
    if (!dict.open(path, &error)) {
        ML_CHECK(!error.isEmpty());
        ML_CHECK(!dict.isOpen());
        ML_CHECK(!dict.search(QStringLiteral("中")));
        return 0;
    }
    ML_CHECK(dict.isOpen());
    // A few names a learner meets, and one taken from the file's last bytes.
    QString tail =
        QString::fromLatin1(reinterpret_cast<const char*>(data) + (size > 2 ? size - 2 : 0),
                            size > 2 ? 2 : qsizetype(size));
    for (const QString& query : {QStringLiteral("中"), QStringLiteral("中国"), QStringLiteral("a"),
                                 QStringLiteral("A "), QString(), QStringLiteral("'"), tail}) {
        const auto result = dict.search(query);
        if (!result) continue;  // a database error or a record without a code
        switch (result->outcome) {
            case ml::CodeDictionary::Outcome::Hit:
                ML_CHECK(result->name == query);
                break;
            case ml::CodeDictionary::Outcome::InexactMiss:
                ML_CHECK(result->name != query);
                break;
            case ml::CodeDictionary::Outcome::PlainMiss:
                ML_CHECK(result->name.isEmpty() && result->email.isEmpty());
                break;
        }
        ML_CHECK(dict.lastError().isEmpty());
    }
    dict.close();
    return 0;
}
