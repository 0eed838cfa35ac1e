#pragma once
// The Wubi 86 course as data: the lesson list "课程/课程.tsv" and one item file per lesson
// "课程/<id>.tsv" in the program folder, both UTF-8 (roots such as 𠂇 lie outside code page 936).
// Most item files are generated at build time from the root table, the verified splits and the
// code table (tools/lessons); the list itself is written by hand in assets/lessons.
//
// Nothing here is read at start-up: the picker reads the list when it opens, a lesson reads its
// items when it is first practised.

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace ml::course {

// What an item is, which decides how it is drawn and how its code is explained.
enum class Kind { Root, Character, Word };

// Which code a lesson asks for.
enum class Answer {
    Full,    // the full code
    Short,   // the short code (the short-code lessons)
    Choice,  // the short code where the learner's "简码优先" allows it, else the full code
};

struct Item {
    QString text;       // a root ("亻", or "@F-ge" for a drawn shape), a character or a word
    Kind kind = Kind::Character;
    QString code;       // full code, lower case a–y
    QString shortCode;  // a shorter code that the space bar commits; empty when there is none
    QString group;      // look-alike roots share a group; empty for most
    QString label;      // what learners call a drawn root ("革字底"); empty when the text says it

    // The item across lessons: the same character in two lessons is one item of the record.
    QString key() const;
    // Fixes key() for an item that will not change, so that choosing a round among thousands of
    // items does not build each key anew.
    void freezeKey() { key_ = key(); }

private:
    QString key_;
};

// The keys an item is typed with: its code's letters, then the space bar (' ') when the code is
// shorter than four letters, as an input method needs it to commit. Roots are a single key.
QString answerKeys(const Item& item, Answer answer, bool shortFirst);

// A record key back to its kind and text ("c:你" → Character, "你").
std::optional<std::pair<Kind, QString>> parseItemKey(const QString& key);

struct Goal {
    int accuracy = 90;  // per cent of keys right
    int speed = 30;     // right keys (codes) a minute

    bool operator==(const Goal&) const = default;
};

struct Lesson {
    QString id;
    QString title;
    QString stage;  // the heading it stands under in the picker
    Kind kind = Kind::Character;
    Answer answer = Answer::Full;
    Goal goal;
    int roundSize = 20;
    // "review" and "mistakes" take their items from the record, not from a file.
    QString source;
    bool fromRecord() const { return source == u"review" || source == u"mistakes"; }
    // Items, in the order of the root table (or of frequency): filled by loadItems().
    QList<Item> items;
    bool loaded = false;
};

struct Course {
    QList<Lesson> lessons;
    // What could not be read: whole rows left out, each with its reason.
    QStringList problems;

    Lesson* find(const QString& id);
    const Lesson* find(const QString& id) const;
    int indexOf(const QString& id) const;
};

// The lesson list in `folder` ("课程"). A missing or unreadable list gives an empty course and one
// problem; a malformed row is left out with a problem naming its line.
Course loadCourse(const QString& folder);

// Fills lesson.items from `folder`/<id>.tsv. Rows that cannot be used are left out, each with a
// problem: a root that cannot be drawn (`drawable` false), a character or word without a code
// that `codeOf` cannot find either, a code that is not Wubi letters. Returns false (with a
// problem) when the file is missing or holds no usable item at all.
struct ItemChecks {
    std::function<bool(const QString& root)> drawable;
    std::function<std::optional<QString>(const QString& text)> codeOf;
};
bool loadItems(Lesson& lesson, const QString& folder, const ItemChecks& checks,
               QStringList* problems);

// One row of an item file: text, code, short code, look-alike group, label (all but the text may
// be empty). Exposed for the generator and the tests.
QString itemRow(const Item& item);

// The learner's words for the kinds of lesson states and stages.
QString kindName(Kind kind);

}  // namespace ml::course
