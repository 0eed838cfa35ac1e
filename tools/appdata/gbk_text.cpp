// Converts a UTF-8 practice or help text from the source tree into the code page 936, CR LF file
// the tutor reads. Usage: gbk_text <source.txt> <target.txt>
//
// Every problem that would show up in front of a learner is a build error here instead: a line
// too long for the practice line, an ASCII comma or double quote (the line format splits or
// rewrites on them), a stray control character, or a character code page 936 cannot hold.

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringDecoder>
#include <QStringList>
#include <cstdio>

#include "platform/cp936.h"
#include "platform/textfile.h"

namespace {

// The widest line the practice view shows, in UTF-16 code units.
constexpr qsizetype kMaxLineLength = 28;

void report(const QString& message) {
    std::fputs(message.toLocal8Bit().constData(), stderr);
    std::fputc('\n', stderr);
}

QString hex(char32_t c) {
    return QStringLiteral("U+%1").arg(uint(c), 4, 16, QLatin1Char('0')).toUpper();
}

// Returns the problems of one line, each prefixed with "file:line:column: ".
QStringList checkLine(const QString& where, int number, const QString& line) {
    QStringList problems;
    const auto at = [&](qsizetype index) {
        return QStringLiteral("%1:%2:%3: ").arg(where).arg(number).arg(index + 1);
    };
    if (line.size() > kMaxLineLength) {
        problems << at(kMaxLineLength) +
                        QStringLiteral("line is %1 characters long; at most %2 fit a practice line")
                            .arg(line.size())
                            .arg(kMaxLineLength);
    }
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (c == u',') {
            problems << at(i) + QStringLiteral("ASCII comma; use the full-width '，'");
        } else if (c == u'"') {
            problems << at(i) + QStringLiteral("ASCII double quote; use '“' and '”'");
        } else if (c.unicode() < 0x20 || c.unicode() == 0x7F || c == QChar::ByteOrderMark) {
            problems << at(i) + QStringLiteral("control character %1").arg(hex(c.unicode()));
        }
    }
    // Checked one character at a time, so every character that cannot be written is named, with
    // characters outside the BMP shown whole rather than as half a surrogate pair.
    for (qsizetype i = 0; i < line.size();) {
        const qsizetype length =
            line.at(i).isHighSurrogate() && i + 1 < line.size() && line.at(i + 1).isLowSurrogate()
                ? 2
                : 1;
        const QStringView character = QStringView(line).mid(i, length);
        QByteArray encoded;
        if (!ml::encodeCp936(character, encoded)) {
            const char32_t code = length == 2 ? QChar::surrogateToUcs4(line.at(i), line.at(i + 1))
                                              : line.at(i).unicode();
            problems << at(i) + QStringLiteral("'%1' (%2) cannot be written in code page 936")
                                    .arg(character.toString(), hex(code));
        }
        i += length;
    }
    return problems;
}

}  // namespace

int main(int argc, char** argv) {
    // Through QCoreApplication the paths arrive intact on every platform, Chinese names included.
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 3) {
        report(QStringLiteral("usage: gbk_text <source.txt> <target.txt>"));
        return 2;
    }
    const QString source = args.at(1);
    const QString target = args.at(2);

    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) {
        report(QStringLiteral("%1: cannot read: %2").arg(source, in.errorString()));
        return 1;
    }
    const QByteArray bytes = in.readAll();
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString text = decoder.decode(bytes);
    if (decoder.hasError()) {
        report(QStringLiteral("%1: not valid UTF-8").arg(source));
        return 1;
    }
    if (text.startsWith(QChar::ByteOrderMark)) text.remove(0, 1);
    // A final line end closes the last line; it does not start an empty one.
    if (text.endsWith(u'\n')) text.chop(1);
    QStringList lines = text.split(u'\n');
    for (QString& line : lines) {
        if (line.endsWith(u'\r')) line.chop(1);
    }
    if (text.isEmpty()) {
        report(QStringLiteral("%1: the text is empty").arg(source));
        return 1;
    }

    QStringList problems;
    for (int i = 0; i < lines.size(); ++i) problems << checkLine(source, i + 1, lines.at(i));
    if (!problems.isEmpty()) {
        for (const QString& p : problems) report(p);
        report(QStringLiteral("%1: %2 problem(s); %3 not written")
                   .arg(source)
                   .arg(problems.size())
                   .arg(target));
        return 1;
    }

    if (!QDir().mkpath(QFileInfo(target).absolutePath())) {
        report(QStringLiteral("%1: cannot create its folder").arg(target));
        return 1;
    }
    QString error;
    if (!ml::writeLinesCp936(target, lines, &error)) {
        report(QStringLiteral("%1: cannot write: %2").arg(target, error));
        return 1;
    }
    return 0;
}
