#include "content/convert.h"

#include <QDir>
#include <QFileInfo>

#include "platform/itemreader.h"
#include "platform/textfile.h"
#include "platform/wholefile.h"

namespace ml {

namespace {

// Items up to this many code units are held whole so they can be read as numbers; longer ones
// are poured piece by piece as they arrive and are never numbers.
constexpr qsizetype kHeldItemLimit = 64 * 1024;

constexpr char16_t kIdeographicSpace = u'\u3000';
constexpr char16_t kFullWidthApostrophe = u'\uFF07';
constexpr char16_t kFullWidthOffset = 0xFEE0;

bool isAsciiDigit(QChar c) { return c >= u'0' && c <= u'9'; }

// Feeds the items of a reader into a pourer. Short items are collected first so that they can be
// read as numbers; the reader hands text over in pieces, so memory stays bounded for any item.
class ItemFeeder {
public:
    explicit ItemFeeder(LinePourer& pourer) : pourer_(pourer) {}

    void piece(QStringView text) {
        if (failed_) return;
        // NUL stands in no text; the source is binary after all (it was judged on its start).
        if (text.contains(QChar(u'\0'))) {
            binary_ = true;
            failed_ = true;
            return;
        }
        if (!streaming_) {
            if (held_.size() + text.size() <= kHeldItemLimit) {
                held_.append(text);
                return;
            }
            streaming_ = true;
            if (!pourer_.feed(held_)) {
                failed_ = true;
                return;
            }
            held_.resize(0);
        }
        if (!pourer_.feed(text)) failed_ = true;
    }

