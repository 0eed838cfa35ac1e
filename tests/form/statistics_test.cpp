// The statistics window "练习统计" (loaded from its module in the build's program folder), its
// toolbar button and key, the CSV export and the mistakes drill it starts.
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include "commands/vkeys.h"
#include "dialogs/statshost.h"
#include "formfixture.h"
#include "record/recorder.h"

namespace {

using namespace mltest;

class Statistics : public FormFixture {
protected:
    void SetUp() override {
        FormFixture::SetUp();
        ml::setStatsModuleFolders({qEnvironmentVariable("ML_APP_DIR")});
    }
    void TearDown() override {
        FormFixture::TearDown();
        ml::setStatsModuleFolders({});
    }
    QWidget* window() const { return dialogs().statistics(); }
    template <class T>
    T* part(const char* name) const {
        return window() ? window()->findChild<T*>(QLatin1String(name)) : nullptr;
    }
    QString textOf(const char* name) const {
        auto* l = part<QLabel>(name);
        return l ? l->text() : QString();
    }
    void enter() {
        qint16 key = ml::vk::Return;
        form->txtInput_KeyDown(key, 0);
    }
    // 中国工人 / 中国, typed half a second apart: 国 (LGYI) ends up wrong 2 times in 3, 中 (KHK)
    // once in 3, 工 and 人 right.
    void practiseWithMistakes() {
        buildAndOpen(makePractice(u"课文.txt"_s, {u"中国工人"_s, u"中国"_s}), withDictionary());
        p.now = 10;
        for (const QString& typed : {u"中国工人"_s, u"种图"_s, u"中图"_s}) {
            for (QChar c : typed) {
                p.now += 0.5;
                commit(QString(c));
            }
            if (typed != u"中图"_s) enter();
        }
    }
};

TEST_F(Statistics, TheToolbarButtonHighlightsLikeItsNeighbours) {
    ml::Form1& f = build();
    EXPECT_EQ(f.imgcmd44->toolTip(), u"练习统计"_s);
    EXPECT_EQ(f.imgcmd4->geometry(), f.imgcmd44->geometry());
    EXPECT_GT(f.imgcmd4->x(), f.imgcmd3->x() + f.imgcmd3->width() - 1);
    EXPECT_TRUE(f.imgcmd44->isHidden());

    struct Step {
        const char* move;
        bool hi1, hi2, hi3, hi4;
    };
    const Step steps[] = {
        {"imgcmd4", false, false, false, true}, {"imgcmd1", true, false, false, false},
        {"imgcmd4", false, false, false, true}, {"imgcmd2", false, true, false, false},
        {"imgcmd4", false, false, false, true}, {"imgcmd3", false, false, true, false},
        {"imgcmd4", false, false, false, true}, {"form", false, false, false, false},
    };
    for (const Step& s : steps) {
        const std::string move = s.move;
        if (move == "imgcmd1") f.imgcmd1_MouseMove();
        if (move == "imgcmd2") f.imgcmd2_MouseMove();
        if (move == "imgcmd3") f.imgcmd3_MouseMove();
        if (move == "imgcmd4") f.imgcmd4_MouseMove();
        if (move == "form") f.Form_MouseMove();
        SCOPED_TRACE(move);
        EXPECT_EQ(!f.imgcmd11->isHidden(), s.hi1);
        EXPECT_EQ(!f.imgcmd22->isHidden(), s.hi2);
        EXPECT_EQ(!f.imgcmd33->isHidden(), s.hi3);
        EXPECT_EQ(!f.imgcmd44->isHidden(), s.hi4);
    }
}

TEST_F(Statistics, OpensOnceAndModelessFromTheButtonAndTheKey) {
    ml::Form1& f = build();
    f.imgcmd44_Click();
    ASSERT_TRUE(window());
    EXPECT_EQ(window()->windowTitle(), u"练习统计"_s);
    EXPECT_TRUE(window()->isVisible());
    EXPECT_FALSE(window()->isModal());
    QWidget* first = window();
    f.imgcmd44_Click();
    EXPECT_EQ(window(), first);
    int shown = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->windowTitle() == u"练习统计"_s && w->isVisible()) ++shown;
    EXPECT_EQ(shown, 1);

    window()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(window());
    open(makePractice(u"课文.txt"_s, {u"中国"_s}));
    f.show();
    f.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
    QTest::keyClick(f.txtInput, Qt::Key_T, Qt::ControlModifier);
    ASSERT_TRUE(window());
    EXPECT_TRUE(window()->isVisible());
    EXPECT_TRUE(f.txtInput->text().isEmpty());  // the key typed nothing
    EXPECT_TRUE(p.messages.isEmpty());
}

