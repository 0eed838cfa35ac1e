// The number reader of "config" against a model written the other way round: the field is cut
// out first, checked against the number pattern, and its value taken from a long double where the
// digits allow it exactly. Also the conversion's reading of items as values: a number's value
// text reads as itself again.
#include <QRegularExpression>
#include <QString>
#include <cmath>
#include <optional>

#include "content/convert.h"
#include "fuzz/harness.h"
#include "platform/itemreader.h"

namespace {

std::optional<qint16> model(const QString& text) {
    qsizetype i = 0;
    auto skip = [](QChar c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; };
    while (i < text.size() && skip(text[i])) ++i;
    qsizetype end = i;
    while (end < text.size() && !skip(text[end]) && text[end] != u',') ++end;
    const QString field = text.mid(i, end - i);
    static const QRegularExpression number(QStringLiteral("^[+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)$"));
    if (!number.match(field).hasMatch()) return std::nullopt;

    QString digits = field;
    const bool negative = digits.startsWith(u'-');
    if (digits.startsWith(u'-') || digits.startsWith(u'+')) digits.remove(0, 1);
    QString whole = digits.section(u'.', 0, 0);
    QString fraction = digits.contains(u'.') ? digits.section(u'.', 1) : QString();
    while (whole.startsWith(u'0')) whole.remove(0, 1);
    if (whole.size() > 6) return std::nullopt;  // far outside the 16-bit range
    long long value = whole.isEmpty() ? 0 : whole.toLongLong();
    // Half to even on the exact digits: only the first fraction digit and whether any later
    // one is not zero matter.
    if (!fraction.isEmpty()) {
        const int first = fraction[0].unicode() - u'0';
        const bool restNonZero =
            fraction.mid(1).contains(QRegularExpression(QStringLiteral("[1-9]")));
        if (first > 5 || (first == 5 && (restNonZero || value % 2 == 1))) ++value;
    }
    if (negative) value = -value;
    if (value < -32768 || value > 32767) return std::nullopt;
    return qint16(value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray raw(reinterpret_cast<const char*>(data), qsizetype(size));
    // Latin-1 keeps the inputs small and close to what "config" holds; UTF-16 brings the rest.
    for (const QString& text :
         {QString::fromLatin1(raw),
          QString::fromUtf16(reinterpret_cast<const char16_t*>(raw.constData()), raw.size() / 2)}) {
        const std::optional<qint16> got = ml::parseNumberField(text);
        const std::optional<qint16> want = model(text);
        ML_CHECK(got.has_value() == want.has_value());
        if (got) ML_CHECK(*got == *want);

        const QString value = ml::itemAsValue(text);
        ML_CHECK(ml::itemAsValue(value) == value);
        if (value != text) {
            // Only a number is rewritten, and then into plain digits with at most one point.
            static const QRegularExpression canonical(
                QStringLiteral("^-?(0|[1-9][0-9]*)(\\.[0-9]*[1-9])?$"));
            ML_CHECK(canonical.match(value).hasMatch());
            ML_CHECK(value != QStringLiteral("-0"));
        }
    }
    return 0;
}
