// The drill judge: each key against the next key of the current item's answer, a wrong key typed
// again before the item counts, short codes ended by the space bar, words, and the figures.
#include <gtest/gtest.h>

#include "course/drill.h"
#include "course/lesson.h"

namespace {

using namespace ml::course;
using namespace Qt::StringLiterals;
using Result = Round::Result;

Item item(const QString& text, const QString& code, const QString& shortCode = {},
          Kind kind = Kind::Character) {
    Item it;
    it.text = text;
    it.code = code;
    it.shortCode = shortCode;
    it.kind = kind;
    return it;
}

Round roundOf(const QList<Item>& items, Answer answer = Answer::Full, bool shortFirst = false) {
    QList<Target> targets;
    for (const Item& it : items) targets << Target{it, answerKeys(it, answer, shortFirst)};
    return Round(QStringLiteral("test"), targets, 0);
}

// Presses `keys` one a millisecond apart from `t`; returns the results.
QList<Result> press(Round& r, const QString& keys, qint64& t, QList<KeyRecord>* records = nullptr) {
    QList<Result> out;
    for (QChar k : keys) {
        KeyRecord rec;
        out << r.press(k, t += 100, &rec);
        if (records) *records << rec;
    }
    return out;
}

TEST(AnswerKeys, CodesShorterThanFourEndWithTheSpaceBar) {
    const Item ni = item(u"你"_s, u"wqiy"_s, u"wq"_s);
    const Item ma = item(u"码"_s, u"dcg"_s, u"dc"_s);
    const Item root = item(u"亻"_s, u"w"_s, {}, Kind::Root);
    struct Case {
        Item it;
        Answer answer;
        bool shortFirst;
        QString keys;
    } cases[] = {
        {ni, Answer::Full, true, u"wqiy"_s},    {ni, Answer::Choice, false, u"wqiy"_s},
        {ni, Answer::Choice, true, u"wq "_s},   {ni, Answer::Short, false, u"wq "_s},
        {ma, Answer::Full, false, u"dcg "_s},   {root, Answer::Choice, true, u"w"_s},
    };
    for (const Case& c : cases)
        EXPECT_EQ(answerKeys(c.it, c.answer, c.shortFirst), c.keys) << c.it.text.toStdString();
}

TEST(Round, RightKeysFinishItemsAndTheRound) {
    Round r = roundOf({item(u"王"_s, u"gggg"_s), item(u"土"_s, u"ffff"_s)});
    qint64 t = 0;
    QList<KeyRecord> recs;
    EXPECT_EQ(press(r, u"ggg"_s, t, &recs), (QList<Result>{Result::Right, Result::Right, Result::Right}));
    EXPECT_EQ(r.typed(0), u"ggg"_s);
    EXPECT_EQ(press(r, u"g"_s, t, &recs), QList<Result>{Result::ItemDone});
    EXPECT_EQ(r.current(), 1);
    EXPECT_EQ(press(r, u"FFFF"_s, t, &recs).last(), Result::RoundDone);  // either case
    EXPECT_TRUE(r.done());
    EXPECT_EQ(r.press(u'f', t + 1), Result::Ignored);
    EXPECT_EQ(r.keys(), 8);
    EXPECT_EQ(r.rightKeys(), 8);
    EXPECT_TRUE(r.missedItems().isEmpty());
    ASSERT_EQ(recs.size(), 8);
    EXPECT_EQ(recs[4].item, u"c:土"_s);
    EXPECT_EQ(recs[4].expected, u'f');
    EXPECT_TRUE(recs[4].right);
    EXPECT_EQ(recs[4].ms, 100);  // since the key before it
    EXPECT_EQ(recs[0].ms, 100);  // since the round was shown
}

TEST(Round, AWrongKeyMustBeTypedAgainAndMarksTheItemMissedOnce) {
    Round r = roundOf({item(u"你"_s, u"wqiy"_s), item(u"王"_s, u"gggg"_s)});
    qint64 t = 0;
    QList<KeyRecord> recs;
    const auto results = press(r, u"wqrri"_s, t, &recs);
    EXPECT_EQ(results, (QList<Result>{Result::Right, Result::Right, Result::Wrong, Result::Wrong,
                                      Result::Right}));
    EXPECT_EQ(r.typed(0), u"wqi"_s);  // the wrong keys were not accepted
    EXPECT_EQ(recs[2].expected, u'i');
    EXPECT_EQ(recs[2].typed, u'r');
    EXPECT_FALSE(recs[2].right);
    press(r, u"y"_s, t);
    press(r, u"gggg"_s, t);
    EXPECT_EQ(r.missedItems(), QList<int>{0});
    ASSERT_EQ(r.outcomes().size(), 2);
    EXPECT_TRUE(r.outcomes()[0].missed);
    EXPECT_FALSE(r.outcomes()[1].missed);
    EXPECT_EQ(r.keys(), 10);
    EXPECT_EQ(r.rightKeys(), 8);
    EXPECT_EQ(accuracyPercent(r.rightKeys(), r.keys()), 80);
}

TEST(Round, AShortCodeEndsWithTheSpaceBarAndTypingOnIsWrong) {
    Round r = roundOf({item(u"你"_s, u"wqiy"_s, u"wq"_s)}, Answer::Choice, true);
    qint64 t = 0;
    EXPECT_EQ(press(r, u"wqi"_s, t), (QList<Result>{Result::Right, Result::Right, Result::Wrong}));
    EXPECT_EQ(r.expected(), u' ');
    EXPECT_EQ(press(r, u" "_s, t), QList<Result>{Result::RoundDone});
}

TEST(Round, AWordIsItsFourLettersAndCountsItsCharacters) {
    Round r = roundOf({item(u"中国"_s, u"khlg"_s, {}, Kind::Word), item(u"亻"_s, u"w"_s, {}, Kind::Root)});
    qint64 t = 0;
    EXPECT_EQ(press(r, u"khl"_s, t).last(), Result::Right);
    EXPECT_EQ(press(r, u" "_s, t), QList<Result>{Result::Wrong});  // no space after four letters
    EXPECT_EQ(press(r, u"g"_s, t), QList<Result>{Result::ItemDone});
    EXPECT_EQ(press(r, u"w"_s, t), QList<Result>{Result::RoundDone});
    EXPECT_EQ(r.charactersDone(), 3);
}

TEST(Round, BackspaceTakesBackAnAcceptedKeyOnly) {
    Round r = roundOf({item(u"王"_s, u"gggg"_s)});
    qint64 t = 0;
    EXPECT_FALSE(r.backspace());
    press(r, u"gg"_s, t);
    EXPECT_TRUE(r.backspace());
    EXPECT_EQ(r.typed(0), u"g"_s);
    EXPECT_EQ(r.keys(), 2);  // judged keys stay counted
}

TEST(Round, KeysOutsideACodeAreIgnored) {
    Round r = roundOf({item(u"王"_s, u"gggg"_s)});
    for (QChar k : u"z1,;\t"_s) EXPECT_EQ(r.press(k, 10), Result::Ignored) << int(k.unicode());
    EXPECT_EQ(r.keys(), 0);
}

TEST(Round, ItemTimeIsPerKeyAndLongPausesAreCapped) {
    Round r = roundOf({item(u"王"_s, u"gggg"_s), item(u"土"_s, u"ffff"_s)});
    for (int i = 0; i < 4; ++i) r.press(u'g', 200 * (i + 1));  // 800 ms for four keys
    r.press(u'f', 800 + 600'000);                               // ten minutes away
    for (int i = 0; i < 3; ++i) r.press(u'f', 600'900 + i);
    ASSERT_EQ(r.outcomes().size(), 2);
    EXPECT_DOUBLE_EQ(r.outcomes()[0].msPerKey, 200);
    EXPECT_DOUBLE_EQ(r.outcomes()[1].msPerKey, 10'000);
}

TEST(Figures, SpeedAndAccuracy) {
    EXPECT_EQ(codesPerMinute(60, 30'000), 120);
    EXPECT_EQ(codesPerMinute(10, 0), 0);
    EXPECT_EQ(accuracyPercent(2, 3), 66);
    EXPECT_EQ(accuracyPercent(0, 0), 100);
}

}  // namespace
