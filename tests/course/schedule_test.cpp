// The scheduler: the first round in the lesson's order, later rounds by weakness, look-alike roots
// side by side, the Leitner boxes and the review queue, and lessons opening as goals are met.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "course/coach.h"
#include "course/schedule.h"
#include "tempdir.h"

namespace {

using namespace ml::course;
using namespace Qt::StringLiterals;

constexpr qint64 kNow = 1'800'000'000;
constexpr qint64 kDay = 86400;

QList<Item> numbered(int n) {
    QList<Item> items;
    for (int i = 0; i < n; ++i) {
        Item it;
        it.text = QString(QChar(0x4E00 + i));
        it.code = u"gggg"_s;
        items << it;
    }
    return items;
}

ItemStats known(const Item& it) {
    ItemStats s;
    s.key = it.key();
    s.seen = 8;
    s.msPerKey = 300;
    s.box = kTopBox;
    s.due = kNow + 10 * kDay;
    return s;
}

ItemStats weak(const Item& it) {
    ItemStats s = known(it);
    s.missed = 4;
    s.missRate = 0.8;
    s.msPerKey = 2500;
    s.box = 0;
    s.due = kNow;
    return s;
}

TEST(ChooseRound, AFreshLearnerGetsTheLessonsOrder) {
    const QList<int> r = chooseRound(numbered(30), {}, 20, 1000, kNow, 1);
    QList<int> first20;
    for (int i = 0; i < 20; ++i) first20 << i;
    EXPECT_EQ(r, first20);
    EXPECT_EQ(chooseRound(numbered(5), {}, 20, 1000, kNow, 1).size(), 5);
}

TEST(ChooseRound, WeakItemsComeBackOftenAndKnownOnesRarely) {
    const QList<Item> items = numbered(40);
    QHash<QString, ItemStats> stats;
    for (int i = 0; i < 40; ++i) stats.insert(items[i].key(), i < 5 ? weak(items[i]) : known(items[i]));
    QList<int> times(40, 0);
    const int rounds = 300;
    for (int seed = 0; seed < rounds; ++seed) {
        const QList<int> r = chooseRound(items, stats, 10, 1000, kNow, seed);
        ASSERT_EQ(r.size(), 10);
        for (int i : r) ++times[i];
    }
    for (int i = 0; i < 5; ++i) EXPECT_GT(times[i], rounds * 9 / 10) << "weak item " << i;
    for (int i = 5; i < 40; ++i) EXPECT_LT(times[i], rounds * 3 / 10) << "known item " << i;
}

TEST(ChooseRound, NewItemsComeInOrderBesideTheSeenOnes) {
    const QList<Item> items = numbered(30);
    QHash<QString, ItemStats> stats;
    for (int i = 0; i < 10; ++i) stats.insert(items[i].key(), known(items[i]));
    const QList<int> r = chooseRound(items, stats, 10, 1000, kNow, 7);
    ASSERT_EQ(r.size(), 10);
    QList<int> fresh;
    for (int i : r)
        if (i >= 10) fresh << i;
    EXPECT_EQ(fresh, (QList<int>{10, 11, 12, 13, 14}));
    // Spread through the round rather than bunched at one end.
    EXPECT_LT(r.indexOf(10), 3);
    EXPECT_GT(r.indexOf(14), 6);
}

TEST(ChooseRound, LookAlikeRootsStandSideBySide) {
    QList<Item> items;
    for (const auto& [t, code, group] :
         {std::tuple{u"七"_s, u"a"_s, u"七"_s}, {u"王"_s, u"g"_s, QString()},
          {u"土"_s, u"f"_s, QString()}, {u"大"_s, u"d"_s, QString()}, {u"匕"_s, u"x"_s, u"七"_s},
          {u"木"_s, u"s"_s, QString()}}) {
        Item it;
        it.text = t;
        it.code = code;
        it.group = group;
        it.kind = Kind::Root;
        items << it;
    }
    QHash<QString, ItemStats> stats;
    for (const Item& it : items) stats.insert(it.key(), it.text == u"匕" ? weak(it) : known(it));
    for (int seed = 0; seed < 50; ++seed) {
        const QList<int> r = chooseRound(items, stats, 4, 1000, kNow, seed);
        const int a = int(r.indexOf(0)), b = int(r.indexOf(4));
        ASSERT_GE(b, 0) << "the weak 匕 is drawn";
        ASSERT_GE(a, 0) << "七 comes with it";
        EXPECT_EQ(std::abs(a - b), 1);
        EXPECT_LE(r.size(), 4);
    }
}

TEST(Leitner, MissesGoBackRightAnswersMoveUpSlowOnesStay) {
    ItemStats s;
    const auto outcome = [](bool missed, double ms) { return ItemOutcome{u"c:一"_s, missed, ms}; };
    recordOutcome(s, outcome(false, 400), u"l"_s, 1000, kNow);
    EXPECT_EQ(s.box, 1);
    EXPECT_EQ(s.due, kNow + kDay);
    recordOutcome(s, outcome(false, 400), u"l"_s, 1000, kNow);
    EXPECT_EQ(s.box, 2);
    EXPECT_EQ(s.due, kNow + 2 * kDay);
    recordOutcome(s, outcome(false, 2500), u"l"_s, 1000, kNow);  // right, but slow
    EXPECT_EQ(s.box, 2);
    EXPECT_EQ(s.due, kNow + kDay);
    recordOutcome(s, outcome(true, 400), u"l"_s, 1000, kNow);
    EXPECT_EQ(s.box, 0);
    EXPECT_EQ(s.due, kNow);
    EXPECT_EQ(s.seen, 4);
    EXPECT_EQ(s.missed, 1);
    for (int i = 0; i < 10; ++i) recordOutcome(s, outcome(false, 400), u"l"_s, 1000, kNow);
    EXPECT_EQ(s.box, kTopBox);
    EXPECT_EQ(s.due, kNow + 16 * kDay);
}

TEST(Weakness, RecentOutcomesWeighMost) {
    ItemStats missedLately, missedLongAgo;
    const ItemOutcome right{u"c:一"_s, false, 400}, wrong{u"c:一"_s, true, 400};
    recordOutcome(missedLongAgo, wrong, u"l"_s, 1000, kNow);
    for (int i = 0; i < 4; ++i) {
        recordOutcome(missedLongAgo, right, u"l"_s, 1000, kNow);
        recordOutcome(missedLately, right, u"l"_s, 1000, kNow);
    }
    recordOutcome(missedLately, wrong, u"l"_s, 1000, kNow);
    EXPECT_EQ(missedLately.missed, missedLongAgo.missed);
    EXPECT_GT(weakness(missedLately, 1000, kNow), weakness(missedLongAgo, 1000, kNow));
    EXPECT_GT(missedLately.missRate, 0.3);
    EXPECT_LT(missedLongAgo.missRate, 0.2);
}

TEST(ReviewQueue, DueItemsFirstLongestOverdueThenLowerBoxes) {
    auto at = [](const QString& key, qint64 due, int box) {
        ItemStats s;
        s.key = key;
        s.seen = 1;
        s.due = due;
        s.box = box;
        return s;
    };
    const QList<ItemStats> all = {at(u"later"_s, kNow + 5 * kDay, 3), at(u"today"_s, kNow, 0),
                                  at(u"soon"_s, kNow + kDay, 1), at(u"overdue"_s, kNow - 3 * kDay, 2),
                                  at(u"todayHigher"_s, kNow, 2), at(u"never"_s, kNow, 0)};
    QList<ItemStats> withUnseen = all;
    withUnseen.last().seen = 0;
    QStringList order;
    for (const ItemStats& s : reviewQueue(withUnseen, kNow)) order << s.key;
    EXPECT_EQ(order, (QStringList{u"overdue"_s, u"today"_s, u"todayHigher"_s, u"soon"_s, u"later"_s}));
}

TEST(WeakestItems, MostMissedAndSlowestFirst) {
    auto s = [](const QString& key, double rate, double ms, int missed) {
        ItemStats i;
        i.key = key;
        i.seen = 5;
        i.missRate = rate;
        i.msPerKey = ms;
        i.missed = missed;
        return i;
    };
    const QList<ItemStats> all = {s(u"fine"_s, 0, 400, 0), s(u"slow"_s, 0, 3000, 0),
                                  s(u"missed"_s, 0.6, 500, 3), s(u"both"_s, 0.6, 3000, 3)};
    QStringList order;
    for (const ItemStats& i : weakestItems(all, 10)) order << i.key;
    EXPECT_EQ(order, (QStringList{u"both"_s, u"missed"_s, u"slow"_s}));
    EXPECT_EQ(weakestItems(all, 1).size(), 1);
}

TEST(Unlocking, EachLessonOpensWhenTheOneBeforeIsPassed) {
    QList<Lesson> ls;
    for (const char* id : {"a", "b", "c", "review", "d"}) {
        Lesson l;
        l.id = QString::fromLatin1(id);
        if (l.id == u"review") l.source = u"review"_s;
        ls << l;
    }
    using S = LessonState;
    EXPECT_EQ(lessonStates(ls, {}), (QList<S>{S::Open, S::Locked, S::Locked, S::Open, S::Locked}));
    QHash<QString, LessonProgress> p;
    p[u"a"_s].passed = true;
    EXPECT_EQ(lessonStates(ls, p), (QList<S>{S::Passed, S::Open, S::Locked, S::Open, S::Locked}));
    // A lesson passed out of turn (opened with --drill) stays passed and opens the next one.
    p.remove(u"a"_s);
    p[u"c"_s].passed = true;
    EXPECT_EQ(lessonStates(ls, p), (QList<S>{S::Open, S::Locked, S::Passed, S::Open, S::Open}));
}

TEST(Unlocking, AGoalIsMetOnlyByAFullRoundAtAccuracyAndSpeed) {
    const Goal g{90, 60};
    EXPECT_TRUE(meetsGoal({true, 90, 60}, g));
    EXPECT_FALSE(meetsGoal({false, 100, 200}, g));
    EXPECT_FALSE(meetsGoal({true, 89, 200}, g));
    EXPECT_FALSE(meetsGoal({true, 100, 59}, g));
}

// A course of two lessons in a temporary folder, practised through the coach.
class CoachTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(mltest::writeFile(
            dir.filePath(u"课程.tsv"_s),
            u"#id\ttitle\tstage\tkind\tanswer\taccuracy\tspeed\tround\tsource\n"
            "one\t第一课\t甲\tchar\tfull\t90\t60\t2\tkeynames\n"
            "two\t第二课\t甲\tchar\tchoice\t90\t60\t2\tchars:2\n"
            "review\t今日复习\t乙\tchar\tfull\t90\t0\t5\treview\n"_s.toUtf8()));
        ASSERT_TRUE(mltest::writeFile(dir.filePath(u"one.tsv"_s), u"王\tgggg\n土\tffff\n"_s.toUtf8()));
        ASSERT_TRUE(mltest::writeFile(dir.filePath(u"two.tsv"_s), u"你\twqiy\twq\n码\tdcg\tdc\n"_s.toUtf8()));
    }
    // Types the round's answers, `wrong` first on the first item, 100 ms a key.
    RoundReport type(Coach& c, Round& r, bool wrongFirst = false) {
        qint64 t = 0;
        if (wrongFirst) r.press(u'x', t += 100);
        while (!r.done()) {
            const auto res = r.press(r.expected(), t += 100);
            if (res == Round::Result::ItemDone || res == Round::Result::RoundDone)
                c.itemDone(r, r.outcomes().last(), kNow);
        }
        return c.roundDone(r);
    }
    QTemporaryDir dir;
    MemoryStore store;
};

