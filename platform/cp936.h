#pragma once
// Code page 936 (GBK) text: the encoding of every file the tutor reads or writes.
// Decoding is strict: a bad or truncated byte sequence is an error with its byte offset,
// never silently replaced, so a learner is told which file is broken and where.

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <memory>

namespace ml {

// Incremental decoder for data that arrives in chunks (lazy reading of large files).
class Cp936Decoder {
public:
    Cp936Decoder();
    ~Cp936Decoder();
    Cp936Decoder(const Cp936Decoder&) = delete;
    Cp936Decoder& operator=(const Cp936Decoder&) = delete;

    // Appends the decoded text of `bytes` to `out`. With `last` set, a lead byte left over at the
    // end is an error. Returns false on the first bad sequence; errorOffset() then gives the
    // offset of that sequence from the first byte ever fed to this decoder (since reset()). The
    // text before the bad sequence is still appended to `out`. Uses ICU's "windows-936"
    // (Microsoft's table: 0x80 is €, 0xFF and the user-defined areas are private-use characters).
    bool decode(const char* bytes, qsizetype size, bool last, QString& out);
    qint64 errorOffset() const { return errorOffset_; }
    void reset();

private:
    struct Impl;
    std::unique_ptr<Impl> d_;
    qint64 fed_ = 0;
    qint64 errorOffset_ = -1;
};

// Whole-buffer conversions. On failure they return false and give the offset of the first bad
// byte (decoding) or the index of the first code unit that code page 936 cannot hold (encoding).
bool decodeCp936(const QByteArray& bytes, QString& out, qint64* errorOffset = nullptr);
bool encodeCp936(QStringView text, QByteArray& out, qsizetype* errorIndex = nullptr);

// The character at `index` of `text` for messages, e.g. 字符“😀”（U+1F600）; an invisible one or
// a lone surrogate is named by its number only (字符 U+200B).
QString describeCharacter(QStringView text, qsizetype index);

}  // namespace ml
