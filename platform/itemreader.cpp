#include "itemreader.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <utility>
#include <vector>

namespace ml {

namespace {

// Only the blank itself: a tab is text like any other character, so a line that begins or ends
// with one reads back as it was written.
bool isBlank(char16_t c) { return c == u' '; }
bool isSpecial(char16_t c) { return c == u',' || c == u'\r' || c == u'\n' || c == u' '; }

// The number field of "config" keeps its old, wider separators: a tab there still ends the
// number, so a hand-edited file with tabs keeps its count.
bool isNumberBlank(char16_t c) { return c == u' ' || c == u'\t'; }
bool endsNumber(char16_t c) { return isSpecial(c) || c == u'\t'; }

}  // namespace

// Where the text of an item goes: a string that keeps at most `keep` units, or a sink.
struct ItemReader::Collector {
    QString* text = nullptr;
    qsizetype keep = -1;
    const std::function<void(QStringView)>* sink = nullptr;
    qint64 length = 0;

    void add(QStringView s) {
        if (s.isEmpty()) return;
        length += s.size();
        if (sink) {
            (*sink)(s);
        } else if (text) {
            if (keep < 0) {
                text->append(s);
            } else if (text->size() < keep) {
                text->append(s.left(keep - text->size()));
            }
        }
    }

    void addRepeat(char16_t c, qint64 n) {
        if (sink) {
            constexpr qint64 kPiece = 4096;
            const QString piece(int(std::min(n, kPiece)), QChar(c));
            while (n > 0) {
                const qint64 m = std::min(n, kPiece);
                add(QStringView(piece).left(m));
                n -= m;
            }
            return;
        }
        length += n;
        if (!text) return;
        qint64 room = keep < 0 ? n : std::max<qint64>(0, keep - text->size());
        room = std::min(room, n);
        if (room > 0) text->append(QString(qsizetype(room), QChar(c)));
    }
};

std::unique_ptr<ItemReader> ItemReader::openFile(const QString& path, QString* error) {
    auto setError = [&](const QString& e) {
        if (error) *error = e;
        return nullptr;
    };
    const QString shown = QDir::toNativeSeparators(path);
    if (path.isEmpty()) return setError(QStringLiteral("没有给出文件名。"));
    const QFileInfo info(path);
    if (!info.exists()) return setError(QStringLiteral("找不到文件“%1”。").arg(shown));
    if (info.isDir()) return setError(QStringLiteral("“%1”是一个文件夹，不是文件。").arg(shown));
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::ReadOnly)) {
        return setError(
            QStringLiteral("无法读取文件“%1”（可能没有读取权限，或正被其他程序占用）。").arg(shown));
    }
    if (error) error->clear();
    return std::make_unique<ItemReader>(std::move(file));
}

std::unique_ptr<ItemReader> ItemReader::fromBytes(const QByteArray& bytes) {
    auto buffer = std::make_unique<QBuffer>();
    buffer->setData(bytes);
    buffer->open(QIODevice::ReadOnly);
    return std::make_unique<ItemReader>(std::move(buffer));
}

ItemReader::ItemReader(std::unique_ptr<QIODevice> device)
    : dev_(std::move(device)), dec_(std::make_unique<Cp936Decoder>()) {
    if (!dev_) {
        auto empty = std::make_unique<QBuffer>();
        empty->open(QIODevice::ReadOnly);
        dev_ = std::move(empty);
    } else if (!dev_->isOpen()) {
        if (!dev_->open(QIODevice::ReadOnly)) {
            pending_ = Error::Io;
            ioError_ = dev_->errorString();
        }
    }
}

ItemReader::~ItemReader() = default;

bool ItemReader::fill() {
    buf_.clear();
    pos_ = 0;
    while (buf_.isEmpty()) {
        if (pending_ != Error::None || eofBytes_) return false;
        QByteArray chunk(chunkSize_, Qt::Uninitialized);
        const qint64 n = dev_->read(chunk.data(), chunkSize_);
        if (n < 0) {
            pending_ = Error::Io;
            ioError_ = dev_->errorString();
            return false;
        }
        if (n == 0) eofBytes_ = true;
        if (!dec_->decode(chunk.constData(), qsizetype(n), n == 0, buf_)) {
            // The text before the bad sequence is still handed out; the failure comes after it.
            pending_ = Error::BadEncoding;
            pendingOffset_ = dec_->errorOffset();
        }
    }
    return true;
}

bool ItemReader::peek(char16_t& c) {
    if (pos_ >= buf_.size() && !fill()) return false;
    c = buf_.at(pos_).unicode();
    return true;
}

bool ItemReader::fail(Error e) {
    error_ = e;
    errorOffset_ = e == Error::BadEncoding ? pendingOffset_ : -1;
    return false;
}

bool ItemReader::atEnd() {
    if (error_ == Error::BadEncoding || error_ == Error::Io) return false;
    char16_t c;
    if (peek(c)) return false;
    return pending_ == Error::None;
}