    // Ends the current item; false when writing failed somewhere in it.
    bool finish() {
        bool ok = !failed_;
        if (ok && !streaming_) ok = pourer_.feed(itemAsValue(held_));
        held_.resize(0);  // keeps the capacity for the next item
        streaming_ = false;
        failed_ = false;
        return ok;
    }
    bool foundBinary() const { return binary_; }

private:
    LinePourer& pourer_;
    QString held_;
    bool streaming_ = false;
    bool failed_ = false;
    bool binary_ = false;
};

// "message：detail", or "message。" when there is no detail.
QString withDetail(const QString& message, const QString& detail) {
    return detail.isEmpty() ? message + u'。' : message + u'：' + detail;
}

QString readFailure(const ItemReader& source) {
    if (source.error() == ItemReader::Error::BadEncoding) {
        // Counted from 1, as the reader names it when a practice file is opened.
        return QStringLiteral("源文件不是有效的 GBK 文本：第 %1 字节处的编码有误。")
            .arg(source.errorOffset() + 1);
    }
    return withDetail(QStringLiteral("读取源文件时出错"), source.errorString());
}

QString writeFailure(const Cp936LineWriter& out) {
    return withDetail(QStringLiteral("写入目标文件时出错"), out.errorString());
}

bool isHardFailure(ItemReader::Error e) {
    return e == ItemReader::Error::BadEncoding || e == ItemReader::Error::Io;
}

// convertStream, also counting the lines written.
bool pourStream(ItemReader& source, Cp936LineWriter& out, QString* error, qint64* lineCount) {
    qint64 lines = 0;
    LinePourer pourer([&](QStringView line) {
        if (!out.writeLine(line)) return false;
        ++lines;
        return true;
    });
    auto fail = [&](const QString& reason) {
        if (error) *error = reason;
        if (lineCount) *lineCount = lines;
        return false;
    };

    ItemFeeder feeder(pourer);
    const std::function<void(QStringView)> sink = [&](QStringView text) { feeder.piece(text); };
    while (!source.atEnd()) {
        if (!source.next(sink)) {
            feeder.finish();
            if (feeder.foundBinary()) return fail(binaryContentReason());
            // Trailing blanks after the last line end may leave nothing to read: that is the end.
            if (source.error() == ItemReader::Error::PastEnd) break;
            return fail(readFailure(source));
        }
        if (feeder.foundBinary()) return fail(binaryContentReason());
        if (!feeder.finish()) return fail(writeFailure(out));
    }
    // atEnd() decodes ahead and may be where a bad byte is found.
    if (isHardFailure(source.error())) return fail(readFailure(source));

    if (!out.writeLine(pourer.rest())) return fail(writeFailure(out));
    ++lines;
    if (lineCount) *lineCount = lines;
    return true;
}

// Two names for one existing file (symbolic links and "." / ".." resolved).
bool sameFile(const QString& a, const QString& b) {
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath();
}

}  // namespace

QString itemAsValue(QStringView item) {
    qsizetype i = 0;
    const qsizetype n = item.size();
    bool negative = false;
    if (i < n && (item[i] == u'+' || item[i] == u'-')) {
        negative = item[i] == u'-';
        ++i;
    }
    const qsizetype intStart = i;
    while (i < n && isAsciiDigit(item[i])) ++i;
    const qsizetype intEnd = i;
    qsizetype fracStart = i;
    qsizetype fracEnd = i;
    if (i < n && item[i] == u'.') {
        fracStart = ++i;
        while (i < n && isAsciiDigit(item[i])) ++i;
        fracEnd = i;
    }
    if (i != n || (intEnd == intStart && fracEnd == fracStart)) return item.toString();

    // Exact, digit by digit: a long number keeps all its digits instead of passing through a
    // floating-point value.
    qsizetype intFirst = intStart;
    while (intFirst < intEnd && item[intFirst] == u'0') ++intFirst;
    while (fracEnd > fracStart && item[fracEnd - 1] == u'0') --fracEnd;
    const bool zero = intFirst == intEnd && fracEnd == fracStart;
    if (zero) return QStringLiteral("0");

    QString out;
    out.reserve(1 + (intEnd - intFirst) + 2 + (fracEnd - fracStart));
    if (negative) out += u'-';
    if (intFirst == intEnd)
        out += u'0';
    else
        out += item.sliced(intFirst, intEnd - intFirst);
    if (fracEnd > fracStart) {
        out += u'.';
        out += item.sliced(fracStart, fracEnd - fracStart);
    }
    return out;
}

QChar fullWidth(QChar c) {
    const char16_t u = c.unicode();
    if (u == u' ') return QChar(kIdeographicSpace);
    if (u == u'"') return QChar();
    if (u >= 0x21 && u <= 0x7E) return QChar(char16_t(u + kFullWidthOffset));
    return c;
}

bool isLineHeadForbidden(QChar c) {
    switch (c.unicode()) {
        case u'\uFF0C':  // ，
        case u'\u3002':  // 。
        case u'\uFF1F':  // ？
        case u'\u3001':  // 、
        case u'\uFF1B':  // ；
        case u'\uFF1A':  // ：
        case u'\u201D':  // ”
        case u'\uFF5D':  // ｝
        case u'\uFF3D':  // ］
        case u'\uFF5E':  // ～
        case u'\uFF01':  // ！
        case u'\u2019':  // ’
        case u'\u2026':  // …
        case u'\u300B':  // 》
            return true;
        default:
            return false;
    }
}

bool LinePourer::feed(QStringView text) {
    for (QChar raw : text) {
        // A line end inside a quoted item would split the practice line it lands in: the file
        // would read back as other lines than the ones written.
        if (raw == u'\r' || raw == u'\n') continue;
        const QChar c = fullWidth(raw);
        if (c.isNull()) continue;
        if (buf_.isEmpty() && isLineHeadForbidden(c)) continue;
        if (c == QChar(kFullWidthApostrophe)) continue;
        if (buf_.capacity() < kLineLength) buf_.reserve(kLineLength);
        buf_ += c;
        if (buf_.size() == kLineLength) {
            if (!emit_(buf_)) return false;
            buf_.resize(0);
        }
    }
    return true;
}

QStringList convertItems(const QStringList& items) {
    QStringList lines;
    LinePourer pourer([&](QStringView line) {
        lines.append(line.toString());
        return true;
    });
    for (const QString& item : items) pourer.feed(itemAsValue(item));
    lines.append(pourer.rest());
    return lines;
}

bool convertStream(ItemReader& source, Cp936LineWriter& out, QString* error) {
    return pourStream(source, out, error, nullptr);
}

int runConvertCommand(const QString& source, const QString& target, QString* report) {
    auto fail = [&](const QString& reason) {
        if (report) *report = QStringLiteral("转换失败：%1").arg(reason);
        return 1;
    };
    if (source.isEmpty() || target.isEmpty())
        return fail(QStringLiteral("需要给出源文件和目标文件：--convert 源文件 目标文件"));
    const QString shownSource = QDir::toNativeSeparators(source);
    const QString shownTarget = QDir::toNativeSeparators(target);
    if (sameFile(source, target)) {
        return fail(QStringLiteral("源文件和目标文件是同一个文件（%1），请另选目标文件。")
                        .arg(shownTarget));
    }

    QString why;
    std::unique_ptr<ItemReader> reader = ItemReader::openFile(source, &why);
    if (!reader) {
        if (!QFileInfo::exists(source))
            return fail(QStringLiteral("找不到源文件 %1。").arg(shownSource));
        return fail(withDetail(QStringLiteral("无法打开源文件 %1").arg(shownSource), why));
    }
    // Judged on its start as a practice file is when it is opened, so /dev/zero is refused at once.
    if (startsLikeBinary(source)) {
        return fail(withDetail(QStringLiteral("无法转换源文件 %1").arg(shownSource),
                               binaryContentReason()));
    }
    // A device or pipe may never end.
    if (!QFileInfo(source).isFile()) {
        return fail(QStringLiteral("源文件 %1 不是普通文件。").arg(shownSource));
    }

    Cp936LineWriter out;
    if (!out.open(target, &why)) {
        return fail(withDetail(QStringLiteral("无法写入目标文件 %1").arg(shownTarget), why));
    }
    qint64 lines = 0;
    if (!pourStream(*reader, out, &why, &lines)) {
        out.cancel();
        if (report) *report = QStringLiteral("转换 %1 失败：%2").arg(shownSource, why);
        return 1;
    }
    if (!out.commit(&why)) {
        return fail(withDetail(QStringLiteral("无法保存目标文件 %1").arg(shownTarget), why));
    }
    if (report)
        *report = QStringLiteral("已转换：%1（%2 行）").arg(shownTarget, QString::number(lines));
    return 0;
}

}  // namespace ml
