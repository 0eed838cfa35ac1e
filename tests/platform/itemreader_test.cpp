// The delimited item reader: a table of inputs read at several chunk sizes (chunk size 1 splits
// every GBK character across two chunks), then the failures and the huge item.
#include <gtest/gtest.h>

#include "platform/qtprint.h"

#include <QBuffer>
#include <QTemporaryDir>

#include "platform/itemreader.h"
#include "support/tempdir.h"

namespace {

using ml::ItemReader;

struct ReadResult {
    QStringList items;
    ItemReader::Error error = ItemReader::Error::None;
    qint64 offset = -1;
    bool endSeen = false;  // atEnd() was true before the failing read
};

// Reads items until a read fails; checks that atEnd() agrees with the failure.
ReadResult readAll(ItemReader& r) {
    ReadResult res;
    for (int guard = 0; guard < 1000; ++guard) {
        const bool end = r.atEnd();
        QString item;
        qint64 length = -1;
        if (!r.next(&item, -1, &length)) {
            // A failed read hands out nothing, not the part before the failure (found by the
            // fuzzer: "cd" of "cd\x81\x7f" came back with the failure).
            EXPECT_TRUE(item.isEmpty()) << item.toStdString();
            EXPECT_EQ(length, 0);
            res.endSeen = end;
            res.error = r.error();
            res.offset = r.errorOffset();
            return res;
        }
        EXPECT_FALSE(end) << "atEnd() was true but an item was read";
        res.items << item;
    }
    ADD_FAILURE() << "too many items";
    return res;
}

struct Case {
    const char* name;
    QByteArray input;
    QStringList items;
};

QString gbk(const char16_t* s) { return QString::fromUtf16(s); }

const QList<Case>& cases() {
    static const QList<Case> all = {
        {"Empty", "", {}},
        {"CrLfTerminated", "A\r\nB\r\nC\r\n", {"A", "B", "C"}},
        {"NoFinalLineEnd", "A\r\nB", {"A", "B"}},
        {"CommaThenLineEnd", "a,\r\nb", {"a", "", "b"}},
        {"BlankLineAtEnd", "x\r\n\r\n", {"x", ""}},
        {"CrOnly", "A\rB\r\rC\r", {"A", "B", "", "C"}},
        {"LfOnly", "A\nB\n\nC", {"A", "B", "", "C"}},
        {"LfCrIsTwoLineEnds", "A\n\rB", {"A", "", "B"}},
        {"LeadingBlankLines", "\r\n\r\nA", {"", "", "A"}},
        {"Commas", "a,b,,c", {"a", "b", "", "c"}},
        {"TrailingComma", "a,", {"a"}},
        {"LoneComma", ",", {""}},
        {"BlanksAround", "  lead ,  b  \r\n", {"lead", "b"}},
        // A tab is no blank: neither skipped before an item nor dropped after it.
        {"TabsAreText", "  lead , \tb \t \r\n\t,", {"lead", "\tb \t", "\t"}},
        {"InnerBlanksKept", "a b \t c  ,d", {"a b \t c", "d"}},
        {"BlankOnlyLine", "A\r\n   \r\nB", {"A", "", "B"}},
        {"TrailingBlanksAreOneMoreItem", "A\r\n  ", {"A", ""}},
        {"OnlyBlanks", "   ", {""}},
        {"Quoted", "\"a,b\r\nc\",d", {"a,b\r\nc", "d"}},
        {"QuotedKeepsBlanks", "  \"  sp  \"  ,x", {"  sp  ", "x"}},
        {"AfterQuoteIgnored", "\"q\"junk more\r\nnext\r\n", {"q", "next"}},
        {"AfterQuoteIgnoredToComma", "\"q\" x\"y,z", {"q", "z"}},
        {"AfterQuoteIgnoredToCrLf", "\"q\" x\r\n\"r\"", {"q", "r"}},
        {"EmptyQuotes", "\"\",\"\"\r\n", {"", ""}},
        {"QuoteInsideItemIsText", "a\"b\",c", {"a\"b\"", "c"}},
        {"UnterminatedQuote", "a,\"open, end\r\n", {"a", "open, end\r\n"}},
        {"Gbk", "\xbc\xd7,\xd2\xd2\r\n\xbc\xd7\xd2\xd2", {gbk(u"甲"), gbk(u"乙"), gbk(u"甲乙")}},
        {"GbkInQuotes", "\"\xbc\xd7,\xd2\xd2\"", {gbk(u"甲,乙")}},
        {"Euro", "\x80,x\x80y", {gbk(u"€"), gbk(u"x€y")}},
    };
    return all;
}

class PlatformItemReaderTable : public ::testing::TestWithParam<int> {};

TEST_P(PlatformItemReaderTable, ReadsItemsAtEveryChunkSize) {
    const int chunk = GetParam();
    for (const Case& c : cases()) {
        SCOPED_TRACE(std::string(c.name) + " chunk " + std::to_string(chunk));
        auto r = ItemReader::fromBytes(c.input);
        if (chunk > 0) r->setChunkSize(chunk);
        const ReadResult res = readAll(*r);
        EXPECT_EQ(res.items, c.items);
        EXPECT_EQ(res.error, ItemReader::Error::PastEnd);
        EXPECT_TRUE(res.endSeen);
        EXPECT_EQ(res.offset, -1);
        // Past the end it keeps failing the same way.
        QString item = QStringLiteral("junk");
        EXPECT_FALSE(r->next(&item));
        EXPECT_TRUE(item.isEmpty());
        EXPECT_EQ(r->error(), ItemReader::Error::PastEnd);
        EXPECT_TRUE(r->atEnd());
        EXPECT_FALSE(r->errorString().isEmpty());
    }
}

INSTANTIATE_TEST_SUITE_P(Chunks, PlatformItemReaderTable, ::testing::Values(0, 1, 2, 3, 5));

TEST(PlatformItemReader, TrailByteInAsciiRange) {
    // 0x81 0x40 is one character; a GBK trail byte may be "@" or "," and must not end the item.
    QString expected1, expected2;
    ASSERT_TRUE(ml::decodeCp936("\x81\x40", expected1));
    ASSERT_TRUE(ml::decodeCp936("\x81\x7e", expected2));
    for (int chunk : {1, 2, 64}) {
        auto r = ItemReader::fromBytes("\x81\x40,\x81\x7e");
        r->setChunkSize(chunk);
        const ReadResult res = readAll(*r);
        EXPECT_EQ(res.items, QStringList({expected1, expected2}));
    }
}

struct BadCase {
    const char* name;
    QByteArray input;
    QStringList goodItems;  // read before the failure
    qint64 offset;
};

TEST(PlatformItemReader, BadEncodingReportsByteOffset) {
    const QList<BadCase> bad = {
        {"TruncatedLeadAtEnd", "A\r\n\xbc", {"A"}, 3},
        {"TruncatedLeadOnly", "\xbc", {}, 0},
        {"InvalidMidFile", "ab\r\ncd\x81\x7f" "ef\r\nmore", {"ab"}, 6},
        {"BadTrailByte", "x,\xbc\x20y", {"x"}, 2},
        {"AfterGbk", "\xbc\xd7\xd2\xd2\r\n\xbc\xd7\xa1\xff", {gbk(u"甲乙")}, 8},
        {"AfterLastCr", "A\r\x81\x7f", {"A"}, 2},
    };
    for (const BadCase& c : bad) {
        for (int chunk : {0, 1, 2, 3, 4}) {
            SCOPED_TRACE(std::string(c.name) + " chunk " + std::to_string(chunk));
            auto r = ItemReader::fromBytes(c.input);
            if (chunk > 0) r->setChunkSize(chunk);
            const ReadResult res = readAll(*r);
            EXPECT_EQ(res.items, c.goodItems);
            EXPECT_EQ(res.error, ItemReader::Error::BadEncoding);
            EXPECT_FALSE(res.endSeen);
            EXPECT_EQ(res.offset, c.offset);
            EXPECT_EQ(r->errorString(),
                      QStringLiteral("第 %1 字节处不是有效的 GBK（代码页 936）文本。").arg(c.offset + 1));
            // The failure is final.
            QString item;
            EXPECT_FALSE(r->next(&item));
            EXPECT_EQ(r->error(), ItemReader::Error::BadEncoding);
            EXPECT_EQ(r->errorOffset(), c.offset);
            EXPECT_FALSE(r->atEnd());
        }
    }
}

// A device whose reads fail after some bytes.
class FailingDevice : public QIODevice {
public:
    explicit FailingDevice(QByteArray first) : first_(std::move(first)) {}
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* data, qint64 max) override {
        if (first_.isEmpty()) {
            setErrorString(QStringLiteral("device broke"));
            return -1;
        }
        const qint64 n = std::min<qint64>(max, first_.size());
        memcpy(data, first_.constData(), size_t(n));
        first_.remove(0, n);
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray first_;
};

TEST(PlatformItemReader, ReadFailureIsIo) {
    auto dev = std::make_unique<FailingDevice>("A\r\nB");
    dev->open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    ItemReader r(std::move(dev));
    QString item;
    ASSERT_TRUE(r.next(&item));
    EXPECT_EQ(item, "A");
    EXPECT_FALSE(r.next(&item));
    EXPECT_EQ(r.error(), ItemReader::Error::Io);
    EXPECT_EQ(r.errorOffset(), -1);
    EXPECT_TRUE(r.errorString().contains("device broke"));
    EXPECT_FALSE(r.next(&item));
    EXPECT_EQ(r.error(), ItemReader::Error::Io);
}

TEST(PlatformItemReader, UnopenedDeviceIsOpened) {
    auto buffer = std::make_unique<QBuffer>();
    buffer->setData("x,y");
    ItemReader r(std::move(buffer));
    const ReadResult res = readAll(r);
    EXPECT_EQ(res.items, QStringList({"x", "y"}));
}

TEST(PlatformItemReader, KeepStoresOnlyThePrefix) {
    auto r = ItemReader::fromBytes("abcdef,  gh  ij   ,\"quoted item\",x");
    QString text;
    qint64 length = -1;
    ASSERT_TRUE(r->next(&text, 3, &length));
    EXPECT_EQ(text, "abc");
    EXPECT_EQ(length, 6);
    ASSERT_TRUE(r->next(&text, 4, &length));
    EXPECT_EQ(text, "gh  ");
    EXPECT_EQ(length, 6);  // "gh  ij": trailing blanks do not count
    ASSERT_TRUE(r->next(&text, 0, &length));
    EXPECT_EQ(text, "");
    EXPECT_EQ(length, 11);
    ASSERT_TRUE(r->next(nullptr, -1, &length));
    EXPECT_EQ(length, 1);
    EXPECT_TRUE(r->atEnd());
}

TEST(PlatformItemReader, SinkGetsTheWholeItem) {
    auto r = ItemReader::fromBytes("  one two  \t,\"q,\r\nx\"y\r\nlast");
    r->setChunkSize(2);
    QStringList items;
    for (;;) {
        QString item;
        if (!r->next([&](QStringView piece) { item += piece; })) break;
        items << item;
    }
    EXPECT_EQ(items, QStringList({"one two  \t", "q,\r\nx", "last"}));
    EXPECT_EQ(r->error(), ItemReader::Error::PastEnd);
}

TEST(PlatformItemReader, OpenFileFailures) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QString error;
    EXPECT_EQ(ItemReader::openFile(dir.filePath("missing.txt"), &error), nullptr);
    EXPECT_TRUE(error.contains(QStringLiteral("找不到"))) << error.toStdString();
    error.clear();
    EXPECT_EQ(ItemReader::openFile(dir.path(), &error), nullptr);
    EXPECT_TRUE(error.contains(QStringLiteral("文件夹"))) << error.toStdString();
    error.clear();
    EXPECT_EQ(ItemReader::openFile(QString(), &error), nullptr);
    EXPECT_FALSE(error.isEmpty());
}

