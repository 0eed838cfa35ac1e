#include <gtest/gtest.h>

#include "platform/qtprint.h"

#include "platform/itemreader.h"

namespace {

struct NumberCase {
    const char* text;
    std::optional<qint16> expected;
};

TEST(PlatformParseNumberField, Table) {
    const NumberCase cases[] = {
        {" 2 \r\n", 2},
        {"3", 3},
        {" 7 ", 7},
        {"\t12\t", 12},
        {"abc", std::nullopt},
        {"", std::nullopt},
        {"   ", std::nullopt},
        {"\r\n", std::nullopt},
        {",5", std::nullopt},  // the first field is empty
        {"99999", std::nullopt},
        {"32767", 32767},
        {"32768", std::nullopt},
        {"-32768", -32768},
        {"-32769", std::nullopt},
        {"123456789012345678901234567890", std::nullopt},
        {"-3", -3},
        {"+4", 4},
        {"2.5", 2},
        {"3.5", 4},
        {"-2.5", -2},
        {"-3.5", -4},
        {"2.51", 3},
        {"2.49", 2},
        {"2.500001", 3},
        {"0.5", 0},
        {"1.5", 2},
        {".5", 0},
        {".7", 1},
        {"5.", 5},
        {"32767.4", 32767},
        {"32767.5", std::nullopt},
        {"-32768.5", -32768},
        {"3abc", std::nullopt},
        {"3,4", 3},
        {"3 4", 3},
        {"3\r\n4", 3},
        {"\r\n\r\n 6\r\n", 6},  // line ends before the field are skipped like blanks
        {"007", 7},
        {"-", std::nullopt},
        {"+", std::nullopt},
        {".", std::nullopt},
        {"--3", std::nullopt},
        {"1e3", std::nullopt},
        {"1.2.3", std::nullopt},
        {"0x10", std::nullopt},
        {"- 3", std::nullopt},
    };
    for (const NumberCase& c : cases) {
        SCOPED_TRACE(std::string("\"") + c.text + "\"");
        const auto got = ml::parseNumberField(QString::fromLatin1(c.text));
        EXPECT_EQ(got.has_value(), c.expected.has_value());
        if (got && c.expected) {
            EXPECT_EQ(*got, *c.expected);
        }
    }
}

TEST(PlatformParseNumberField, FullWidthDigitsAreNotNumbers) {
    EXPECT_FALSE(ml::parseNumberField(QStringLiteral("３")).has_value());
}

}  // namespace
