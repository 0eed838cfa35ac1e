// The code page 936 codec. Bytes that decode give the same bytes back when encoded, whole or in
// chunks; bytes that do not are reported at the first bad sequence, with everything before it
// decoded. Text (the input read as UTF-16) that encodes decodes back to itself; text that does
// not is reported at the first unit that code page 936 cannot hold, never silently shortened.
#include <QString>

#include "fuzz/harness.h"
#include "platform/cp936.h"

namespace {

void bytesSide(const QByteArray& bytes, int chunk) {
    QString text;
    qint64 bad = -2;
    const bool ok = ml::decodeCp936(bytes, text, &bad);

    // The same in chunks, as the item reader decodes.
    ml::Cp936Decoder d;
    QString pieces;
    bool chunkedOk = true;
    for (qsizetype at = 0; at <= bytes.size() && chunkedOk; at += chunk) {
        const qsizetype n = std::min<qsizetype>(chunk, bytes.size() - at);
        const bool last = at + n >= bytes.size();
        chunkedOk = d.decode(bytes.constData() + at, n, last, pieces);
        if (last) break;
    }
    ML_CHECK(chunkedOk == ok);
    ML_CHECK(pieces == text);

    if (ok) {
        ML_CHECK(bad == -1);
        QByteArray back;
        qsizetype index = -2;
        ML_CHECK(ml::encodeCp936(text, back, &index));
        ML_CHECK(index == -1);
        ML_CHECK(back == bytes);
        return;
    }
    ML_CHECK(bad >= 0 && bad < qMax<qint64>(bytes.size(), 1));
    ML_CHECK(d.errorOffset() == bad);
    // Everything before the bad sequence is text, and it is what was handed out.
    QString before;
    ML_CHECK(ml::decodeCp936(bytes.left(bad), before));
    ML_CHECK(before == text);
}

void textSide(const QByteArray& raw) {
    const QString text =
        QString::fromUtf16(reinterpret_cast<const char16_t*>(raw.constData()), raw.size() / 2);
    QByteArray bytes;
    qsizetype index = -2;
    if (ml::encodeCp936(text, bytes, &index)) {
        ML_CHECK(index == -1);
        QString back;
        ML_CHECK(ml::decodeCp936(bytes, back));
        ML_CHECK(back == text);
        return;
    }
    ML_CHECK(index >= 0 && index < text.size());
    QByteArray prefix;
    ML_CHECK(ml::encodeCp936(QStringView(text).left(index), prefix));
    // The unit (or surrogate pair) named is one that code page 936 cannot hold on its own.
    const qsizetype n =
        text[index].isHighSurrogate() && index + 1 < text.size() && text[index + 1].isLowSurrogate()
            ? 2
            : 1;
    QByteArray alone;
    ML_CHECK(!ml::encodeCp936(QStringView(text).mid(index, n), alone));
    ML_CHECK(!ml::describeCharacter(text, index).isEmpty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    mlfuzz::Input in(data, size);
    const int chunk = 1 + in.byte() % 5;
    const QByteArray rest = in.rest();
    bytesSide(rest, chunk);
    textSide(rest);
    return 0;
}