TEST_F(CoachTest, AFullRoundAtTheGoalOpensTheNextLesson) {
    Coach c(dir.path(), store, {});
    EXPECT_EQ(c.states(), (QList<LessonState>{LessonState::Open, LessonState::Locked, LessonState::Open}));
    auto r = c.nextRound(u"one"_s, 0, kNow, 1);
    ASSERT_TRUE(r);
    RoundReport rep = type(c, *r, /*wrongFirst=*/true);
    EXPECT_EQ(rep.figures.accuracy, 88);  // 8 of 9 keys
    EXPECT_FALSE(rep.passed);
    EXPECT_EQ(c.states()[1], LessonState::Locked);
    r = c.nextRound(u"one"_s, 0, kNow, 2);
    rep = type(c, *r);
    EXPECT_TRUE(rep.passed);
    EXPECT_TRUE(rep.firstPass);
    EXPECT_EQ(rep.opened, u"第二课"_s);
    EXPECT_EQ(rep.progress.rounds, 2);
    EXPECT_EQ(rep.progress.bestAccuracy, 100);
    EXPECT_EQ(c.states(), (QList<LessonState>{LessonState::Passed, LessonState::Open, LessonState::Open}));
    // Kept in the record, and read back by a new coach.
    Coach again(dir.path(), store, {});
    EXPECT_TRUE(again.progressOf(u"one"_s).passed);
}