TEST(PlatformItemReader, OpenFileUnreadable) {
    QTemporaryDir dir;
    QString error;
    const QString locked = dir.filePath("locked.txt");
    ASSERT_TRUE(mltest::writeFile(locked, "a"));
    QFile::setPermissions(locked, QFileDevice::WriteOwner);
    QFile probe(locked);
    if (probe.open(QIODevice::ReadOnly)) {
        GTEST_SKIP() << "running with rights that read any file";
    }
    error.clear();
    EXPECT_EQ(ItemReader::openFile(locked, &error), nullptr);
    EXPECT_TRUE(error.contains(QStringLiteral("无法读取"))) << error.toStdString();
}

TEST(PlatformItemReader, OpenFileReadsItems) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("练习.txt"));
    ASSERT_TRUE(mltest::writeFile(path, "\xbc\xd7\r\n\"a,b\"\r\n"));
    QString error = QStringLiteral("stale");
    auto r = ItemReader::openFile(path, &error);
    ASSERT_NE(r, nullptr);
    EXPECT_TRUE(error.isEmpty());
    const ReadResult res = readAll(*r);
    EXPECT_EQ(res.items, QStringList({gbk(u"甲"), "a,b"}));
    EXPECT_EQ(res.error, ItemReader::Error::PastEnd);
}

