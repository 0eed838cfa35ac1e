#pragma once
// The delimited item reader: practice files, conversion sources, "config" and the remote-content
// file are read item by item. An item ends at a line end (CR LF, CR or LF) or an ASCII comma;
// blanks (space, tab) before an item are skipped and blanks at the end of an unquoted item are
// dropped; an item that begins with an ASCII double quote runs to the next double quote (line ends
// and commas included), loses both quotes, and whatever follows the closing quote up to the
// delimiter is ignored; a blank line is an empty item; reading past the last item is a failure.
//
// The file is decoded lazily in chunks, so a huge file opens at once and only the items actually
// read are held in memory. An item longer than the caller wants is still consumed whole, but only
// its first `keep` code units are stored.
//
// Details:
// - "A\r\nB\r\nC\r\n" gives A, B, C and then atEnd(); "a,\r\nb" gives "a", "", "b";
//   "x\r\n\r\n" gives "x", "" and then atEnd(). The delimiter after an item is consumed with it.
// - atEnd() means literally that no byte is left. Blanks after the last delimiter (e.g.
//   "A\r\n  ") are still one more, empty, item; a file that is empty has no item at all.
// - A quote that is never closed runs to the end of the data; the item is everything after it.
// - Items before a bad code page 936 sequence are read normally; the item that reaches the bad
//   sequence fails with BadEncoding. BadEncoding and Io failures are final: every later read fails
//   the same way.

#include <QIODevice>
#include <QString>
#include <QStringView>
#include <functional>
#include <memory>
#include <optional>

#include "cp936.h"

namespace ml {

class ItemReader {
public:
    enum class Error { None, PastEnd, BadEncoding, Io };

    // Opens a local file. Returns nullptr and sets *error (a readable reason) when it cannot.
    static std::unique_ptr<ItemReader> openFile(const QString& path, QString* error = nullptr);
    // Reads from an in-memory copy (remote content is fetched once into memory).
    static std::unique_ptr<ItemReader> fromBytes(const QByteArray& bytes);
    explicit ItemReader(std::unique_ptr<QIODevice> device);
    ~ItemReader();

    // True when no byte is left to read: the next read would fail with PastEnd.
    bool atEnd();

    // Reads the next item. Stores at most `keep` code units of it in *text (all of it when keep is
    // negative) and its full length in *length. Returns false on failure (see error()).
    bool next(QString* text, qsizetype keep = -1, qint64* length = nullptr);

    // Reads the next item and hands its text to `sink` in pieces, for items of any size.
    bool next(const std::function<void(QStringView)>& sink);

    // The text already decoded and not yet read: the start of the next items, as far as the
    // current chunk reaches (possibly nothing). Reads nothing; for looking ahead only.
    QStringView lookahead() const { return QStringView(buf_).mid(pos_); }

    Error error() const { return error_; }
    // Byte offset of a bad code page 936 sequence (BadEncoding), else -1.
    qint64 errorOffset() const { return errorOffset_; }
    // A readable description of the last failure, in Chinese, for messages to the learner. For
    // BadEncoding it names the byte by its position counted from 1 (errorOffset() + 1).
    QString errorString() const;

    // Bytes read from the device at a time (default 64 KiB); for tests of chunk boundaries.
    void setChunkSize(qsizetype bytes) { chunkSize_ = bytes > 0 ? bytes : 1; }
    static constexpr qsizetype kDefaultChunkSize = 64 * 1024;

private:
    bool fill();  // decodes the next chunk into buf_; false at end or on error
    bool peek(char16_t& c);
    void advance() { ++pos_; }
    struct Collector;
    bool readItem(Collector& out);
    bool fail(Error e);

    std::unique_ptr<QIODevice> dev_;
    std::unique_ptr<Cp936Decoder> dec_;
    QString buf_;
    qsizetype pos_ = 0;
    bool eofBytes_ = false;
    Error error_ = Error::None;
    qint64 errorOffset_ = -1;
    // A failure met while decoding ahead; it is reported once the text before it is used up.
    Error pending_ = Error::None;
    qint64 pendingOffset_ = -1;
    qsizetype chunkSize_ = kDefaultChunkSize;
    QString ioError_;
};

// Reads the first field of "config"-style text as a whole number: blanks before it are skipped and
// the field ends at a blank, a comma or a line end. Line ends before the field are skipped too, like
// blanks (" \r\n 5" reads 5). Plain decimal numbers with an optional sign and fraction ("-3", "2.5",
// ".5", "5.") are numbers (a fraction is rounded half to even); anything else ("3abc", "1e3"), an
// empty file, or a value outside the 16-bit signed range is a failure (nullopt).
std::optional<qint16> parseNumberField(QStringView text);

}  // namespace ml
