#include "cp936.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_err.h>

#include <cstring>

namespace ml {

namespace {

// ICU's "windows-936" is Microsoft's code page 936 (0x80 is the euro sign). The alternatives are
// tried only in case an ICU build lacks that alias.
UConverter* openConverter() {
    static const char* const names[] = {"windows-936", "windows-936-2000", "GBK"};
    for (const char* name : names) {
        UErrorCode err = U_ZERO_ERROR;
        UConverter* cnv = ucnv_open(name, &err);
        if (U_FAILURE(err)) {
            if (cnv) ucnv_close(cnv);
            continue;
        }
        err = U_ZERO_ERROR;
        ucnv_setToUCallBack(cnv, UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &err);
        err = U_ZERO_ERROR;
        ucnv_setFromUCallBack(cnv, UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &err);
        ucnv_setFallback(cnv, false);
        return cnv;
    }
    return nullptr;
}

struct ConverterCloser {
    void operator()(UConverter* c) const {
        if (c) ucnv_close(c);
    }
};
using ConverterPtr = std::unique_ptr<UConverter, ConverterCloser>;

// One converter per thread for the whole-buffer conversions.
UConverter* threadConverter() {
    thread_local ConverterPtr cnv(openConverter());
    return cnv.get();
}

const char kNoBytes[1] = {0};

// Decodes with `cnv`, appending to `out`. Returns false with *badOffset (relative to `bytes`, may
// be negative when the bad sequence began in an earlier chunk) on the first bad sequence; the text
// before it is still appended.
bool toUnicode(UConverter* cnv, const char* bytes, qsizetype size, bool last, QString& out,
               qint64* badOffset) {
    if (!bytes) {
        bytes = kNoBytes;
        size = 0;
    }
    const qsizetype old = out.size();
    // Code page 936 never gives more than one UTF-16 unit per byte, plus one for a lead byte
    // carried over from the previous chunk.
    qsizetype capacity = size + 8;
    out.resize(old + capacity);
    const char* src = bytes;
    const char* const srcLimit = bytes + size;
    qsizetype written = 0;
    for (;;) {
        UChar* base = reinterpret_cast<UChar*>(out.data()) + old;
        UChar* target = base + written;
        UErrorCode err = U_ZERO_ERROR;
        ucnv_toUnicode(cnv, &target, base + capacity, &src, srcLimit, nullptr, last, &err);
        written = target - base;
        if (err == U_BUFFER_OVERFLOW_ERROR) {
            capacity = capacity * 2 + 16;
            out.resize(old + capacity);
            continue;
        }
        out.resize(old + written);
        if (U_FAILURE(err)) {
            char invalid[32];
            int8_t invalidLength = sizeof invalid;
            UErrorCode e2 = U_ZERO_ERROR;
            ucnv_getInvalidChars(cnv, invalid, &invalidLength, &e2);
            if (U_FAILURE(e2)) invalidLength = 0;
            if (badOffset) *badOffset = qint64(src - bytes) - invalidLength;
            ucnv_resetToUnicode(cnv);
            return false;
        }
        return true;
    }
}

}  // namespace

// The converter is opened at the first byte above 0x7F: up to there code page 936 is ASCII, and
// files such as "config" never need ICU's tables (nor the start-up its memory and time).
struct Cp936Decoder::Impl {
    ConverterPtr cnv;
    bool opened = false;
};

Cp936Decoder::Cp936Decoder() : d_(std::make_unique<Impl>()) {}
Cp936Decoder::~Cp936Decoder() = default;

bool Cp936Decoder::decode(const char* bytes, qsizetype size, bool last, QString& out) {
    if (!d_->opened) {
        const qsizetype n = bytes ? size : 0;
        qsizetype i = 0;
        while (i < n && static_cast<unsigned char>(bytes[i]) < 0x80) ++i;
        if (i == n) {
            out.append(QLatin1StringView(bytes, n));
            fed_ += n;
            return true;
        }
        d_->cnv.reset(openConverter());
        d_->opened = true;
    }
    if (!d_->cnv) {
        errorOffset_ = fed_;
        return false;
    }
    qint64 bad = 0;
    const bool ok = toUnicode(d_->cnv.get(), bytes, bytes ? size : 0, last, out, &bad);
    if (!ok) errorOffset_ = fed_ + bad;
    fed_ += bytes ? size : 0;
    if (ok && last) ucnv_resetToUnicode(d_->cnv.get());
    return ok;
}

void Cp936Decoder::reset() {
    if (d_->cnv) ucnv_resetToUnicode(d_->cnv.get());  // an unopened converter holds no state
    fed_ = 0;
    errorOffset_ = -1;
}

bool decodeCp936(const QByteArray& bytes, QString& out, qint64* errorOffset) {
    out.clear();
    UConverter* cnv = threadConverter();
    if (!cnv) {
        if (errorOffset) *errorOffset = 0;
        return false;
    }
    ucnv_resetToUnicode(cnv);
    qint64 bad = -1;
    const bool ok = toUnicode(cnv, bytes.constData(), bytes.size(), true, out, &bad);
    ucnv_resetToUnicode(cnv);
    if (errorOffset) *errorOffset = ok ? -1 : bad;
    return ok;
}

bool encodeCp936(QStringView text, QByteArray& out, qsizetype* errorIndex) {
    out.clear();
    UConverter* cnv = threadConverter();
    if (!cnv) {
        if (errorIndex) *errorIndex = 0;
        return false;
    }
    ucnv_resetFromUnicode(cnv);
    static const UChar kNoUnits[1] = {0};
    const UChar* const start =
        text.isEmpty() ? kNoUnits : reinterpret_cast<const UChar*>(text.utf16());
    const UChar* src = start;
    const UChar* const srcLimit = start + text.size();
    qsizetype capacity = text.size() * 2 + 8;
    out.resize(capacity);
    qsizetype written = 0;
    for (;;) {
        char* base = out.data();
        char* target = base + written;
        UErrorCode err = U_ZERO_ERROR;
        ucnv_fromUnicode(cnv, &target, base + capacity, &src, srcLimit, nullptr, true, &err);
        written = target - base;
        if (err == U_BUFFER_OVERFLOW_ERROR) {
            capacity = capacity * 2 + 16;
            out.resize(capacity);
            continue;
        }
        out.resize(written);
        if (U_FAILURE(err)) {
            UChar invalid[8];
            int8_t invalidLength = 8;
            UErrorCode e2 = U_ZERO_ERROR;
            ucnv_getInvalidUChars(cnv, invalid, &invalidLength, &e2);
            if (U_FAILURE(e2)) invalidLength = 0;
            if (errorIndex) *errorIndex = qsizetype(src - start) - invalidLength;
            ucnv_resetFromUnicode(cnv);
            return false;
        }
        if (errorIndex) *errorIndex = -1;
        return true;
    }
}

}  // namespace ml
