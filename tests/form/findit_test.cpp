// The code lookup dialog opened from the main window's toolbar, against a small dictionary and a
// few decomposition pictures.
#include "dialogs/findit.h"

#include <QBuffer>
#include <QImage>
#include <QPointer>
#include <QPushButton>

#include "formfixture.h"
#include "testpictures.h"
#include "hints/dictionary.h"

namespace {

using namespace mltest;

const QColor kZhong(0xC0, 0x10, 0x10);  // 中, a real GIF
const QColor kGuo(0x10, 0x10, 0xC0);    // 国, PNG content; the others have no picture

class Findit : public FormFixture {
protected:
    void SetUp() override {
        FormFixture::SetUp();
        QString error;
        ASSERT_TRUE(ml::writeDictionary(path(u"CiKu.mdb"_s),
                                        {
                                            {u"中"_s, u"khk"_s},
                                            {u"中"_s, u"k"_s},
                                            {u"国"_s, u"lgyi"_s},
                                            {u"人"_s, u"w"_s},
                                            {u"又"_s, u"cc"_s},
                                            {u"q"_s, u"qq"_s},
                                            {u"'"_s, u"wz"_s},
                                        },
                                        &error))
            << error.toStdString();
        ASSERT_TRUE(writeFile(path(u"拆字图/中.gif"_s), tinyGif(kZhong)));
        ASSERT_TRUE(writeFile(path(u"拆字图/国.gif"_s), png(kGuo)));
    }

    ml::findit* openDialog() {
        form->imgcmd22_Click();
        auto* d = dialogs().lookup();
        EXPECT_NE(d, nullptr);
        return d;
    }
    static void flushDeletes() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    static QString cells(const ml::findit* d) {
        QStringList c;
        for (QLabel* l : d->lbbm) c << l->text();
        return c.join(u'|');
    }
    // What the picture frame shows: "placeholder", "notfound" or the picture's colour name.
    static QString shown(const ml::findit* d) {
        if (d->imgfind->isHidden()) return d->lbnotfind->isHidden() ? u"nothing"_s : u"notfound"_s;
        if (!d->lbnotfind->isHidden()) return u"both"_s;
        const QImage img = d->imgfind->pixmap().toImage();
        if (img == ml::findit::placeholderPicture().toImage()) return u"placeholder"_s;
        return img.pixelColor(0, 0).name();
    }
};

TEST_F(Findit, OpensWithThePlaceholders) {
    build();
    ml::findit* d = openDialog();
    ASSERT_NE(d, nullptr);
    EXPECT_TRUE(d->isVisible());
    EXPECT_FALSE(d->isModal());
    EXPECT_TRUE(d->testAttribute(Qt::WA_DeleteOnClose));
    EXPECT_EQ(d->windowTitle(), u"墨岚输入法编码查询（2500常用字/1000次常用字）"_s);
    EXPECT_EQ(d->size(), QSize(418, 343));
    EXPECT_EQ(d->minimumSize(), d->maximumSize());
    EXPECT_EQ(cells(d), u"S|J|D|C"_s);
    EXPECT_EQ(shown(d), u"placeholder"_s);
    EXPECT_TRUE(d->txtfindit->text().isEmpty());
    EXPECT_TRUE(d->cmdOK->isDefault());
    // The text box comes first when tabbing.
    QWidget* first = d->nextInFocusChain();
    while (first != d && first->focusPolicy() == Qt::NoFocus) first = first->nextInFocusChain();
    EXPECT_EQ(first, d->txtfindit);
    // Focus goes to the text box once, a second after opening.
    EXPECT_TRUE(d->Timer1->isActive());
    EXPECT_EQ(d->Timer1->interval(), 1000);
}

TEST_F(Findit, LooksUpTheLastCharacterTyped) {
    struct Step {
        QString text;
        const char* cells;
        QString shown;
        const char* why;
    };
    const QString zhong = kZhong.name(), guo = kGuo.name();
    const Step steps[] = {
        {u"中"_s, "K|H|K|", zhong, "a hit: first record, upper case, GIF picture"},
        {u"中国"_s, "L|G|Y|I", guo, "two characters: only the last; PNG content loads too"},
        {u"中"_s, "K|H|K|", zhong, "deleting one of two looks up the first"},
        {u""_s, "K|H|K|", zhong, "an empty box changes nothing"},
        {u"人"_s, "W|||", u"notfound"_s, "no picture: the code is still shown"},
        {u"人国"_s, "L|G|Y|I", guo, "a picture again hides the label"},
        {u"好"_s, "L|G|Y|I", guo, "not in the dictionary: nothing changes"},
        {u"又"_s, "C|C||", u"notfound"_s, "a short code leaves cells empty"},
        {u"Q"_s, "C|C||", u"notfound"_s, "only a loose match: told, nothing changes"},
        {u"it'"_s, "W|Z||", u"notfound"_s, "an apostrophe is a character like any other"},
    };
    build();
    ml::findit* d = openDialog();
    ASSERT_NE(d, nullptr);
    for (const Step& s : steps) {
        SCOPED_TRACE(s.why);
        d->txtfindit->setText(s.text);
        EXPECT_EQ(cells(d), QString::fromUtf8(s.cells));
        EXPECT_EQ(shown(d), s.shown);
    }
    ASSERT_EQ(p.messages.size(), 1);
    EXPECT_EQ(p.messages[0].text, u"数据库中没有 “Q” 字"_s);
    EXPECT_EQ(p.messages[0].icon, ml::MsgIcon::Exclamation);
    EXPECT_EQ(p.messages[0].buttons, ml::MsgButtons::Ok);
}

TEST_F(Findit, EnterAndEscCloseAndReopeningStartsAfresh) {
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
        SCOPED_TRACE(key == Qt::Key_Return ? "Enter" : "Esc");
        form.reset();
        build();
        QPointer<ml::findit> d = openDialog();
        ASSERT_TRUE(d);
        d->txtfindit->setText(u"中"_s);
        // The toolbar button brings back the open dialog rather than making a second one.
        EXPECT_EQ(openDialog(), d.data());
        EXPECT_EQ(windowsOf<ml::findit>(), 1);
        EXPECT_EQ(cells(d), u"K|H|K|"_s);

        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(d->txtfindit, &press);
        flushDeletes();
        EXPECT_TRUE(d.isNull());

        ml::findit* again = openDialog();
        ASSERT_NE(again, nullptr);
        EXPECT_EQ(cells(again), u"S|J|D|C"_s);
        EXPECT_EQ(shown(again), u"placeholder"_s);
    }
}

TEST_F(Findit, UnusableDictionaryLeavesTheDisplay) {
    QFile::remove(path(u"CiKu.mdb"_s));
    build();
    ASSERT_FALSE(form->startupWarning().isEmpty());
    ml::findit* d = openDialog();
    ASSERT_NE(d, nullptr);
    d->txtfindit->setText(u"中"_s);
    EXPECT_EQ(cells(d), u"S|J|D|C"_s);
    EXPECT_EQ(shown(d), u"placeholder"_s);
    EXPECT_TRUE(p.messages.isEmpty());
}

}  // namespace