TEST_F(Statistics, ShowsTheMistakesTotalsHeatmapAndRootsOfWhatWasTyped) {
    practiseWithMistakes();
    form->imgcmd44_Click();
    ASSERT_TRUE(window());
    EXPECT_EQ(textOf("totalJudged"), u"8"_s);
    EXPECT_EQ(textOf("totalDays"), u"1"_s);
    EXPECT_FALSE(part<QLabel>("problem")->isVisible());

    auto* missed = part<QTableWidget>("mostMissed");
    ASSERT_TRUE(missed);
    ASSERT_EQ(missed->rowCount(), 2);
    EXPECT_EQ(missed->item(0, 0)->text(), u"国"_s);
    EXPECT_EQ(missed->item(0, 1)->text(), u"LGYI"_s);
    EXPECT_EQ(missed->item(0, 2)->text(), u"2 / 3"_s);
    EXPECT_EQ(missed->item(1, 0)->text(), u"中"_s);

    const QVariantMap rates = part<QWidget>("heatmap")->property("rates").toMap();
    EXPECT_NEAR(rates.value(u"l"_s).toDouble(), 2.0 / 3, 1e-9);
    EXPECT_NEAR(rates.value(u"k"_s).toDouble(), 1.0 / 3, 1e-9);
    EXPECT_EQ(rates.value(u"a"_s, -1).toDouble(), 0.0);  // 工 AAAA: used, never missed
    EXPECT_FALSE(rates.contains(u"x"_s));                // in no code typed
    const QStringList roots = part<QWidget>("roots")->property("roots").toStringList();
    ASSERT_FALSE(roots.isEmpty());
    EXPECT_EQ(roots.first(), u"囗"_s);  // in 国, missed twice

    // Selecting a character shows its decomposition picture, or the character where there is none.
    missed->selectRow(1);
    EXPECT_EQ(part<QLabel>("picture")->property("character").toString(), u"中"_s);
    EXPECT_TRUE(part<QLabel>("picture")->pixmap().isNull());
    EXPECT_EQ(part<QLabel>("picture")->text(), u"中"_s);
    QDir().mkpath(path(u"拆字图"_s));
    ASSERT_TRUE(QFile::copy(QDir(qEnvironmentVariable("ML_APP_DIR")).filePath(u"拆字图/国.gif"_s),
                            path(u"拆字图/国.gif"_s)));
    missed->selectRow(0);
    EXPECT_EQ(part<QLabel>("picture")->property("character").toString(), u"国"_s);
    EXPECT_FALSE(part<QLabel>("picture")->pixmap().isNull());

    part<QPushButton>("period_7")->click();
    EXPECT_EQ(textOf("totalJudged"), u"8"_s);
    EXPECT_EQ(part<QWidget>("speedChart")->property("points").toInt(), 1);
}

TEST_F(Statistics, WithNothingRecordedItSaysSo) {
    build();
    form->imgcmd44_Click();
    ASSERT_TRUE(window());
    EXPECT_EQ(textOf("totalJudged"), u"0"_s);
    EXPECT_TRUE(textOf("chartNote").contains(u"还没有练习记录"_s));
    EXPECT_EQ(part<QTableWidget>("mostMissed")->rowCount(), 0);
}

TEST_F(Statistics, AMissingModuleIsToldAndNothingOpens) {
    QTemporaryDir empty;
    ml::setStatsModuleFolders({empty.path()});
    build();
    form->imgcmd44_Click();
    EXPECT_FALSE(window());
    ASSERT_EQ(p.messages.size(), 1);
    EXPECT_TRUE(p.messages[0].text.contains(u"molan-tutor-stats"_s));
    EXPECT_TRUE(p.messages[0].text.contains(QDir::toNativeSeparators(empty.path())));
}

TEST_F(Statistics, ExportsTheCharacterTableThroughASaveDialog) {
    practiseWithMistakes();
    form->imgcmd44_Click();
    const QString target = dir.filePath(u"导出/统计.csv"_s);
    QDir().mkpath(QFileInfo(target).absolutePath());
    p.saveAnswers << target;
    part<QPushButton>("exportCsv")->click();
    const QList<QByteArray> lines = readFile(target).split('\n');
    ASSERT_GE(lines.size(), 3);
    EXPECT_EQ(lines[0], "character,code,judged,missed,median_ms");
    // 中 always came first on its line, so it was never timed.
    EXPECT_EQ(lines.mid(1, 4), QList<QByteArray>({QStringLiteral("中,khk,3,1,").toUtf8(),
                                                  QStringLiteral("国,lgyi,3,2,500").toUtf8(),
                                                  QStringLiteral("人,wwww,1,0,500").toUtf8(),
                                                  QStringLiteral("工,aaaa,1,0,500").toUtf8()}));
    EXPECT_EQ(p.saveRequests.size(), 1);
    ASSERT_FALSE(p.messages.isEmpty());
    EXPECT_TRUE(p.messages.last().text.contains(QDir::toNativeSeparators(target)));
}

TEST_F(Statistics, DrillMyMistakesOpensTheWeakCharactersFromTheirFirstLine) {
    practiseWithMistakes();
    // Left from an earlier drill: the new one must not resume there.
    writeFile(progress(u"错字练习"_s), le32(3));
    form->imgcmd44_Click();
    part<QPushButton>("drillMistakes")->click();
    EXPECT_TRUE(form->Fname.endsWith(u"错字练习.txt"_s)) << form->Fname.toStdString();
    EXPECT_EQ(form->JinduNow, 1);
    EXPECT_TRUE(line().startsWith(u"国"_s)) << line().toStdString();
    EXPECT_LE(line().size(), 28);
    EXPECT_TRUE(form->txtInput->isEnabled());
    EXPECT_EQ(readFile(progress(u"错字练习"_s)), le32(1));
}

TEST_F(Statistics, DrillWithNothingRecordedSaysSoAndOpensNothing) {
    build();
    form->imgcmd44_Click();
    part<QPushButton>("drillMistakes")->click();
    ASSERT_EQ(p.messages.size(), 1);
    EXPECT_TRUE(p.messages[0].text.contains(u"还没有练习记录"_s));
    EXPECT_TRUE(form->Fname.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(practice(u"错字练习.txt"_s)));
}

}  // namespace
