#include <gtest/gtest.h>

#include "platform/qtprint.h"

#include "platform/cp936.h"

namespace {

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
