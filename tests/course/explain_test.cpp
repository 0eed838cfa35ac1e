// Why a key was wrong: lines put together from the split of the character and the root table,
// for a root, an identification letter, a short code typed past, a word, key-name characters,
// characters that are roots and single strokes; and the same from the data the build writes.
#include <gtest/gtest.h>

#include <QDir>

#include "course/explain.h"

namespace {

using namespace ml::course;
using namespace Qt::StringLiterals;

Item item(const QString& text, const QString& code, const QString& shortCode = {},
          Kind kind = Kind::Character) {
    Item it;
    it.text = text;
    it.code = code;
    it.shortCode = shortCode;
    it.kind = kind;
    return it;
}

// A few keys of the root table and a few splits, as the generated files hold them.
CodeFacts smallFacts() {
    CodeFacts f;
    const struct {
        char letter;
        int zone, position;
        const char16_t *name, *shortChar;
    } keys[] = {{'g', 1, 1, u"王", u"一"}, {'f', 1, 2, u"土", u"地"}, {'d', 1, 3, u"大", u"在"},
                {'h', 2, 1, u"目", u"上"}, {'k', 2, 3, u"口", u"中"}, {'l', 2, 4, u"田", u"国"},
                {'t', 3, 1, u"禾", u"和"}, {'w', 3, 4, u"人", u"人"}, {'q', 3, 5, u"金", u"我"},
                {'y', 4, 1, u"言", u"主"}, {'i', 4, 3, u"水", u"不"}, {'n', 5, 1, u"已", u"民"},
                {'c', 5, 4, u"又", u"以"}};
    const char16_t* zones[5][2] = {{u"横", u"一"}, {u"竖", u"丨"}, {u"撇", u"丿"}, {u"点", u"丶"},
                                   {u"折", u"乙"}};
    for (const auto& k : keys) {
        KeyFact kf;
        kf.letter = QChar(k.letter);
        kf.zone = k.zone;
        kf.position = k.position;
        kf.name = QString::fromUtf16(k.name);
        kf.shortChar = QString::fromUtf16(k.shortChar);
        kf.zoneName = QString::fromUtf16(zones[k.zone - 1][0]);
        kf.stroke = QString::fromUtf16(zones[k.zone - 1][1]);
        f.addKey(kf);
    }
    f.addSplit(u"你"_s, Split{{u"亻"_s, u"⺈"_s, u"小"_s}, u"wqi"_s, u'y', 1});
    f.addSplit(u"码"_s, Split{{u"石"_s, u"马"_s}, u"dc"_s, u'g', 1});
    f.addSplit(u"国"_s, Split{{u"囗"_s, u"王"_s, u"丶"_s}, u"lgy"_s, u'i', 3});
    f.addSplit(u"中"_s, Split{{u"口"_s, u"丨"_s}, u"kh"_s, u'k', 3});
    f.addSplit(u"五"_s, Split{{u"五"_s}, u"g"_s, QChar(), 0});
    return f;
}

TEST(WhyWrong, TheRootALetterCodes) {
    const CodeFacts f = smallFacts();
    const Item ni = item(u"你"_s, u"wqiy"_s);
    EXPECT_EQ(f.whyWrong(ni, u"wqiy"_s, 0, u'r'), u"第1码：亻 在 W 键"_s);
    EXPECT_EQ(f.whyWrong(ni, u"wqiy"_s, 1, u'r'), u"第2码：⺈ 在 Q 键"_s);
}

TEST(WhyWrong, HowTheIdentificationLetterComesAbout) {
    const CodeFacts f = smallFacts();
    EXPECT_EQ(f.whyWrong(item(u"你"_s, u"wqiy"_s), u"wqiy"_s, 3, u'i'),
              u"识别码：末笔 丶，左右型 → Y"_s);
    EXPECT_EQ(f.whyWrong(item(u"码"_s, u"dcg"_s), u"dcg "_s, 2, u'f'), u"识别码：末笔 一，左右型 → G"_s);
    EXPECT_EQ(f.whyWrong(item(u"中"_s, u"khk"_s), u"khk "_s, 2, u'h'), u"识别码：末笔 丨，杂合型 → K"_s);
}

TEST(WhyWrong, TheSpaceBarAfterACodeShorterThanFour) {
    const CodeFacts f = smallFacts();
    const Item ni = item(u"你"_s, u"wqiy"_s, u"wq"_s);
    EXPECT_EQ(f.whyWrong(ni, u"wq "_s, 2, u'i'), u"你 有简码 WQ：打 WQ 后按空格，不必打全码 WQIY"_s);
    EXPECT_EQ(f.whyWrong(ni, u"wq "_s, 2, u'k'), u"你 的简码是 WQ：打完按空格"_s);
    EXPECT_EQ(f.whyWrong(item(u"码"_s, u"dcg"_s), u"dcg "_s, 3, u'a'), u"码 的编码只有 3 码 DCG：打完按空格"_s);
    // The letters of a short code are the first letters of the full code.
    EXPECT_EQ(f.whyWrong(ni, u"wq "_s, 1, u'w'), u"第2码：⺈ 在 Q 键"_s);
    EXPECT_EQ(f.whyWrong(item(u"在"_s, u"dhfd"_s, u"d"_s), u"d "_s, 0, u'f'), u"在 是一级简码：D 加空格"_s);
}

TEST(WhyWrong, AWordLetterFromItsCharacter) {
    const CodeFacts f = smallFacts();
    const Item word = item(u"中国"_s, u"khlg"_s, {}, Kind::Word);
    EXPECT_EQ(f.whyWrong(word, u"khlg"_s, 2, u'k'), u"第3码：国 的第1码 L，囗 在 L 键"_s);
    EXPECT_EQ(f.whyWrong(word, u"khlg"_s, 1, u'k'), u"第2码：中 的第2码 H，丨 在 H 键"_s);
    // Three characters: one letter each of the first two, two of the last.
    EXPECT_EQ(wordLetterSource(3, 1), std::pair(1, 0));
    EXPECT_EQ(wordLetterSource(3, 3), std::pair(2, 1));
    EXPECT_EQ(wordLetterSource(5, 3), std::pair(4, 0));
}

TEST(WhyWrong, KeyNamesRootCharactersAndStrokes) {
    const CodeFacts f = smallFacts();
    EXPECT_EQ(f.whyWrong(item(u"王"_s, u"gggg"_s), u"gggg"_s, 1, u'f'), u"第2码：王 是键名字，G 连打四下"_s);
    const Item wu = item(u"五"_s, u"gghg"_s);
    EXPECT_EQ(f.whyWrong(wu, u"gghg"_s, 0, u'f'), u"第1码：五 是成字字根，在 G 键"_s);
    EXPECT_EQ(f.whyWrong(wu, u"gghg"_s, 2, u'g'), u"第3码：次笔 丨 → H"_s);
    EXPECT_EQ(f.whyWrong(wu, u"gghg"_s, 3, u'h'), u"第4码：末笔 一 → G"_s);
    EXPECT_EQ(f.whyWrong(item(u"一"_s, u"ggll"_s), u"ggll"_s, 2, u'g'), u"第3码：单笔画打两下后再补两个 L"_s);
}

TEST(WhyWrong, ARootItem) {
    const CodeFacts f = smallFacts();
    EXPECT_EQ(f.whyWrong(item(u"亻"_s, u"w"_s, {}, Kind::Root), u"w"_s, 0, u'r'),
              u"字根 亻 在 W 键：撇区第 4 键，键名字 人"_s);
    Item drawn = item(u"@F-ge"_s, u"f"_s, {}, Kind::Root);
    drawn.label = u"革字底"_s;
    EXPECT_TRUE(f.whyWrong(drawn, u"f"_s, 0, u'a').startsWith(u"字根 革字底 在 F 键"_s));
}

TEST(WhyWrong, WithoutDataOnlyTheLetterIsNamed) {
    const CodeFacts f = smallFacts();
    EXPECT_EQ(f.whyWrong(item(u"的"_s, u"rqyy"_s), u"rqyy"_s, 1, u'w'), u"第2码是 Q"_s);
    // A split that does not give this code explains nothing rather than something wrong.
    EXPECT_EQ(f.whyWrong(item(u"你"_s, u"wqkk"_s), u"wqkk"_s, 2, u'w'), u"第3码是 K"_s);
    EXPECT_EQ(CodeFacts().whyWrong(item(u"亻"_s, u"w"_s, {}, Kind::Root), u"w"_s, 0, u'r'),
              u"字根 亻 在 W 键"_s);
}

// The same explanations from the files the build writes into the program folder.
TEST(WhyWrong, FromTheGeneratedData) {
    QStringList problems;
    const CodeFacts f =
        CodeFacts::load(QDir(qEnvironmentVariable("ML_APP_DIR")).filePath(u"课程"_s), &problems);
    ASSERT_TRUE(problems.isEmpty()) << problems.join(u'\n').toStdString();
    EXPECT_EQ(f.whyWrong(item(u"你"_s, u"wqiy"_s), u"wqiy"_s, 0, u'r'), u"第1码：亻 在 W 键"_s);
    EXPECT_EQ(f.whyWrong(item(u"你"_s, u"wqiy"_s), u"wqiy"_s, 3, u'r'), u"识别码：末笔 丶，左右型 → Y"_s);
    EXPECT_EQ(f.whyWrong(item(u"亻"_s, u"w"_s, {}, Kind::Root), u"w"_s, 0, u'r'),
              u"字根 亻 在 W 键：撇区第 4 键，键名字 人"_s);
    EXPECT_EQ(f.whyWrong(item(u"中国"_s, u"khlg"_s, {}, Kind::Word), u"khlg"_s, 2, u'k'),
              u"第3码：国 的第1码 L，囗 在 L 键"_s);
}

TEST(ShowKeys, TheSpaceBarAsAnOpenBox) { EXPECT_EQ(showKeys(u"wq "_s), u"WQ␣"_s); }

}  // namespace
