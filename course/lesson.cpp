#include "course/lesson.h"

#include <QDir>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>

#include "platform/wholefile.h"

namespace ml::course {

namespace {

// The largest lesson file is a few hundred kilobytes; anything far beyond is not a lesson.
constexpr qint64 kMaxFileBytes = 8 * 1024 * 1024;

bool isCode(QStringView code, int maxLength = 4) {
    if (code.isEmpty() || code.size() > maxLength) return false;
    for (QChar c : code)
        if (c < u'a' || c > u'y') return false;
    return true;
}

// The file's lines, or nothing (with the reason) when it cannot be a lesson file.
std::optional<QStringList> readLines(const QString& path, QString* why) {
    QByteArray bytes;
    if (!readWholeFile(path, kMaxFileBytes, &bytes, why)) return std::nullopt;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError() || text.contains(QChar(0))) {
        *why = QStringLiteral("不是 UTF-8 文本");
        return std::nullopt;
    }
    if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
    QStringList lines = text.split(u'\n');
    for (QString& l : lines)
        if (l.endsWith(u'\r')) l.chop(1);
    return lines;
}

bool isComment(const QString& line) { return line.isEmpty() || line.startsWith(u'#'); }

std::optional<Kind> kindOf(QStringView s) {
    if (s == u"root") return Kind::Root;
    if (s == u"char") return Kind::Character;
    if (s == u"word") return Kind::Word;
    return std::nullopt;
}

std::optional<Answer> answerOf(QStringView s) {
    if (s == u"full") return Answer::Full;
    if (s == u"short") return Answer::Short;
    if (s == u"choice") return Answer::Choice;
    return std::nullopt;
}

QString lineProblem(const QString& file, int line, const QString& what) {
    return QStringLiteral("%1 第 %2 行：%3").arg(file).arg(line).arg(what);
}

}  // namespace

QString Item::key() const {
    if (!key_.isEmpty()) return key_;
    const char* prefix = kind == Kind::Root ? "r:" : kind == Kind::Word ? "w:" : "c:";
    return QLatin1String(prefix) + text;
}

std::optional<std::pair<Kind, QString>> parseItemKey(const QString& key) {
    if (key.size() < 3 || key[1] != u':') return std::nullopt;
    const QString text = key.mid(2);
    switch (key[0].unicode()) {
        case u'r': return std::pair{Kind::Root, text};
        case u'c': return std::pair{Kind::Character, text};
        case u'w': return std::pair{Kind::Word, text};
        default: return std::nullopt;
    }
}

QString answerKeys(const Item& item, Answer answer, bool shortFirst) {
    if (item.kind == Kind::Root) return item.code;
    const bool useShort = !item.shortCode.isEmpty() &&
                          (answer == Answer::Short || (answer == Answer::Choice && shortFirst));
    const QString code = useShort ? item.shortCode : item.code;
    return code.size() < 4 ? code + u' ' : code;
}

Lesson* Course::find(const QString& id) {
    const int i = indexOf(id);
    return i < 0 ? nullptr : &lessons[i];
}

const Lesson* Course::find(const QString& id) const {
    const int i = indexOf(id);
    return i < 0 ? nullptr : &lessons[i];
}

int Course::indexOf(const QString& id) const {
    for (int i = 0; i < lessons.size(); ++i)
        if (lessons[i].id == id) return i;
    return -1;
}

Course loadCourse(const QString& folder) {
    Course course;
    const QString path = QDir(folder).filePath(QStringLiteral("课程.tsv"));
    QString why;
    const auto lines = readLines(path, &why);
    if (!lines) {
        course.problems << QStringLiteral("读不出课程表 %1（%2）").arg(QDir::toNativeSeparators(path), why);
        return course;
    }
    QSet<QString> ids;
    for (int n = 0; n < lines->size(); ++n) {
        const QString& line = lines->at(n);
        if (isComment(line)) continue;
        const QStringList f = line.split(u'\t');
        auto bad = [&](const QString& what) {
            course.problems << lineProblem(QStringLiteral("课程.tsv"), n + 1, what);
        };
        if (f.size() < 9) {
            bad(QStringLiteral("应有 9 列，只有 %1 列").arg(f.size()));
            continue;
        }
        Lesson l;
        l.id = f[0].trimmed();
        l.title = f[1].trimmed();
        l.stage = f[2].trimmed();
        const auto kind = kindOf(f[3].trimmed());
        const auto answer = answerOf(f[4].trimmed());
        bool okA = false, okS = false, okR = false;
        l.goal.accuracy = f[5].trimmed().toInt(&okA);
        l.goal.speed = f[6].trimmed().toInt(&okS);
        l.roundSize = f[7].trimmed().toInt(&okR);
        l.source = f[8].trimmed();
        static const QRegularExpression idPattern(QStringLiteral("^[a-z0-9-]{1,40}$"));
        if (!idPattern.match(l.id).hasMatch()) {
            bad(QStringLiteral("课程名“%1”不合规").arg(l.id));
            continue;
        }
        if (ids.contains(l.id)) {
            bad(QStringLiteral("课程 %1 重复").arg(l.id));
            continue;
        }
        if (!kind || !answer || !okA || !okS || !okR || l.title.isEmpty() ||
            l.goal.accuracy < 0 || l.goal.accuracy > 100 || l.goal.speed < 0 ||
            l.goal.speed > 1000 || l.roundSize < 1 || l.roundSize > 200) {
            bad(QStringLiteral("课程 %1 的种类、目标或每轮个数不对").arg(l.id));
            continue;
        }
        l.kind = *kind;
        l.answer = *answer;
        ids.insert(l.id);
        course.lessons << l;
    }
    if (course.lessons.isEmpty() && course.problems.isEmpty())
        course.problems << QStringLiteral("课程表 %1 中没有课程").arg(QDir::toNativeSeparators(path));
    return course;
}

