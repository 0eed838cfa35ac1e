// The delimited item reader against a model of the item grammar, read through tiny chunks.
//
// The model parses the decoded text in one piece. Where the bytes hold a bad code page 936
// sequence, only the text before it exists; an item that needs to look past that text fails
// with BadEncoding at the sequence's offset, and every item ended before it is read normally.
#include <QBuffer>
#include <QStringList>
#include <memory>

#include "fuzz/harness.h"
#include "platform/cp936.h"
#include "platform/itemreader.h"

namespace {

struct Model {
    QStringList items;
    bool fails = false;  // the read after the last item fails with BadEncoding (not PastEnd)
};

// `text` is all there is when `more` is false; otherwise a bad sequence follows it.
Model parse(const QString& text, bool more) {
    Model m;
    const qsizetype n = text.size();
    qsizetype i = 0;
    auto stop = [&](bool failing) {
        m.fails = failing;
        return m;
    };
    for (;;) {
        if (i == n) return stop(more);  // nothing left, or the bad sequence comes next
        while (i < n && text[i] == u' ') ++i;
        if (i == n) {
            if (more) return stop(true);
            m.items << QString();  // blanks after the last line end are one more, empty, item
            return stop(false);
        }
        if (text[i] == u'"') {
            const qsizetype close = text.indexOf(u'"', i + 1);
            if (close < 0) {
                if (more) return stop(true);
                m.items << text.mid(i + 1);  // never closed: runs to the end
                return stop(false);
            }
            const QString item = text.mid(i + 1, close - i - 1);
            i = close + 1;
            for (;;) {  // whatever follows the closing quote up to the delimiter is ignored
                if (i == n) {
                    if (more) return stop(true);
                    break;
                }
                const QChar c = text[i++];
                if (c == u',' || c == u'\n') break;
                if (c == u'\r') {
                    if (i < n && text[i] == u'\n') ++i;
                    break;
                }
            }
            m.items << item;
            continue;
        }
        qsizetype j = i;
        while (j < n && text[j] != u',' && text[j] != u'\r' && text[j] != u'\n') ++j;
        if (j == n && more) return stop(true);
        qsizetype end = j;
        while (end > i && text[end - 1] == u' ') --end;
        m.items << text.mid(i, end - i);
        i = j;
        if (i < n) {
            const QChar d = text[i++];
            if (d == u'\r' && i < n && text[i] == u'\n') ++i;
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    mlfuzz::Input in(data, size);
    const int chunk = 1 + in.byte() % 7;
    const uint8_t how = in.byte();
    const QByteArray bytes = in.rest();

    QString decoded;
    qint64 bad = -1;
    const bool valid = ml::decodeCp936(bytes, decoded, &bad);
    const Model model = parse(decoded, !valid);

    auto buffer = std::make_unique<QBuffer>();
    buffer->setData(bytes);
    auto reader = std::make_unique<ml::ItemReader>(std::move(buffer));
    reader->setChunkSize(chunk);

    QStringList got;
    for (int guard = 0; guard <= model.items.size(); ++guard) {
        const bool end = reader->atEnd();
        const int mode = (how >> (guard % 4 * 2)) & 3;
        QString item;
        bool ok;
        if (mode == 3) {  // in pieces, as the conversion reads
            ok = reader->next([&](QStringView piece) {
                ML_CHECK(!piece.isEmpty());
                item += piece;
            });
        } else {
            const qsizetype keep = mode == 0 ? -1 : mode == 1 ? 0 : 3;
            qint64 length = -1;
            ok = reader->next(&item, keep, &length);
            if (ok && guard < model.items.size()) {
                const QString& want = model.items[guard];
                ML_CHECK(length == want.size());
                if (keep >= 0) {
                    ML_CHECK(item == want.left(keep));
                    item = want;  // the prefix was right; compare the rest of the run as a whole
                }
            }
        }
        if (!ok) {
            ML_CHECK(item.isEmpty() || mode == 3);
            break;
        }
        ML_CHECK(!end);
        got << item;
    }
    ML_CHECK(got == model.items);

    // The read after the last item fails the way the model says, and keeps failing so.
    if (model.fails) {
        ML_CHECK(reader->error() == ml::ItemReader::Error::BadEncoding);
        ML_CHECK(reader->errorOffset() == bad);
        ML_CHECK(reader->errorString().contains(QString::number(bad + 1)));
        ML_CHECK(!reader->atEnd());
    } else {
        ML_CHECK(reader->error() == ml::ItemReader::Error::PastEnd);
        ML_CHECK(reader->atEnd());
    }
    QString again;
    ML_CHECK(!reader->next(&again));
    ML_CHECK(again.isEmpty());
    return 0;
}
