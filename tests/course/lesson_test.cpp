// Lessons as data: the list and the item files, what is left out of broken ones, and the lessons
// the build generates from the root table, the splits and the code table.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "course/lesson.h"
#include "tempdir.h"

namespace {

using namespace ml::course;
using namespace Qt::StringLiterals;

QString generated() { return QDir(qEnvironmentVariable("ML_APP_DIR")).filePath(u"课程"_s); }

Lesson lessonNamed(const QString& id, Kind kind = Kind::Character) {
    Lesson l;
    l.id = id;
    l.title = id;
    l.kind = kind;
    return l;
}

TEST(LessonList, MalformedRowsAreLeftOutAndNamed) {
    QTemporaryDir dir;
    ASSERT_TRUE(mltest::writeFile(
        dir.filePath(u"课程.tsv"_s),
        u"# comment\n"
        "good\t好课\t甲\tchar\tfull\t90\t60\t20\tkeynames\n"
        "short\t少列\t甲\tchar\n"
        "badkind\t坏\t甲\tnoun\tfull\t90\t60\t20\tx\n"
        "good\t重复\t甲\tchar\tfull\t90\t60\t20\tx\n"
        "Bad Id\t名字\t甲\tchar\tfull\t90\t60\t20\tx\n"
        "big\t太大\t甲\tchar\tfull\t90\t60\t100000\tx\n"
        "review\t复习\t乙\tchar\tfull\t90\t0\t20\treview\r\n"_s.toUtf8()));
    const Course c = loadCourse(dir.path());
    ASSERT_EQ(c.lessons.size(), 2);
    EXPECT_EQ(c.lessons[0].id, u"good"_s);
    EXPECT_EQ(c.lessons[0].goal, (Goal{90, 60}));
    EXPECT_TRUE(c.lessons[1].fromRecord());
    ASSERT_EQ(c.problems.size(), 5);
    EXPECT_TRUE(c.problems[0].contains(u"第 3 行"_s));
    EXPECT_TRUE(c.problems[2].contains(u"重复"_s));
}

TEST(LessonList, AMissingOrBinaryListIsOneProblem) {
    QTemporaryDir dir;
    Course c = loadCourse(dir.path());
    EXPECT_TRUE(c.lessons.isEmpty());
    ASSERT_EQ(c.problems.size(), 1);
    EXPECT_TRUE(c.problems[0].contains(u"课程表"_s));
    ASSERT_TRUE(mltest::writeFile(dir.filePath(u"课程.tsv"_s), QByteArray("\x89PNG\0\0\xff\xfe", 8)));
    c = loadCourse(dir.path());
    EXPECT_TRUE(c.lessons.isEmpty());
    EXPECT_EQ(c.problems.size(), 1);
}

TEST(LessonItems, UnusableRowsAreLeftOutWithAReason) {
    QTemporaryDir dir;
    ASSERT_TRUE(mltest::writeFile(dir.filePath(u"r.tsv"_s),
                                  u"王\tg\n@nope\tg\n@F-ge\tf\t\t\t革字底\n亻\tww\n"_s.toUtf8()));
    ItemChecks checks;
    checks.drawable = [](const QString& r) { return r != u"@nope"; };
    Lesson roots = lessonNamed(u"r"_s, Kind::Root);
    QStringList problems;
    ASSERT_TRUE(loadItems(roots, dir.path(), checks, &problems));
    ASSERT_EQ(roots.items.size(), 2);
    EXPECT_EQ(roots.items[1].label, u"革字底"_s);
    ASSERT_EQ(problems.size(), 2);
    EXPECT_TRUE(problems[0].contains(u"@nope"_s));  // no picture
    EXPECT_TRUE(problems[1].contains(u"亻"_s));     // a root has one key

    ASSERT_TRUE(mltest::writeFile(dir.filePath(u"c.tsv"_s),
                                  u"你\n码\tdcg\n缺\n坏\tab1\n短\tgggg\tggggg\n码\tdcg\n"_s.toUtf8()));
    checks.codeOf = [](const QString& t) -> std::optional<QString> {
        if (t == u"你") return u"WQIY"_s;
        return std::nullopt;
    };
    Lesson chars = lessonNamed(u"c"_s);
    problems.clear();
    ASSERT_TRUE(loadItems(chars, dir.path(), checks, &problems));
    ASSERT_EQ(chars.items.size(), 2);  // the repeated 码 once
    EXPECT_EQ(chars.items[0].code, u"wqiy"_s);  // from the dictionary, lower case
    EXPECT_TRUE(problems.join(u'\n').contains(u"词库中没有这些字词的编码，已略去：缺"_s));
    EXPECT_EQ(problems.size(), 3);
}

TEST(LessonItems, AMissingEmptyOrHugeFileIsNotALesson) {
    QTemporaryDir dir;
    Lesson l = lessonNamed(u"x"_s);
    QStringList problems;
    EXPECT_FALSE(loadItems(l, dir.path(), {}, &problems));
    EXPECT_FALSE(l.loaded);
    ASSERT_TRUE(mltest::writeFile(dir.filePath(u"x.tsv"_s), "# only a comment\n"));
    EXPECT_FALSE(loadItems(l, dir.path(), {}, &problems));
    ASSERT_TRUE(mltest::writeFile(dir.filePath(u"x.tsv"_s), QByteArray(9 * 1024 * 1024, 'a')));
    EXPECT_FALSE(loadItems(l, dir.path(), {}, &problems));
    EXPECT_EQ(problems.size(), 3);
}

// ---- The lessons the build writes ----

class Generated : public ::testing::Test {
protected:
    static void SetUpTestSuite() { course_ = new Course(loadCourse(generated())); }
    static void TearDownTestSuite() { delete course_; }
    Lesson& lesson(const QString& id) {
        Lesson* l = course_->find(id);
        EXPECT_TRUE(l) << id.toStdString();
        if (l && !l->loaded) {
            QStringList problems;
            EXPECT_TRUE(loadItems(*l, generated(), {}, &problems));
            EXPECT_TRUE(problems.isEmpty()) << problems.join(u'\n').toStdString();
        }
        return *l;
    }
    static QStringList texts(const Lesson& l, int n) {
        QStringList out;
        for (int i = 0; i < n && i < l.items.size(); ++i) out << l.items[i].text;
        return out;
    }
    static Course* course_;
};
Course* Generated::course_ = nullptr;

TEST_F(Generated, EveryLessonOfTheListLoads) {
    ASSERT_TRUE(course_->problems.isEmpty()) << course_->problems.join(u'\n').toStdString();
    ASSERT_GE(course_->lessons.size(), 15);
    for (Lesson& l : course_->lessons) {
        if (!l.fromRecord()) {
            EXPECT_FALSE(lesson(l.id).items.isEmpty()) << l.id.toStdString();
        }
    }
}

TEST_F(Generated, RootsComeKeyByKeyInTheTablesOrder) {
    const Lesson& heng = lesson(u"roots-1"_s);
    EXPECT_EQ(texts(heng, 7), (QStringList{u"王"_s, u"龶"_s, u"一"_s, u"五"_s, u"戋"_s, u"土"_s, u"士"_s}));
    QString keys;
    for (const Item& it : heng.items)
        if (!keys.endsWith(it.code)) keys += it.code;
    EXPECT_EQ(keys, u"gfdsa"_s);
    const Lesson& all = lesson(u"roots-all"_s);
    QString allKeys;
    for (const Item& it : all.items)
        if (!allKeys.endsWith(it.code)) allKeys += it.code;
    EXPECT_EQ(allKeys, u"gfdsahjklmtrewqyuiopnbvcx"_s);
    // Look-alikes share a group; drawn roots carry their names.
    auto find = [&all](const QString& t) {
        for (const Item& it : all.items)
            if (it.text == t) return it;
        return Item{};
    };
    EXPECT_FALSE(find(u"七"_s).group.isEmpty());
    EXPECT_EQ(find(u"七"_s).group, find(u"匕"_s).group);
    EXPECT_NE(find(u"七"_s).code, find(u"匕"_s).code);
    EXPECT_EQ(find(u"@F-ge"_s).label, u"革字底"_s);
}

TEST_F(Generated, KeyNamesShortCodesAndCommonCharacters) {
    const Lesson& names = lesson(u"keynames"_s);
    ASSERT_EQ(names.items.size(), 25);
    EXPECT_EQ(names.items[0].text, u"王"_s);
    for (const Item& it : names.items) EXPECT_EQ(it.code, QString(4, it.code[0])) << it.text.toStdString();
    EXPECT_EQ(texts(lesson(u"strokes"_s), 5), (QStringList{u"一"_s, u"丨"_s, u"丿"_s, u"丶"_s, u"乙"_s}));
    const Lesson& s1 = lesson(u"short1"_s);
    ASSERT_EQ(s1.items.size(), 25);
    EXPECT_EQ(s1.items[0].text, u"一"_s);
    EXPECT_EQ(answerKeys(s1.items[2], s1.answer, false), u"d "_s);  // 在
    const Lesson& s2 = lesson(u"short2"_s);
    EXPECT_GT(s2.items.size(), 550);
    for (const Item& it : s2.items) EXPECT_EQ(it.shortCode.size(), 2) << it.text.toStdString();
    EXPECT_EQ(lesson(u"chars-3500"_s).items.size(), 3500);
    const Lesson& c500 = lesson(u"chars-500"_s);
    ASSERT_EQ(c500.items.size(), 500);
    EXPECT_EQ(c500.answer, Answer::Choice);
    // Second- and third-level short codes are the first letters of the full code; the 25
    // first-level ones are the key alone, whatever the full code.
    for (const Item& it : c500.items) {
        EXPECT_TRUE(it.shortCode.size() <= 1 || it.code.startsWith(it.shortCode)) << it.text.toStdString();
    }
}

TEST_F(Generated, IdentificationLettersAndWords) {
    const Lesson& ident = lesson(u"ident"_s);
    EXPECT_GE(ident.items.size(), 300);
    for (const Item& it : ident.items) EXPECT_TRUE(it.code.size() == 3 || it.code.size() == 4);
    const Lesson& w2 = lesson(u"words-2"_s);
    EXPECT_GE(w2.items.size(), 1000);
    for (const Item& it : w2.items) {
        EXPECT_EQ(it.text.size(), 2);
        EXPECT_EQ(it.code.size(), 4);
        EXPECT_EQ(it.kind, Kind::Word);
    }
    bool zhongguo = false;
    for (const Item& it : w2.items) zhongguo |= it.text == u"中国" && it.code == u"khlg";
    EXPECT_TRUE(zhongguo);
    for (const Item& it : lesson(u"words-34"_s).items) EXPECT_TRUE(it.text.size() == 3 || it.text.size() == 4);
}

}  // namespace
