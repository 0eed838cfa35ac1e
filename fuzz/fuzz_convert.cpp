// The conversion of plain text into practice lines. Whatever the source, a conversion that
// succeeds writes lines of at most 28 UTF-16 units, all but the last exactly 28, with no printable
// ASCII in them; the file reads back, item by item, as exactly those lines; and they are the lines
// the rules make of the source's items. One that fails says why.
#include <QBuffer>
#include <QStringList>
#include <memory>

#include "content/convert.h"
#include "fuzz/harness.h"
#include "platform/cp936.h"
#include "platform/itemreader.h"
#include "platform/textfile.h"

namespace {

std::unique_ptr<ml::ItemReader> readerOf(const QByteArray& bytes, int chunk) {
    auto buffer = std::make_unique<QBuffer>();
    buffer->setData(bytes);
    auto reader = std::make_unique<ml::ItemReader>(std::move(buffer));
    reader->setChunkSize(chunk);
    return reader;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    mlfuzz::Input in(data, size);
    const int chunk = 1 + in.byte() % 7;
    const QByteArray source = in.rest();

    auto reader = readerOf(source, chunk);
    auto* sink = new QBuffer;
    QByteArray* written = &sink->buffer();
    sink->open(QIODevice::WriteOnly);
    ml::Cp936LineWriter out;
    ML_CHECK(out.open(std::unique_ptr<QIODevice>(sink)));
    QString error;
    const bool ok = ml::convertStream(*reader, out, &error);
    if (!ok) {
        ML_CHECK(!error.isEmpty());
        // Only a bad sequence or a NUL (binary data) makes a source fail: everything code page
        // 936 decodes to can be written again, full-width forms included.
        QString decoded;
        ML_CHECK(!ml::decodeCp936(source, decoded) || source.contains('\0'));
        out.cancel();
        return 0;
    }
    const QByteArray bytes = *written;
    ML_CHECK(out.commit());

    // The lines as written: CR LF after each one, the last one included.
    ML_CHECK(bytes.endsWith("\r\n"));
    QString text;
    ML_CHECK(ml::decodeCp936(bytes, text));
    QStringList lines = text.split(QStringLiteral("\r\n"));
    ML_CHECK(lines.last().isEmpty());
    lines.removeLast();
    ML_CHECK(!lines.isEmpty());
    for (qsizetype k = 0; k < lines.size(); ++k) {
        const QString& line = lines[k];
        if (k + 1 < lines.size())
            ML_CHECK(line.size() == ml::kLineLength);
        else
            ML_CHECK(line.size() < ml::kLineLength);
        for (QChar c : line) {
            ML_CHECK(c.unicode() < 0x20 || c.unicode() > 0x7E);
            ML_CHECK(c != u'\r' && c != u'\n');
            ML_CHECK(c != u'\uFF07');
        }
        if (!line.isEmpty()) ML_CHECK(!ml::isLineHeadForbidden(line[0]));
    }

    // Read back as the window reads a practice file.
    auto back = readerOf(bytes, chunk);
    QStringList items;
    QString item;
    while (back->next(&item)) items << item;
    ML_CHECK(back->error() == ml::ItemReader::Error::PastEnd);
    ML_CHECK(items == lines);

    // The same lines as the rules make of the source's items taken whole.
    auto again = readerOf(source, 64 * 1024);
    QStringList sourceItems;
    while (again->next(&item)) sourceItems << item;
    // (Items too long to be held whole are poured as they come and are never numbers.)
    bool held = true;
    for (const QString& s : sourceItems) held = held && s.size() <= 64 * 1024;
    if (held) ML_CHECK(ml::convertItems(sourceItems) == lines);
    return 0;
}
