// The hint display: the code, the lit keys and the decomposition pictures of the next character,
// or of the word that starts there.
#include <QPixmap>
#include <QPixmapCache>

#include "hints/dictionary.h"
#include "practice/form1.h"
#include "practice/prefetch.h"
#include "practice/texts.h"

namespace ml {

namespace {

QString charAt(const QString& text, int pos) {
    return pos >= 1 && pos <= text.size() ? text.mid(pos - 1, 1) : QString();
}

QString letter(const QString& code, int k) { return k < code.size() ? code.mid(k, 1) : QString(); }

// The start of the next practice item in what the reader has decoded ahead, roughly as the
// reader will read it; only a guess at which pictures come next, so it may stop short.
QString nextItemStart(QStringView ahead, qsizetype n) {
    qsizetype i = 0;
    while (i < ahead.size() && (ahead[i] == u' ' || ahead[i] == u'\t')) ++i;
    if (i < ahead.size() && ahead[i] == u'"') ++i;
    QString out;
    for (; i < ahead.size() && out.size() < n; ++i) {
        const QChar c = ahead[i];
        if (c == u',' || c == u'\r' || c == u'\n' || c == u'"') break;
        out += c;
    }
    return out;
}

}  // namespace

bool Form1::cachedDecomposition(const QString& ch, QPixmap* pm) {
    // Decoding dominates the cost of a hint, and a line repeats its characters, so decoded
    // pictures are kept for the session.
    if (!pictures_)
        pictures_ = std::make_unique<PictureCache>(dataPath(QStringLiteral("拆字图")) + u'/');
    return pictures_->get(ch, devicePixelRatioF() > 1.0, pm);
}

std::optional<CodeDictionary::Result> Form1::lookup(const QString& query) {
    if (!lookups_) lookups_ = std::make_unique<LookupMemo>();
    return lookups_->search(dict_.get(), query);
}

bool Form1::warmHint(const QString& line, qsizetype i) {
    // What Helpme asks for at position i + 1 of `line`: the character's picture and code, and
    // the pair that may start a word there (never at the 28th cell).
    bool worked = false;
    const QString ch = line.mid(i, 1);
    QPixmap pm;
    if (!pictures_ || !pictures_->find(ch, devicePixelRatioF() > 1.0, &pm))
        worked = cachedDecomposition(ch, &pm);
    if (dict_ && dict_->isOpen()) {
        QString queries[2] = {ch, i + 1 < 28 && i + 1 < line.size() ? line.mid(i, 2) : QString()};
        for (const QString& q : queries) {
            if (q.isEmpty() || (lookups_ && lookups_->contains(q))) continue;
            lookup(q);
            worked = true;
        }
    }
    return worked;
}

void Form1::prefetchPictures() {
    if (Temp == prefetchedLine_) return;
    prefetchedLine_ = Temp;
    if (!prefetch_) {
        prefetch_ = std::make_unique<HintPrefetch>(
            [this](const QString& line, qsizetype i) { return warmHint(line, i); }, this);
    }
    // This line from the target on, and the start of the next one, whose first hint comes
    // inside the keystroke that ends this line.
    const QString next = reader_ ? nextItemStart(reader_->lookahead(), 2) : QString();
    prefetch_->want(Temp, qMax(0, int(Jishu)), next);
}

void Form1::lightKeys(const QString& code) {
    // All keys off, then the code's keys on; each key is set once, to where it ends, since a
    // change of visibility is most of what a hinted keystroke costs.
    std::array<bool, 25> lit{};
    for (QChar c : code) {
        const char16_t u = c.unicode();
        if (u >= u'A' && u <= u'Y') lit[u - u'A'] = true;
    }
    for (int i = 0; i < 25; ++i)
        if (keys[i]->isHidden() == lit[i]) keys[i]->setVisible(lit[i]);
}

bool Form1::loadDecomposition(Picture* target) {
    QPixmap pm;
    if (!cachedDecomposition(Piczi, &pm)) return false;
    // The same picture again (a repeated character, the word's first one in img_zi) would only
    // be laid out and painted again.
    if (target->pixmap().cacheKey() != pm.cacheKey()) target->setPixmap(pm);
    return true;
}

void Form1::lookupFallback() {
    // No code is known: the labels must not keep the captions they were created with, nor the
    // code of an earlier target.
    BianmaZi.clear();
    BianmaCi.clear();
    for (auto* group : {&lbbmcizi, &lbbmci, &lbbmzi})
        for (QLabel* l : *group) l->setText(QString());
    hideKeys();
    // A dictionary that opened but fails when searched (a corrupt index, a truncated file) is
    // told like one that does not open at all, once; one that never opened was told at start-up.
    if (dict_ && !dictFailureShown_ && !dict_->lastError().isEmpty()) {
        dictFailureShown_ = true;
        platform_.messageBox(this, dict_->lastError(), MsgIcon::Exclamation, MsgButtons::Ok);
    }
    pictureFallback();
}

void Form1::pictureFallback() {
    const QPixmap white = img_ci->picture();
    for (Picture* p : {img_zi, img_ci1, img_ci2}) p->setPixmap(white);
    lbshowno->setText(Piczi);
    QFont f = lbshowno->font();
    f.setFamily(QStringLiteral("楷体_GB2312"));
    lbshowno->setFont(f);
    lbshowno->show();
}

void Form1::Helpme() {
    if (Showhelp != QStringLiteral("T")) return;
    if (inDrill()) return drillHelp();
    prefetchPictures();
    lbshowno->hide();
    lookupFailed_ = false;

    const int p = Jishu + 1;
    Finded.clear();
    // Named before the lookups: when the dictionary fails, the fallback shows the character the
    // learner has to type, not the one of the previous call.
    Piczi = charAt(Temp, p);
    if (BmHelp == 1) {
        NameQuery = charAt(Temp, p);
        FindZi();
        if (lookupFailed_) return lookupFallback();
    }
    if (p > 0 && p < 28) {
        NameQuery = p <= Temp.size() ? Temp.mid(p - 1, 2) : QString();
        FindCi();
        if (lookupFailed_) return lookupFallback();
    }
    if (Finded.size() == 2) {
        Piczi = charAt(Temp, p);
        if (!loadDecomposition(img_ci1) || !loadDecomposition(img_zi)) return pictureFallback();
        Piczi = charAt(Temp, p + 1);
        if (!loadDecomposition(img_ci2)) return pictureFallback();
        img_ci->show();
        img_ci2->show();
        img_zi->show();
        return;
    }
    if (BmHelp == 1) {
        const QString code = BianmaZi.toUpper();
        for (int k = 0; k < 4; ++k) {
            lbbmci[k]->setText(QString());
            lbbmcizi[k]->setText(letter(code, k));
            lbbmzi[k]->setText(QString());
        }
        lightKeys(code);
    }
    Piczi = charAt(Temp, p);
    img_ci->hide();
    img_ci2->hide();
    img_zi->hide();
    if (!loadDecomposition(img_ci1)) return pictureFallback();
}

void Form1::FindZi() {
    if (BmHelp == 0) return;
    const auto result = lookup(NameQuery);
    if (!result) {
        lookupFailed_ = true;
        return;
    }
    switch (result->outcome) {
        case CodeDictionary::Outcome::PlainMiss:
            BianmaZi.clear();
            BianmaCi.clear();
            for (auto* group : {&lbbmcizi, &lbbmci, &lbbmzi})
                for (QLabel* l : *group) l->setText(QString());
            return;
        case CodeDictionary::Outcome::Hit:
            BianmaZi = result->email;
            return;
        case CodeDictionary::Outcome::InexactMiss:
            platform_.messageBox(this, text::notInDictionary(NameQuery),
                                 MsgIcon::None, MsgButtons::Ok);
            BianmaZi.clear();
            return;
    }
}

void Form1::FindCi() {
    const auto result = lookup(NameQuery);
    if (!result) {
        lookupFailed_ = true;
        return;
    }
    if (result->outcome == CodeDictionary::Outcome::PlainMiss) return;
    if (result->outcome == CodeDictionary::Outcome::InexactMiss) {
        Finded.clear();
        return;
    }
    Finded = NameQuery;
    if (BmHelp != 1) return;
    BianmaCi = result->email;
    if (Finded.size() != 2) return;

    // The word code display.
    const QString ci = BianmaCi.toUpper();
    const QString zi = BianmaZi.toUpper();
    for (int k = 0; k < 4; ++k) {
        lbbmcizi[k]->setText(QString());
        lbbmci[k]->setText(letter(ci, k));
    }
    lightKeys(ci);
    for (int k = 0; k < 4; ++k) lbbmzi[k]->setText(letter(zi, k));
}

}  // namespace ml
