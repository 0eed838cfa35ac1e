#include "record/drill.h"

#include <QDir>
#include <QFileInfo>

#include "platform/cp936.h"
#include "platform/textfile.h"
#include "record/reader.h"

namespace ml::record {

namespace {
const QString CR = QStringLiteral("\r");

bool inCodePage(QStringView s) {
    QByteArray bytes;
    return encodeCp936(s, bytes);
}
}  // namespace

QStringList drillLines(const std::vector<QChar>& chars, const WordLookup& wordOf, int lineLength) {
    QStringList lines;
    QString line;
    for (QChar c : chars) {
        if (!inCodePage(QStringView(&c, 1))) continue;
        QString group(c);
        const QString word = wordOf ? wordOf(c) : QString();
        if (word.size() == 2 && word.contains(c) && inCodePage(word)) group += word;
        if (line.size() + group.size() > lineLength) {
            lines << line;
            line.clear();
        }
        line += group;
    }
    if (!line.isEmpty()) lines << line;
    return lines;
}

DrillResult writeMistakesDrill(const QString& recordPath, const QString& target, qint64 nowMs,
                               const WordLookup& wordOf, int count) {
    DrillResult r;
    OpenStatus status;
    QString why;
    auto reader = RecordReader::open(recordPath, &status, &why);
    const QString nothingYet =
        CR + QStringLiteral("还没有练习记录，没有可练的错字。") + CR + CR +
        QStringLiteral("先练习一会儿，练习中打错的字和打得慢的字，就会出现在错字练习里。");
    if (!reader) {
        r.kind = status == OpenStatus::Missing ? DrillResult::NothingRecorded : DrillResult::Failed;
        r.message = status == OpenStatus::Missing ? nothingYet : why;
        return r;
    }
    std::vector<WeakChar> weak;
    if (!reader->weakest(nowMs, count, &weak, &why)) {
        r.message = why;
        return r;
    }
    std::vector<QChar> chars;
    for (const WeakChar& w : weak) chars.push_back(w.ch);
    const QStringList lines = drillLines(chars, wordOf);
    if (lines.isEmpty()) {
        r.kind = DrillResult::NothingRecorded;
        r.message = nothingYet;
        return r;
    }
    QDir().mkpath(QFileInfo(target).absolutePath());
    if (!writeLinesCp936(target, lines, &why)) {
        r.message = CR + QStringLiteral("无法写入错字练习 ") + QDir::toNativeSeparators(target) +
                    QStringLiteral("：") + why;
        return r;
    }
    r.kind = DrillResult::Written;
    r.characters = int(chars.size());
    return r;
}

}  // namespace ml::record
