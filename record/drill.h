#pragma once
// "练错字": a practice file of the learner's weakest characters, each followed by a common word
// that holds it, written in the practice format so it is practised like any other file.

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace ml::record {

inline const QString kDrillFile = QStringLiteral("练习文件/错字练习.txt");

// A common two-character word holding the character, "" for none.
using WordLookup = std::function<QString(QChar)>;

// The lines: each character followed by its word (when there is one that code page 936 can hold),
// as many whole groups to a line as fit in `lineLength` characters.
QStringList drillLines(const std::vector<QChar>& chars, const WordLookup& wordOf,
                       int lineLength = 28);

struct DrillResult {
    enum Kind {
        Written,          // the file is written
        NothingRecorded,  // no record yet, or nothing weak in it
        Failed,           // the record could not be read or the file not written
    };
    Kind kind = Failed;
    QString message;      // for the learner, unless Written
    int characters = 0;   // how many characters the file drills
};

// Chooses the `count` weakest characters of the record at `recordPath` and writes the drill
// into `target` (code page 936, CR LF, replaced atomically).
DrillResult writeMistakesDrill(const QString& recordPath, const QString& target, qint64 nowMs,
                               const WordLookup& wordOf, int count = 45);

}  // namespace ml::record
