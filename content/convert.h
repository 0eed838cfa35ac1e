#pragma once
// Turning plain text into practice lines: every printable ASCII character becomes its full-width
// form (the blank becomes U+3000), double quotes and apostrophes vanish, line ends inside quoted
// items are dropped, closing punctuation is kept off the start of a line, and the text is poured
// into lines of exactly 28 characters, whatever the source lines were. The last line (0 to 27
// characters) is always written.

#include <QString>
#include <QStringList>
#include <QStringView>
#include <functional>
#include <utility>

namespace ml {

class ItemReader;
class Cp936LineWriter;

inline constexpr int kLineLength = 28;

// The value an item reads as: a plain decimal number (optional sign, optional fraction) becomes
// the shortest decimal text of its value ("007" -> "7", "1.50" -> "1.5", "-0" -> "0"); any other
// item stays as it is. ".5" and "5." are numbers too ("0.5", "5"); at least one digit is needed,
// only ASCII digits count, and the value is exact however many digits it has.
QString itemAsValue(QStringView item);

// The full-width rule for one code unit: returns the replacement, or a null QChar when the unit is
// removed (the ASCII double quote).
QChar fullWidth(QChar c);

// True for the 14 characters that may not begin a line: ，。？、；：”｝］～！’…》
bool isLineHeadForbidden(QChar c);

// The line builder. Feed it text; it calls `emit` for every finished line of 28 characters.
class LinePourer {
public:
    explicit LinePourer(std::function<bool(QStringView)> emitLine) : emit_(std::move(emitLine)) {}
    // Feeds converted-or-raw text; the full-width, apostrophe and line-head rules are applied here.
    // Returns false as soon as `emit` fails.
    bool feed(QStringView text);
    // The unfinished last line (0 to 27 characters).
    const QString& rest() const { return buf_; }

private:
    std::function<bool(QStringView)> emit_;
    QString buf_;
};

// Converts a whole list of items (as values) and returns the output lines, the last one included.
// A convenience for tests and small inputs.
QStringList convertItems(const QStringList& items);

// Streams the whole source through the rules into `out` (already opened), writing the last line
// too. Does not commit `out`. Returns false with a readable reason on a read or write failure.
bool convertStream(ItemReader& source, Cp936LineWriter& out, QString* error = nullptr);

// The command-line conversion: reads SOURCE (code page 936), writes TARGET atomically, and prints
// where it wrote (or why it failed). Returns the process exit code.
int runConvertCommand(const QString& source, const QString& target, QString* report);

}  // namespace ml
