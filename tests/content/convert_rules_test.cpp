// The conversion rules on their own: numbers as values, the full-width rule, the line-head set and
// the pouring of items into 28-character lines.
#include <gtest/gtest.h>

#include <QSet>
#include <ostream>

#include "content/convert.h"

// Readable QStrings in failure messages.
static std::ostream& operator<<(std::ostream& os, const QString& s) {
    return os << s.toStdString();
}
static void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s << '"'; }

namespace {

using namespace Qt::StringLiterals;

QString times(const QString& s, int n) { return s.repeated(n); }

TEST(ItemAsValue, PlainDecimalNumbersArriveAsTheirShortestText) {
    const struct {
        const char* item;
        const char* value;
    } cases[] = {
        {"007", "7"},
        {"1.50", "1.5"},
        {"+3", "3"},
        {"-0", "0"},
        {"-0.000", "0"},
        {"+.0", "0"},
        {"0", "0"},
        {"-12", "-12"},
        {"-007.250", "-7.25"},
        {".5", "0.5"},
        {"-.50", "-0.5"},
        {"5.", "5"},
        {"100", "100"},
        {"10.0", "10"},
        // Long numbers keep every digit (no trip through a double).
        {"00012345678901234567890.1234567890123456789000",
         "12345678901234567890.1234567890123456789"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ml::itemAsValue(QString::fromUtf8(c.item)), QString::fromUtf8(c.value))
            << "item " << c.item;
    }
}

TEST(ItemAsValue, EverythingElseArrivesAsItIs) {
    const char* const cases[] = {
        "",    "+",   "-",    ".",   "+.",  "-.",  "1e5", "1E5",   "1.2.3",
        " 7",  "7 ",  "0x1",  "--1", "+-1", "1-",  "1,5", "1 000", "abc",
        "12a", "\t1", "１２", "甲1", "NaN", "inf", "'7'", "\"7\"",
    };
    for (const char* c : cases) {
        const QString item = QString::fromUtf8(c);
        EXPECT_EQ(ml::itemAsValue(item), item) << "item " << c;
    }
}

TEST(FullWidth, AsciiBecomesFullWidthQuoteVanishesRestUnchanged) {
    EXPECT_EQ(ml::fullWidth(u' '), QChar(u'\u3000'));
    EXPECT_TRUE(ml::fullWidth(u'"').isNull());
    // Every other printable ASCII character moves by 0xFEE0, the apostrophe too.
    for (char16_t c = 0x21; c <= 0x7E; ++c) {
        if (c == u'"') continue;
        EXPECT_EQ(ml::fullWidth(c), QChar(char16_t(c + 0xFEE0))) << int(c);
    }
    const char16_t unchanged[] = {0x00,      u'\t',     u'\r',     0x1F,      0x7F,      0xA0,
                                  0xB7,      u'好',     u'　',     u'\uFF01', u'\uFF5E', u'\uFF5F',
                                  u'\uFF00', u'\u2019', u'\uFFE5', 0xD840,    0xDC00};
    for (char16_t c : unchanged) EXPECT_EQ(ml::fullWidth(c), QChar(c)) << int(c);
}

TEST(LineHead, ExactlyTheFourteenClosingMarks) {
    const QString expected = QStringLiteral("，。？、；：”｝］～！’…》");
    ASSERT_EQ(expected.size(), 14);
    QSet<char16_t> found;
    for (int u = 0; u <= 0xFFFF; ++u) {
        if (ml::isLineHeadForbidden(QChar(char16_t(u)))) found.insert(char16_t(u));
    }
    QSet<char16_t> want;
    for (QChar c : expected) want.insert(c.unicode());
    EXPECT_EQ(found, want);
}

TEST(ConvertItems, PoursItemsIntoLinesOf28) {
    const QString han = QStringLiteral("好");
    const struct {
        const char* what;
        QStringList items;
        QStringList lines;
    } cases[] = {
        {"worked example: buffer runs on across items",
         {QStringLiteral("He said: 'ok'."), QStringLiteral("，好")},
         {QStringLiteral("Ｈｅ　ｓａｉｄ：　ｏｋ．，好")}},
        {"nothing at all still gives the last line", {}, {QString()}},
        {"empty items add nothing", {QString(), QStringLiteral("a"), QString()}, {u"ａ"_s}},
        {"60 characters: 28, 28, 4",
         {times(han, 25), times(han, 35)},
         {times(han, 28), times(han, 28), times(han, 4)}},
        {"56 characters: two full lines and an empty one",
         {times(han, 56)},
         {times(han, 28), times(han, 28), QString()}},
        {"27 characters: one line, no empty one", {times(han, 27)}, {times(han, 27)}},
        {"28 after full-width conversion", {times(u"a"_s, 28)}, {times(u"ａ"_s, 28), QString()}},
        {"numbers arrive as values",
         {u"007"_s, u"1.50"_s, u"+3"_s, u"-0"_s, u"-.5"_s},
         {u"７１．５３０－０．５"_s}},
        {"closing marks dropped at the very start", {u"。。好"_s}, {han}},
        {"closing marks dropped right after a full line",
         {times(han, 28) + u"。。好"_s},
         {times(han, 28), han}},
        {"... also when the full line ended the previous item",
         {times(han, 28), u"，好"_s},
         {times(han, 28), han}},
        {"closing marks kept in mid-line", {u"好。。"_s}, {u"好。。"_s}},
        {"tested after the full-width rule", {u"!?~:;a!"_s}, {u"ａ！"_s}},
        {"other marks may begin a line", {u".x"_s, u")"_s}, {u"．ｘ）"_s}},
        {"a blank may begin a line", {u" x"_s}, {u"　ｘ"_s}},
        {"’ only dropped at the start", {u"’a’"_s}, {u"ａ’"_s}},
        {"apostrophe dropped everywhere", {u"'a'b＇c"_s}, {u"ａｂｃ"_s}},
        {"quote and apostrophe leave the line empty for the head rule", {u"\"'，x\""_s}, {u"ｘ"_s}},
        {"control characters pass through", {u"a\tb"_s}, {u"ａ\tｂ"_s}},
    };
    for (const auto& c : cases) EXPECT_EQ(ml::convertItems(c.items), c.lines) << c.what;
}

TEST(LinePourer, StopsAtTheFirstLineThatCannotBeWritten) {
    int calls = 0;
    ml::LinePourer pourer([&](QStringView) { return ++calls < 2; });
    EXPECT_FALSE(pourer.feed(QStringLiteral("好").repeated(100)));
    EXPECT_EQ(calls, 2);
}

}  // namespace
