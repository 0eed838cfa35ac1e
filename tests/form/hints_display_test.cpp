// The hint display: code letters, lit keys and decomposition pictures of the next character or of
// the word that starts there, against a small dictionary and a few pictures.
#include <QBuffer>
#include <QImage>
#include <QPixmapCache>

#include "formfixture.h"
#include "testpictures.h"
#include "commands/vkeys.h"
#include "hints/dictionary.h"

namespace {

using namespace mltest;

const QColor kZhong(0xC0, 0x10, 0x10);  // 中, a real GIF
const QColor kGuo(0x10, 0x10, 0xC0);    // 国, PNG content
const QColor kGong(0x10, 0xA0, 0x10);   // 工, PNG content; 人 has no picture

class HintDisplay : public FormFixture {
protected:
    void SetUp() override {
        FormFixture::SetUp();
        QString error;
        ASSERT_TRUE(ml::writeDictionary(path(u"CiKu.mdb"_s),
                                        {
                                            {u"中"_s, u"khk"_s},
                                            {u"中"_s, u"k"_s},  // never shown: the first wins
                                            {u"国"_s, u"lgyi"_s},
                                            {u"工"_s, u"aaaa"_s},
                                            {u"人"_s, u"w"_s},
                                            {u"中国"_s, u"khlg"_s},
                                            {u"工人"_s, u"aawu"_s},
                                            {u"b"_s, u"bbbb"_s},  // a loose match before "B"
                                            {u"B"_s, u"abc"_s},
                                            {u"q"_s, u"qq"_s},  // "Q" is only found loosely
                                            {u"'"_s, u"yz9m"_s},
                                        },
                                        &error))
            << error.toStdString();
        ASSERT_TRUE(writeFile(path(u"拆字图/中.gif"_s), tinyGif(kZhong)));
        ASSERT_TRUE(writeFile(path(u"拆字图/国.gif"_s), png(kGuo)));
        ASSERT_TRUE(writeFile(path(u"拆字图/工.gif"_s), png(kGong)));
    }

    // Hints and code hints on, as after F2 and F4.
    ml::Form1& buildWithHints(qint16 bmHelp = 1) {
        ml::Form1& f = build();
        f.Showhelp = u"T"_s;
        f.BmHelp = bmHelp;
        return f;
    }

    void helpAt(const QString& line, int typed) {
        form->Temp = line;
        form->Jishu = static_cast<qint16>(typed);
        form->Helpme();
    }

