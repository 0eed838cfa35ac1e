#pragma once
// The Wubi code dictionary "CiKu.mdb": a SQLite 3 file with one table
//   ppl(name TEXT, email TEXT, key TEXT, weight INTEGER)   -- name: character or word, email: its code
// read in table order, with an index on `key`. A lookup runs after nearly every keystroke, so the
// dictionary stays open with one prepared statement inside one long read transaction.

#include <QString>
#include <QStringView>
#include <optional>
#include <utility>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace ml {

// The loose form of a name that lookups match on: lower case, trailing blanks (U+0020) removed,
// the way a padded, case-insensitive text comparison sees it. The builder stores it in `key`.
QString dictionaryKey(QStringView name);

class CodeDictionary {
public:
    enum class Outcome {
        Hit,          // a record with exactly this name; `email` is its code
        PlainMiss,    // no record matches even loosely
        InexactMiss,  // records match loosely (case, trailing blanks) but none exactly
    };
    struct Result {
        Outcome outcome;
        // Hit: the record found. InexactMiss: the first loose match, for messages only
        // (its email may be empty). PlainMiss: empty.
        QString name;
        QString email;
    };

    CodeDictionary() = default;
    ~CodeDictionary();
    CodeDictionary(const CodeDictionary&) = delete;
    CodeDictionary& operator=(const CodeDictionary&) = delete;

    // Opens `path` read-only, closing any dictionary open before. On failure returns false and
    // puts a message for the learner, naming the file, into `error`.
    bool open(const QString& path, QString* error = nullptr);
    void close();
    bool isOpen() const { return stmt_ != nullptr; }

    // Looks `query` up afresh. Among the records whose key equals dictionaryKey(query), in table
    // order, the first whose name equals `query` exactly wins. std::nullopt means the lookup
    // failed: no dictionary open, a database error, or the winning record has no code.
    std::optional<Result> search(const QString& query);
    // Why the last search failed with a database error, in the words open() uses for a file it
    // cannot open (a corrupt index or a truncated file opens fine and fails only here); empty
    // after a search that worked or found a record without a code.
    QString lastError() const { return lastError_; }

    // The most frequent two-character word holding `c` (by the code table's weights), "" when
    // there is none or the dictionary predates the word table.
    QString commonWord(QChar c);

private:
    bool beginRead();

    sqlite3* db_ = nullptr;
    sqlite3_stmt* stmt_ = nullptr;
    QString path_;
    QString lastError_;
    sqlite3_stmt* wordStmt_ = nullptr;
    bool wordTableMissing_ = false;
};

// One record to write; a missing email is stored as NULL (only fixtures want that). The weight
// is the code table's frequency of the name, NULL when unknown; the lookups ignore it.
struct DictionaryRow {
    QString name;
    std::optional<QString> email;
    std::optional<qint64> weight = std::nullopt;
};

// Writes a dictionary file holding `rows` in the order given, replacing `path` atomically
// (written beside it, then renamed) so a reader never sees a half-written file. Beside table ppl
// it writes common_word(ch, word): for each character, the two-character name of highest weight
// that holds it (the first in table order among equals).
bool writeDictionary(const QString& path, const std::vector<std::pair<QString, QString>>& rows,
                     QString* error = nullptr);
bool writeDictionaryRows(const QString& path, const std::vector<DictionaryRow>& rows,
                         QString* error = nullptr);

}  // namespace ml
