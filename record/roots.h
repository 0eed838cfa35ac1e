#pragma once
// Which Wubi roots the learner's missed characters are made of, from the verified splits
// (assets/decomp/splits.tsv: "character<TAB>roots, space separated<TAB>…").

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

#include "record/reader.h"

namespace ml::record {

class Splits {
public:
    // Lines starting with '#' are comments; lines that do not parse are skipped. Only the lines'
    // places are noted here; a character's roots are read when asked for.
    static Splits parse(const QByteArray& tsv);
    QStringList rootsOf(QChar c) const;
    qsizetype size() const { return fields_.size(); }

private:
    QByteArray tsv_;
    // Where each character's roots field lies in tsv_.
    QHash<char16_t, std::pair<qsizetype, qsizetype>> fields_;
};

struct RootCount {
    QString root;
    qint64 misses = 0;  // misses of the characters holding it
    int characters = 0; // how many missed characters hold it
};

// The n roots standing in the most misses, most first: a missed character counts its misses once
// for each distinct root it is made of.
std::vector<RootCount> rootsInMissed(const std::vector<CharStat>& chars, const Splits& splits,
                                     int n);

}  // namespace ml::record