TEST(PlatformItemReader, HugeSingleLineItemKeepsPrefixAndLength) {
    // 20 MB in one item without a line end, with GBK characters split across every chunk
    // boundary somewhere, then one more item.
    const QByteArray unit = "\xbc\xd7" "ab\xd2\xd2" "c";  // 甲ab乙c: 7 bytes, 5 units
    const qsizetype repeats = 20 * 1024 * 1024 / unit.size();
    QByteArray bytes = unit.repeated(repeats);
    bytes += ",tail";
    const qint64 expectedLength = qint64(repeats) * 5;
    const QString expectedPrefix = QString::fromUtf16(u"甲ab乙c").repeated(6).left(28);

    QTemporaryDir dir;
    const QString path = dir.filePath("big.txt");
    ASSERT_TRUE(mltest::writeFile(path, bytes));
    bytes.clear();

    auto r = ItemReader::openFile(path);
    ASSERT_NE(r, nullptr);
    QString text;
    qint64 length = 0;
    ASSERT_TRUE(r->next(&text, 28, &length));
    EXPECT_EQ(text, expectedPrefix);
    EXPECT_EQ(length, expectedLength);
    ASSERT_TRUE(r->next(&text));
    EXPECT_EQ(text, "tail");
    EXPECT_TRUE(r->atEnd());

    // The same item through a sink comes in pieces no larger than a decoded chunk.
    r = ItemReader::openFile(path);
    ASSERT_NE(r, nullptr);
    qint64 total = 0;
    qsizetype largest = 0;
    QString head;
    ASSERT_TRUE(r->next([&](QStringView piece) {
        total += piece.size();
        largest = std::max(largest, piece.size());
        if (head.size() < 28) head += piece.left(28 - head.size());
    }));
    EXPECT_EQ(total, expectedLength);
    EXPECT_EQ(head, expectedPrefix);
    EXPECT_LE(largest, ItemReader::kDefaultChunkSize + 1);
}

TEST(PlatformItemReader, LongBlankRunsInsideAndAtEnd) {
    // The tabs in the middle are text, so only the last run of blanks is dropped.
    const QByteArray blanks = QByteArray(100000, ' ') + "\t\t" + QByteArray(1000, ' ');
    auto r = ItemReader::fromBytes("a" + blanks + "b" + blanks + "\r\nz");
    r->setChunkSize(4096);
    QString text;
    qint64 length = 0;
    ASSERT_TRUE(r->next(&text, 5, &length));
    EXPECT_EQ(text, "a    ");
    EXPECT_EQ(length, 2 + blanks.size() + 100002);
    ASSERT_TRUE(r->next(&text));
    EXPECT_EQ(text, "z");

    r = ItemReader::fromBytes("a" + blanks + "b" + blanks);
    QString streamed;
    ASSERT_TRUE(r->next([&](QStringView piece) { streamed += piece; }));
    EXPECT_EQ(streamed, QString::fromLatin1("a" + blanks + "b" + QByteArray(100000, ' ') + "\t\t"));
}

}  // namespace