bool ItemReader::readItem(Collector& out) {
    auto endOfData = [&]() -> bool {  // peek failed: the end, or a failure met ahead
        if (pending_ != Error::None) return fail(pending_);
        error_ = Error::None;
        errorOffset_ = -1;
        return true;
    };
    auto lineEndAfterCr = [&]() {
        char16_t c;
        if (peek(c) && c == u'\n') advance();
        // A failure met after the CR belongs to the next item.
    };

    char16_t c;
    if (!peek(c)) return fail(pending_ != Error::None ? pending_ : Error::PastEnd);

    for (;;) {  // blanks before the item
        if (!peek(c)) return endOfData();
        if (!isBlank(c)) break;
        advance();
    }

    if (c == u'"') {
        advance();
        bool closed = false;
        while (!closed) {
            if (pos_ >= buf_.size() && !fill()) return endOfData();  // never closed
            const qsizetype q = buf_.indexOf(QLatin1Char('"'), pos_);
            const qsizetype stop = q < 0 ? buf_.size() : q;
            out.add(QStringView(buf_).mid(pos_, stop - pos_));
            pos_ = stop;
            if (q >= 0) {
                advance();
                closed = true;
            }
        }
        for (;;) {  // whatever follows the closing quote up to the delimiter is ignored
            if (!peek(c)) return endOfData();
            advance();
            if (c == u',' || c == u'\n') break;
            if (c == u'\r') {
                lineEndAfterCr();
                break;
            }
        }
        error_ = Error::None;
        errorOffset_ = -1;
        return true;
    }

    // Blanks inside the item are held back (as runs) until something other than a delimiter
    // follows them, so blanks at the end are dropped without keeping the item in memory.
    std::vector<std::pair<char16_t, qint64>> blanks;
    for (;;) {
        if (!peek(c)) {
            if (pending_ != Error::None) return fail(pending_);
            break;
        }
        if (c == u',' || c == u'\n') {
            advance();
            break;
        }
        if (c == u'\r') {
            advance();
            lineEndAfterCr();
            break;
        }
        if (isBlank(c)) {
            if (!blanks.empty() && blanks.back().first == c) {
                ++blanks.back().second;
            } else {
                blanks.emplace_back(c, 1);
            }
            advance();
            continue;
        }
        for (const auto& [ch, n] : blanks) out.addRepeat(ch, n);
        blanks.clear();
        qsizetype j = pos_;
        const qsizetype size = buf_.size();
        const QChar* data = buf_.constData();
        while (j < size && !isSpecial(data[j].unicode())) ++j;
        out.add(QStringView(buf_).mid(pos_, j - pos_));
        pos_ = j;
    }
    error_ = Error::None;
    errorOffset_ = -1;
    return true;
}

bool ItemReader::next(QString* text, qsizetype keep, qint64* length) {
    if (text) text->clear();
    if (length) *length = 0;
    if (error_ == Error::BadEncoding || error_ == Error::Io) return false;
    Collector out;
    out.text = text;
    out.keep = keep;
    const bool ok = readItem(out);
    // A failed read hands out nothing, not the part of the item before the failure.
    if (!ok && text) text->clear();
    if (length) *length = ok ? out.length : 0;
    return ok;
}

bool ItemReader::next(const std::function<void(QStringView)>& sink) {
    if (error_ == Error::BadEncoding || error_ == Error::Io) return false;
    Collector out;
    out.sink = sink ? &sink : nullptr;
    return readItem(out);
}

QString ItemReader::errorString() const {
    switch (error_) {
    case Error::None:
        return QString();
    case Error::PastEnd:
        return QStringLiteral("已经读到文件末尾，没有更多内容了。");
    case Error::BadEncoding:
        return QStringLiteral("第 %1 字节处不是有效的 GBK（代码页 936）文本。").arg(errorOffset_ + 1);
    case Error::Io:
        return ioError_.isEmpty() ? QStringLiteral("读取文件时出错。")
                                  : QStringLiteral("读取文件时出错：%1").arg(ioError_);
    }
    return QString();
}

std::optional<qint16> parseNumberField(QStringView text) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && (isNumberBlank(text[i].unicode()) || text[i] == u'\r' || text[i] == u'\n')) ++i;
    qsizetype end = i;
    while (end < n && !endsNumber(text[end].unicode())) ++end;
    const QStringView field = text.mid(i, end - i);
    if (field.isEmpty()) return std::nullopt;

    qsizetype k = 0;
    bool negative = false;
    if (field[k] == u'+' || field[k] == u'-') {
        negative = field[k] == u'-';
        ++k;
    }
    auto isDigit = [](QChar ch) { return ch >= u'0' && ch <= u'9'; };
    qint64 whole = 0;
    qsizetype digits = 0;
    for (; k < field.size() && isDigit(field[k]); ++k, ++digits) {
        whole = whole * 10 + (field[k].unicode() - u'0');
        if (whole > 1000000) whole = 1000000;  // far outside the range; keep it from overflowing
    }
    QStringView fraction;
    if (k < field.size() && field[k] == u'.') {
        ++k;
        const qsizetype f = k;
        while (k < field.size() && isDigit(field[k])) ++k;
        fraction = field.mid(f, k - f);
        digits += fraction.size();
    }
    if (k != field.size() || digits == 0) return std::nullopt;

    // Round half to even on the exact decimal digits.
    if (!fraction.isEmpty()) {
        const int first = fraction[0].unicode() - u'0';
        bool restNonZero = false;
        for (qsizetype r = 1; r < fraction.size(); ++r) {
            if (fraction[r] != u'0') restNonZero = true;
        }
        if (first > 5 || (first == 5 && (restNonZero || whole % 2 == 1))) ++whole;
    }
    const qint64 value = negative ? -whole : whole;
    if (value < -32768 || value > 32767) return std::nullopt;
    return qint16(value);
}

}  // namespace ml