    static QString captions(const std::array<QLabel*, 4>& group) {
        QStringList c;
        for (QLabel* l : group) c << l->text();
        return c.join(u'|');
    }
    QString litKeys() const {
        QString lit;
        for (int i = 0; i < 25; ++i)
            if (!form->keys[i]->isHidden()) lit += QChar(u'a' + i);
        return lit;
    }
    // The colour of the picture an element holds; white when blanked.
    static QColor picture(const ml::Picture* p) {
        return p->pixmap().isNull() ? QColor() : p->pixmap().toImage().pixelColor(0, 0);
    }
    bool blanked(const ml::Picture* p) const {
        return !p->pixmap().isNull() && p->pixmap().toImage() == form->img_ci->pixmap().toImage();
    }
};

TEST_F(HintDisplay, SingleCharacterMode) {
    struct Case {
        QString line;
        int typed;
        const char* code;  // lbbmcizi1–4
        const char* keys;
        QString finded;  // what the word lookup found
        QColor picture;  // invalid: no picture, so the fallback shows the target
        const char* why;
    };
    const QString cell28 = QString(27, u'工') + u"中国"_s;
    const Case cases[] = {
        {u"中工"_s, 0, "K|H|K|", "hk", {}, kZhong, "first record wins; 中工 is no word"},
        {u"工中国"_s, 0, "A|A|A|A", "a", {}, kGong, "four letters, one key"},
        {u"B"_s, 0, "A|B|C|", "abc", u"B"_s, {}, "exact record after a loose one; end of line"},
        {u"中'国"_s, 1, "Y|Z|9|M", "my", {}, {}, "apostrophe; Z and digits light nothing"},
        {cell28, 27, "K|H|K|", "hk", {}, kZhong, "28th cell: no word lookup, though 中国 is one"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        form.reset();
        ml::Form1& f = buildWithHints();
        helpAt(c.line, c.typed);
        const QString target = c.line.mid(c.typed, 1);
        EXPECT_EQ(captions(f.lbbmcizi), QString::fromUtf8(c.code));
        EXPECT_EQ(captions(f.lbbmci), u"|||"_s);
        EXPECT_EQ(captions(f.lbbmzi), u"|||"_s);
        EXPECT_EQ(litKeys(), QString::fromUtf8(c.keys));
        EXPECT_EQ(f.Finded, c.finded);
        EXPECT_TRUE(f.img_ci->isHidden());
        EXPECT_TRUE(f.img_ci2->isHidden());
        EXPECT_TRUE(f.img_zi->isHidden());
        EXPECT_FALSE(f.img_ci1->isHidden());
        EXPECT_EQ(f.Piczi, target);
        if (c.picture.isValid()) {
            EXPECT_EQ(picture(f.img_ci1), c.picture);
            EXPECT_TRUE(f.lbshowno->isHidden());
        } else {
            EXPECT_TRUE(blanked(f.img_ci1));
            EXPECT_FALSE(f.lbshowno->isHidden());
            EXPECT_EQ(f.lbshowno->text(), target);
        }
        EXPECT_TRUE(p.messages.isEmpty());
    }
}

TEST_F(HintDisplay, WordModeShowsTheWordCodeAndBothPictures) {
    ml::Form1& f = buildWithHints();
    helpAt(u"工中国"_s, 0);  // single mode first: it hides the word pictures
    ASSERT_TRUE(f.img_zi->isHidden());

    helpAt(u"工中国"_s, 1);
    EXPECT_EQ(f.Finded, u"中国"_s);
    EXPECT_EQ(f.BianmaCi, u"khlg"_s);
    EXPECT_EQ(captions(f.lbbmci), u"K|H|L|G"_s);
    EXPECT_EQ(captions(f.lbbmzi), u"K|H|K|"_s);
    EXPECT_EQ(captions(f.lbbmcizi), u"|||"_s);
    EXPECT_EQ(litKeys(), u"ghkl"_s);  // the word's keys, not only those of 中
    EXPECT_EQ(picture(f.img_ci1), kZhong);
    EXPECT_EQ(picture(f.img_zi), kZhong);
    EXPECT_EQ(picture(f.img_ci2), kGuo);
    EXPECT_FALSE(f.img_ci->isHidden());
    EXPECT_FALSE(f.img_ci2->isHidden());
    EXPECT_FALSE(f.img_zi->isHidden());
    EXPECT_TRUE(f.lbshowno->isHidden());
}

TEST_F(HintDisplay, WithoutCodeHintsAWordShowsOnlyItsPictures) {
    ml::Form1& f = buildWithHints(0);
    f.keys['x' - 'a']->show();
    f.BianmaZi = u"before"_s;
    helpAt(u"中国"_s, 0);
    EXPECT_EQ(f.Finded, u"中国"_s);
    EXPECT_EQ(picture(f.img_ci1), kZhong);
    EXPECT_EQ(picture(f.img_ci2), kGuo);
    EXPECT_FALSE(f.img_zi->isHidden());
    // The labels keep their captions from creation, the keys what they showed.
    for (auto* group : {&f.lbbmcizi, &f.lbbmci, &f.lbbmzi})
        EXPECT_EQ(captions(*group), u"G|G|G|G"_s);
    EXPECT_EQ(litKeys(), u"x"_s);
    EXPECT_EQ(f.BianmaZi, u"before"_s);
    EXPECT_TRUE(f.BianmaCi.isEmpty());
}

TEST_F(HintDisplay, MissingSecondPictureBlanksAllThreeSlots) {
    ml::Form1& f = buildWithHints();
    helpAt(u"中工人"_s, 0);  // single mode: word pictures hidden
    helpAt(u"中工人"_s, 1);
    // The word code is shown before the pictures are tried.
    EXPECT_EQ(captions(f.lbbmci), u"A|A|W|U"_s);
    for (const ml::Picture* slot : {f.img_ci1, f.img_zi, f.img_ci2}) EXPECT_TRUE(blanked(slot));
    EXPECT_FALSE(f.lbshowno->isHidden());
    EXPECT_EQ(f.lbshowno->text(), u"人"_s);
    EXPECT_EQ(f.lbshowno->font().family(), u"楷体_GB2312"_s);
    // The failure leaves the word pictures' visibility as it was.
    EXPECT_TRUE(f.img_ci->isHidden());
    EXPECT_TRUE(f.img_ci2->isHidden());
    EXPECT_TRUE(f.img_zi->isHidden());
}

TEST_F(HintDisplay, TargetBeyondTheLineShowsAnEmptyFallback) {
    ml::Form1& f = buildWithHints();
    helpAt(u"中"_s, 1);
    EXPECT_EQ(captions(f.lbbmcizi), u"|||"_s);
    EXPECT_EQ(litKeys(), QString());
    for (const ml::Picture* slot : {f.img_ci1, f.img_zi, f.img_ci2}) EXPECT_TRUE(blanked(slot));
    EXPECT_FALSE(f.lbshowno->isHidden());
    EXPECT_EQ(f.lbshowno->text(), QString());
    EXPECT_TRUE(p.messages.isEmpty());
}

TEST_F(HintDisplay, OnlyALooseMatchIsToldAndLeavesNoCode) {
    ml::Form1& f = buildWithHints();
    f.BianmaZi = u"old"_s;
    helpAt(u"Q"_s, 0);
    ASSERT_EQ(p.messages.size(), 1);
    EXPECT_EQ(p.messages[0].text, u"数据库中没有Q字"_s);
    EXPECT_EQ(p.messages[0].buttons, ml::MsgButtons::Ok);
    EXPECT_TRUE(f.BianmaZi.isEmpty());
    EXPECT_EQ(captions(f.lbbmcizi), u"|||"_s);
}

TEST_F(HintDisplay, HintsOffChangesNothing) {
    ml::Form1& f = buildWithHints();
    f.Showhelp = u"F"_s;
    f.lbshowno->setText(u"旧"_s);
    f.lbshowno->show();
    f.NameQuery = u"before"_s;
    helpAt(u"中国"_s, 0);
    EXPECT_FALSE(f.lbshowno->isHidden());
    EXPECT_EQ(f.lbshowno->text(), u"旧"_s);
    EXPECT_EQ(f.NameQuery, u"before"_s);
    EXPECT_TRUE(f.img_ci1->pixmap().isNull());
    EXPECT_EQ(captions(f.lbbmci), u"G|G|G|G"_s);
    EXPECT_EQ(litKeys(), QString());
}

TEST_F(HintDisplay, UnusableDictionaryFallsBackToTheTarget) {
    const struct {
        const char* why;
        QByteArray bytes;  // empty: no file at all
    } cases[] = {{"missing", {}}, {"not a database", "name,email\r\n中,khk\r\n"}};
    for (const auto& c : cases) {
        for (qint16 bmHelp : {1, 0}) {
            SCOPED_TRACE(std::string(c.why) + (bmHelp ? ", code hints on" : ", code hints off"));
            form.reset();
            QFile::remove(path(u"CiKu.mdb"_s));
            if (!c.bytes.isEmpty()) {
                ASSERT_TRUE(writeFile(path(u"CiKu.mdb"_s), c.bytes));
            }
            ml::Form1& f = buildWithHints(bmHelp);
            EXPECT_FALSE(f.startupWarning().isEmpty());
            helpAt(u"工中国"_s, 1);
            EXPECT_FALSE(f.lbshowno->isHidden());
            EXPECT_EQ(f.lbshowno->text(), u"中"_s);
            EXPECT_TRUE(blanked(f.img_ci1));
            EXPECT_TRUE(p.messages.isEmpty());
        }
    }
}

// The dictionary the build makes from the public Wubi 86 table.
TEST_F(HintDisplay, RealDictionary) {
    const QString built = QDir(qEnvironmentVariable("ML_APP_DIR")).filePath(u"CiKu.mdb"_s);
    ASSERT_TRUE(QFile::exists(built)) << "build the program folder first (target ml_appdata)";
    QFile::remove(path(u"CiKu.mdb"_s));
    ASSERT_TRUE(QFile::copy(built, path(u"CiKu.mdb"_s)));
    ml::Form1& f = buildWithHints();
    ASSERT_TRUE(f.startupWarning().isEmpty()) << f.startupWarning().toStdString();
    const QString line = u"拆中国工"_s;

    helpAt(line, 0);  // 拆中 is no word
    EXPECT_EQ(captions(f.lbbmcizi), u"R|R|Y|Y"_s);
    EXPECT_EQ(litKeys(), u"ry"_s);

    helpAt(line, 1);
    EXPECT_EQ(f.Finded, u"中国"_s);
    EXPECT_EQ(captions(f.lbbmci), u"K|H|L|G"_s);
    EXPECT_EQ(captions(f.lbbmzi), u"K|H|K|"_s);
    EXPECT_EQ(captions(f.lbbmcizi), u"|||"_s);

    helpAt(line, 3);  // the last character of the line
    EXPECT_EQ(captions(f.lbbmcizi), u"A|A|A|A"_s);
    EXPECT_EQ(captions(f.lbbmci), u"|||"_s);
    EXPECT_EQ(litKeys(), u"a"_s);
    EXPECT_TRUE(p.messages.isEmpty());
}

// Once a round is on show, idle time decodes the pictures its keystrokes will ask for, and those
// of the start of the next line (whose first hint comes inside the keystroke that ends this one):
// with the files gone afterwards, typing the whole line and the next character never falls back
// to text, while a picture that was not decoded ahead does.
TEST_F(HintDisplay, IdleTimeDecodesThePicturesTheNextKeystrokesNeed) {
    const QColor kDa(0xA0, 0x60, 0x10);
    ASSERT_TRUE(writeFile(path(u"拆字图/大.gif"_s), png(kDa)));
    const QString line1 = (u"中国工工中国工"_s).repeated(4);
    ASSERT_EQ(line1.size(), 28);
    const QString file = makePractice(u"prefetch.txt"_s, {line1, u"大中"_s});
    QPixmapCache::clear();
    build();
    open(file);
    for (int key : {ml::vk::F2, ml::vk::F4}) {
        qint16 k = static_cast<qint16>(key);
        form->txtInput_KeyDown(k, 0);
    }
    ASSERT_EQ(form->Showhelp, u"T"_s);
    for (int turn = 0; turn < 200; ++turn) QCoreApplication::processEvents();
    for (const QString& c : {u"中"_s, u"国"_s, u"工"_s, u"大"_s})
        ASSERT_TRUE(QFile::remove(path(u"拆字图/"_s + c + u".gif"_s)));

    for (int k = 0; k < 28; ++k) {
        SCOPED_TRACE(k);
        type(line1.mid(k, 1));
        ASSERT_TRUE(form->lbshowno->isHidden()) << "fell back to " << form->lbshowno->text().toStdString();
    }
    EXPECT_EQ(line(), u"大中"_s);
    EXPECT_EQ(picture(form->img_ci1), kDa);
    EXPECT_TRUE(p.messages.isEmpty());

    // Typed on before idle time came, with nothing decoded ahead: the file is read, and it is gone.
    QPixmapCache::clear();
    type(u"大"_s);
    EXPECT_FALSE(form->lbshowno->isHidden());
    EXPECT_EQ(form->lbshowno->text(), u"中"_s);
}

}  // namespace