bool loadItems(Lesson& lesson, const QString& folder, const ItemChecks& checks,
               QStringList* problems) {
    lesson.items.clear();
    lesson.loaded = false;
    const QString name = lesson.id + QStringLiteral(".tsv");
    const QString path = QDir(folder).filePath(name);
    QString why;
    const auto lines = readLines(path, &why);
    if (!lines) {
        if (problems)
            *problems << QStringLiteral("读不出课程“%1”的文件 %2（%3）")
                             .arg(lesson.title, QDir::toNativeSeparators(path), why);
        return false;
    }
    QSet<QString> seen;
    QStringList noCode;
    int dropped = 0;
    lesson.items.reserve(lines->size());
    seen.reserve(lines->size());
    for (int n = 0; n < lines->size(); ++n) {
        const QString& line = lines->at(n);
        if (isComment(line)) continue;
        // Views into the line: a lesson of thousands of rows is read when it is first practised.
        const QList<QStringView> f = QStringView(line).split(u'\t');
        auto field = [&f](int k) { return k < f.size() ? f[k].trimmed() : QStringView(); };
        auto bad = [&](const QString& what) {
            ++dropped;
            if (problems && dropped <= 5) *problems << lineProblem(name, n + 1, what);
        };
        Item item;
        item.kind = lesson.kind;
        item.text = field(0).toString();
        item.code = field(1).toString().toLower();
        item.shortCode = field(2).toString().toLower();
        item.group = field(3).toString();
        item.label = field(4).toString();
        if (item.text.isEmpty() || item.text.size() > 16) {
            bad(QStringLiteral("没有可练的字根或字词"));
            continue;
        }
        if (seen.contains(item.text)) continue;  // a repeated row adds nothing
        if (item.kind == Kind::Root) {
            if (!isCode(item.code, 1)) {
                bad(QStringLiteral("字根 %1 没有键位").arg(item.text));
                continue;
            }
            if (checks.drawable && !checks.drawable(item.text)) {
                bad(QStringLiteral("字根 %1 没有图，已略去").arg(item.text));
                continue;
            }
        } else {
            if (item.code.isEmpty() && checks.codeOf) {
                if (auto c = checks.codeOf(item.text)) item.code = c->trimmed().toLower();
            }
            if (item.code.isEmpty()) {
                noCode << item.text;
                continue;
            }
            if (!isCode(item.code)) {
                bad(QStringLiteral("%1 的编码“%2”不是五笔编码").arg(item.text, item.code));
                continue;
            }
            if (!item.shortCode.isEmpty() &&
                (!isCode(item.shortCode, 3) || item.shortCode.size() >= item.code.size())) {
                bad(QStringLiteral("%1 的简码“%2”不对").arg(item.text, item.shortCode));
                continue;
            }
        }
        seen.insert(item.text);
        item.freezeKey();
        lesson.items << item;
    }
    if (problems && !noCode.isEmpty())
        *problems << QStringLiteral("词库中没有这些字词的编码，已略去：%1")
                         .arg(noCode.mid(0, 20).join(u' ') + (noCode.size() > 20 ? QStringLiteral(" …") : QString()));
    if (problems && dropped > 5)
        *problems << QStringLiteral("%1 中另有 %2 行不能用").arg(name).arg(dropped - 5);
    if (lesson.items.isEmpty()) {
        if (problems) *problems << QStringLiteral("课程“%1”没有可练的内容").arg(lesson.title);
        return false;
    }
    lesson.loaded = true;
    return true;
}

QString itemRow(const Item& item) {
    QString row = item.text + u'\t' + item.code + u'\t' + item.shortCode;
    if (!item.group.isEmpty() || !item.label.isEmpty()) row += u'\t' + item.group;
    if (!item.label.isEmpty()) row += u'\t' + item.label;
    return row;
}

QString kindName(Kind kind) {
    switch (kind) {
        case Kind::Root: return QStringLiteral("字根");
        case Kind::Character: return QStringLiteral("字");
        case Kind::Word: return QStringLiteral("词");
    }
    return {};
}

}  // namespace ml::course