TEST_F(CoachTest, TheLearnersGoalAndShortCodeChoiceDecideTheRound) {
    Coach c(dir.path(), store, {});
    c.setGoal(u"one"_s, Goal{95, 2000});
    auto r = c.nextRound(u"one"_s, 0, kNow, 1);
    EXPECT_FALSE(type(c, *r).passed);  // 685 keys a minute is not 2,000
    c.setShortFirst(false);
    r = c.nextRound(u"two"_s, 0, kNow, 1);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->target(0).keys, u"wqiy"_s);
    c.setShortFirst(true);
    r = c.nextRound(u"two"_s, 0, kNow, 1);
    EXPECT_EQ(r->target(0).keys, u"wq "_s);
}

TEST_F(CoachTest, TheReviewBringsBackWhatWasMissedAskedAsItsLessonAsks) {
    Coach c(dir.path(), store, {});
    EXPECT_FALSE(c.nextRound(u"review"_s, 0, kNow, 1));
    EXPECT_FALSE(c.takeProblems().isEmpty());
    auto r = c.nextRound(u"two"_s, 0, kNow, 1);
    type(c, *r, /*wrongFirst=*/true);  // 你 missed, 码 right
    r = c.nextRound(u"review"_s, 0, kNow, 1);
    ASSERT_TRUE(r);
    ASSERT_EQ(r->size(), 2);
    EXPECT_EQ(r->target(0).item.text, u"你"_s);  // due now; 码 is due tomorrow
    EXPECT_EQ(r->target(0).keys, u"wq "_s);     // as lesson "two" asks it
    type(c, *r);
    EXPECT_EQ(c.stats().value(u"c:你"_s).lesson, u"two"_s);
}

}  // namespace
