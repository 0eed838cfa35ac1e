#include "platform/cp936.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/qtprint.h"

namespace {

using namespace Qt::StringLiterals;

TEST(PlatformCp936, DecodesMicrosoftCodePage936) {
    QString out;
    qint64 offset = 99;
    ASSERT_TRUE(ml::decodeCp936("\x80 \xbc\xd7\xd2\xd2 A", out, &offset));
    EXPECT_EQ(out, QString::fromUtf16(u"€ 甲乙 A"));
    EXPECT_EQ(offset, -1);
    // Like Windows, 0xFF and the user-defined areas decode to private-use characters.
    ASSERT_TRUE(ml::decodeCp936("\xff\xaa\xa1", out));
    EXPECT_EQ(out, QString::fromUtf16(u"\uF8F5\uE000"));
    ASSERT_TRUE(ml::decodeCp936(QByteArray(), out));
    EXPECT_TRUE(out.isEmpty());
}

TEST(PlatformCp936, DecodeFailuresGiveOffsets) {
    QString out;
    qint64 offset = -1;
    EXPECT_FALSE(ml::decodeCp936("ab\x81\x7f", out, &offset));
    EXPECT_EQ(offset, 2);
    EXPECT_FALSE(ml::decodeCp936("\xbc", out, &offset));  // truncated
    EXPECT_EQ(offset, 0);
    EXPECT_FALSE(ml::decodeCp936("\xbc\xd7\xbc\x20", out, &offset));  // bad trail byte
    EXPECT_EQ(offset, 2);
    // The converter is usable again afterwards.
    EXPECT_TRUE(ml::decodeCp936("\xbc\xd7", out, &offset));
    EXPECT_EQ(out, QString::fromUtf16(u"甲"));
}

TEST(PlatformCp936, EncodesAndNamesTheFirstUnmappableUnit) {
    QByteArray out;
    qsizetype index = 99;
    ASSERT_TRUE(ml::encodeCp936(QString::fromUtf16(u"€甲乙\r\n"), out, &index));
    EXPECT_EQ(out, QByteArray("\x80\xbc\xd7\xd2\xd2\r\n"));
    EXPECT_EQ(index, -1);
    EXPECT_FALSE(ml::encodeCp936(QString::fromUtf16(u"ab한"), out, &index));
    EXPECT_EQ(index, 2);
    EXPECT_FALSE(ml::encodeCp936(QString::fromUtf16(u"甲😀x"), out, &index));
    EXPECT_EQ(index, 1);
    const char16_t lone[] = {u'a', 0xD800, u'b', 0};
    EXPECT_FALSE(ml::encodeCp936(QString::fromUtf16(lone), out, &index));
    EXPECT_EQ(index, 1);
    const char16_t loneAtEnd[] = {u'a', u'b', 0xD83D, 0};
    EXPECT_FALSE(ml::encodeCp936(QString::fromUtf16(loneAtEnd), out, &index));
    EXPECT_EQ(index, 2);
    ASSERT_TRUE(ml::encodeCp936(u"", out, &index));
    EXPECT_TRUE(out.isEmpty());
}

// Every code point either encodes into bytes that decode back to it, or is an error at its index.
// ICU's own stop callback let 66 "default ignorable" ones (U+00AD, U+200B…U+200F, U+FEFF, the
// variation selectors …) vanish with a success, so a path holding one named another file.
TEST(PlatformCp936, EveryCodePointEncodesExactlyOrIsAnError) {
    std::vector<char32_t> points;
    for (char32_t c = 0; c <= 0xFFFF; ++c)
        if (c < 0xD800 || c > 0xDFFF) points.push_back(c);
    for (char32_t c : {0x1BCA0u, 0x1BCA3u, 0x1D173u, 0x1D17Au, 0x1F600u, 0x20000u})
        points.push_back(c);
    for (char32_t c = 0xE0000; c <= 0xE0FFF; c += 0x11) points.push_back(c);
    for (char32_t c : points) {
        const QString s = u"a"_s + QString::fromUcs4(&c, 1) + u"b"_s;
        QByteArray out;
        qsizetype index = 99;
        if (ml::encodeCp936(s, out, &index)) {
            QString back;
            ASSERT_TRUE(ml::decodeCp936(out, back));
            ASSERT_EQ(back, s) << std::hex << uint(c);
            ASSERT_EQ(index, -1);
        } else {
            ASSERT_EQ(index, 1) << std::hex << uint(c);
        }
    }
    for (char16_t c :
         {u'\u00AD', u'\u200B', u'\u200F', u'\u2060', u'\uFE0F', u'\uFEFF', u'\uFFA0'}) {
        QByteArray out;
        qsizetype index = 99;
        EXPECT_FALSE(ml::encodeCp936(QString(QChar(c)), out, &index)) << std::hex << uint(c);
        EXPECT_EQ(index, 0);
        EXPECT_TRUE(ml::describeCharacter(QString(QChar(c)), 0)
                        .contains(u"U+"_s + QString::number(uint(c), 16).toUpper().rightJustified(4, u'0')));
    }
}

TEST(PlatformCp936, IncrementalDecoderJoinsSplitCharacters) {
    ml::Cp936Decoder d;
    QString out;
    ASSERT_TRUE(d.decode("a\xbc", 2, false, out));
    ASSERT_TRUE(d.decode("\xd7\xd2", 2, false, out));
    ASSERT_TRUE(d.decode("\xd2", 1, false, out));
    ASSERT_TRUE(d.decode(nullptr, 0, true, out));
    EXPECT_EQ(out, QString::fromUtf16(u"a甲乙"));
}

TEST(PlatformCp936, IncrementalDecoderErrors) {
    ml::Cp936Decoder d;
    QString out;
    ASSERT_TRUE(d.decode("abc", 3, false, out));
    EXPECT_FALSE(d.decode("d\xbc", 2, true, out));  // lead byte left at the very end
    EXPECT_EQ(d.errorOffset(), 4);
    EXPECT_EQ(out, "abcd");  // the text before the bad sequence is kept

    d.reset();
    out.clear();
    EXPECT_EQ(d.errorOffset(), -1);
    ASSERT_TRUE(d.decode("xy\x81", 3, false, out));
    EXPECT_FALSE(d.decode("\x20z", 2, false, out));  // lead byte from the previous chunk
    EXPECT_EQ(d.errorOffset(), 2);
    EXPECT_EQ(out, "xy");
}

}  // namespace
