#pragma once
// Why a key was wrong, told from data: the keys of the root table ("课程/字根.tsv") and the
// verified splits of the characters the lessons use ("课程/拆分.tsv"), both written by the
// lesson generator from assets/roots and assets/decomp. Nothing is written per item: every line
// is put together from which root a code letter stands for, or how an identification letter
// comes about.

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

#include "course/lesson.h"

namespace ml::course {

struct KeyFact {
    QChar letter;      // 'a'–'y'
    int zone = 0;      // 1 横 … 5 折
    int position = 0;  // 1–5 within the zone; for an identification letter also the shape
    QString name;      // key-name character
    QString shortChar;  // first-level short code
    QString zoneName;   // 横 竖 撇 点 折
    QString stroke;     // 一 丨 丿 丶 乙
    QStringList roots;
};

struct Split {
    QStringList roots;
    QString keys;  // one letter a root
    QChar ident;   // identification letter, or null
    int shape = 0;  // 1 左右, 2 上下, 3 杂合; 0 when not given
};

class CodeFacts {
public:
    // Reads 字根.tsv and 拆分.tsv from `folder`; what cannot be read is reported in `problems`
    // and explained without (the lines then only name the letter).
    static CodeFacts load(const QString& folder, QStringList* problems);

    void addKey(const KeyFact& k);
    void addSplit(const QString& character, const Split& s);
    const KeyFact* key(QChar letter) const;
    const Split* split(const QString& character) const;
    bool empty() const { return keys_.isEmpty(); }

    // One line saying why `typed` was wrong where `keys` (the item's answer, answerKeys()) wanted
    // its key at `position`: which root the letter codes ("第2码：亻 在 W 键"), how the
    // identification letter comes about ("识别码：末笔 丶，左右型 → Y"), or that a shorter code
    // was there to take.
    QString whyWrong(const Item& item, const QString& keys, int position, QChar typed) const;

    // What code letter `index` of `character` stands for ("亻 在 W 键", "首笔 一 → G", …),
    // checked against `letter`, the letter the code has there; nothing when the data do not say.
    std::optional<QString> letterSource(const QString& character, int index, QChar letter,
                                        int codeLength) const;

private:
    QHash<QChar, KeyFact> keys_;
    QHash<QString, Split> splits_;
};

// The letters of an answer as the learner reads them: "WQ␣" for a short code and the space bar.
QString showKeys(const QString& keys);

// Which character of a word, and which letter of its code, a word code's letter comes from:
// two characters take two letters each, three take one, one and two, four or more the first
// letters of the first three and of the last.
std::pair<int, int> wordLetterSource(int characters, int position);

}  // namespace ml::course
