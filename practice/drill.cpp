// Drill mode "编码练习": the course's code drills in the main window. The learner types the code
// letters themselves, with the input method off; every key is judged against the next key of the
// current item, explained when wrong, and kept in the record.
#include <QDateTime>
#include <QDir>
#include <QGuiApplication>
#include <QInputMethod>
#include <QPainter>
#include <QRandomGenerator>

#include "art/art.h"
#include "art/artlib.h"
#include "course/coach.h"
#include "course/recordstore.h"
#include "course/store.h"
#include "hints/dictionary.h"
#include "practice/drillmode.h"
#include "practice/form1.h"
#include "practice/rules.h"
#include "practice/texts.h"
#include "record/recorder.h"

namespace ml {

namespace {

const QString T = QStringLiteral("T");

// The drill's elements: the line takes the place of the 28 cells and the line label; the input
// box, narrowed, shows the keys typed for the current item, and the explanation runs beside it.
const QRect kLineRect(78, 203, 870, 64);
const QRect kInputRect(98, 272, 150, 41);
const QRect kWhyRect(262, 272, 686, 41);
// Right of the chart's bottom row, where a space bar would be.
const QRect kSpaceRect(790, 668, 86, 29);

QString escaped(const QString& s) { return s.toHtmlEscaped(); }

qint64 epochSeconds() { return QDateTime::currentSecsSinceEpoch(); }

QString goalText(const course::Goal& g) {
    return g.speed > 0 ? QStringLiteral("正确率 %1%、%2 码/分").arg(g.accuracy).arg(g.speed)
                       : QStringLiteral("正确率 %1%").arg(g.accuracy);
}

QString roundSummary(const course::RoundReport& r, int missed) {
    QString s = QStringLiteral("本轮：正确率 %1%，速度 %2 码/分（目标 %3）。")
                    .arg(r.figures.accuracy)
                    .arg(r.figures.speed)
                    .arg(goalText(r.goal));
    if (r.passed) {
        s += QStringLiteral("达到目标！");
        if (!r.opened.isEmpty()) s += QStringLiteral("已打开下一课「%1」。").arg(r.opened);
    } else {
        s += QStringLiteral("还没达到目标。");
    }
    if (missed > 0) s += QStringLiteral("打错的 %1 个列在上面。").arg(missed);
    return s + QStringLiteral("按 Enter 练下一轮。");
}

// A root drawn large for the hint area, with what learners call it.
QPixmap rootPicture(const course::Item& item, qreal dpr) {
    QPixmap pm(QSize(219, 54) * dpr);
    pm.setDevicePixelRatio(dpr);
    pm.fill(Qt::white);
    QPainter p(&pm);
    p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    const art::RootTable& table = art::RootTable::builtIn();
    int zone = 1;
    if (const art::KeyEntry* k = table.key(item.code.isEmpty() ? 'g' : char(item.code[0].unicode())))
        zone = k->zone;
    art::drawRoot(p, table, item.text, QRectF(8, 4, 46, 46), art::zoneColor(zone));
    QString name = item.label;
    if (name.isEmpty()) {
        if (const art::Shape* s = table.shape(item.text)) name = s->label;
    }
    if (!name.isEmpty()) {
        QFont f(QStringLiteral("Noto Sans CJK SC"));
        f.setPixelSize(15);
        p.setFont(f);
        p.setPen(QColor(0x4A, 0x56, 0x64));
        p.drawText(QRectF(62, 4, 150, 46), Qt::AlignLeft | Qt::AlignVCenter, name);
    }
    return pm;
}

QLabel* makeDrillLabel(QWidget* parent, const char* name, const QRect& geo, int px) {
    auto* l = new QLabel(parent);
    l->setObjectName(QLatin1String(name));
    l->setGeometry(geo);
    QFont f(QStringLiteral("Noto Sans CJK SC"));
    f.setPixelSize(px);
    l->setFont(f);
    l->setTextFormat(Qt::RichText);
    l->hide();
    return l;
}

}  // namespace

bool Form1::inDrill() const { return drill_ && drill_->active; }
QString Form1::drillLesson() const { return inDrill() ? drill_->lesson : QString(); }

void Form1::setDrillStore(std::unique_ptr<course::DrillStore> store) {
    coach_.reset();
    drillStore_ = std::move(store);
}

course::Coach& Form1::coach() {
    if (!coach_) {
        if (!drillStore_) {
            // The window's own writer: one lock and one batching for the practice and the drills.
            // A record that cannot be used is told once, and the drills go on unrecorded.
            const QString path = homePath(record::kFileName);
            if (!recorder_ && !recordingStopped_) startRecording();
            drillStore_ = recorder_ ? std::make_unique<course::RecordStore>(*recorder_, path)
                                    : std::make_unique<course::RecordStore>(
                                          std::make_unique<record::Recorder>(path), path);
        }
        course::ItemChecks checks;
        checks.drawable = [](const QString& root) {
            return !root.startsWith(u'@') || art::RootTable::builtIn().shape(root) != nullptr;
        };
        checks.codeOf = [this](const QString& text) -> std::optional<QString> {
            const auto r = dict_ ? dict_->search(text) : std::nullopt;
            if (r && r->outcome == CodeDictionary::Outcome::Hit && !r->email.isEmpty())
                return r->email;
            return std::nullopt;
        };
        coach_ = std::make_unique<course::Coach>(dataPath(QStringLiteral("课程")), *drillStore_,
                                                 checks);
    }
    return *coach_;
}

bool Form1::enterDrill(const QString& lesson) {
    course::Coach& c = coach();
    const qint64 ms = qint64(platform_.seconds() * 1000);
    auto round = c.nextRound(lesson, ms, epochSeconds(), QRandomGenerator::global()->generate64());
    c.facts();  // the explanations' data, so that a problem with it is told now, not mid-round
    const QStringList problems = c.takeProblems();
    if (!round) {
        QString text = QStringLiteral("\r这一课现在不能练习。");
        if (!problems.isEmpty()) text += QStringLiteral("\r\r") + problems.mid(0, 8).join(u'\r');
        platform_.messageBox(this, text, MsgIcon::Exclamation, MsgButtons::Ok);
        return false;
    }

    if (!drill_) {
        drill_ = std::make_unique<DrillMode>();
        DrillMode& d = *drill_;
        d.line = new DrillLine(art::RootTable::builtIn(), this);
        d.line->setGeometry(kLineRect);
        d.line->hide();
        d.why = makeDrillLabel(this, "lbwhy", kWhyRect, 15);
        d.why->setWordWrap(true);
        d.board = makeDrillLabel(imghidehelp, "lbdrill", QRect(24, 6, 820, 62), 13);
        d.unit = makeDrillLabel(this, "lbmafen", QRect(396, 352, 86, 34), 11);
        d.unit->setAutoFillBackground(true);
        QPalette pal = d.unit->palette();
        pal.setColor(QPalette::Window, Qt::white);
        d.unit->setPalette(pal);
        d.nextKey = new Picture(this);
        d.nextKey->setObjectName(QStringLiteral("imgnextkey"));
        d.nextKey->setPixmap(Art::picture(folder_.data, QStringLiteral("drill_next.png")));
        d.nextKey->resize(37, 37);
        d.nextKey->setAttribute(Qt::WA_TransparentForMouseEvents);
        d.nextKey->hide();
        d.spaceKey = new Picture(this);
        d.spaceKey->setObjectName(QStringLiteral("imgspacekey"));
        d.spaceKey->setPixmap(Art::picture(folder_.data, QStringLiteral("drill_space.png")));
        d.spaceKey->setGeometry(kSpaceRect);
        d.spaceKey->hide();
        d.flush = new QTimer(this);
        d.flush->setSingleShot(true);
        d.flush->setInterval(800);
        connect(d.flush, &QTimer::timeout, this, [this] { coach().store().flush(); });
    }
    DrillMode& d = *drill_;
    const bool entering = !d.active;
    if (entering) {
        d.saved.helpHide = !imghelphide->isHidden();
        d.saved.input = txtInput->geometry();
        d.saved.hints = txtInput->inputMethodHints();
        d.active = true;
        // Plain letters, nothing composed: the keys are the learner's answer.
        txtInput->setReadOnly(true);
        txtInput->setAttribute(Qt::WA_InputMethodEnabled, false);
        txtInput->setInputMethodHints(Qt::ImhLatinOnly | Qt::ImhPreferLatin |
                                      Qt::ImhNoPredictiveText | Qt::ImhNoAutoUppercase);
        txtInput->setGeometry(kInputRect);
        txtInput->clear();
        txtInput->setEnabled(true);
        txtInput->show();
        lblianxi->hide();
        for (QLabel* cell : lb) cell->hide();
        imghelphide->hide();
        resetFigures();
        Jishu = 0;
        d.line->show();
        d.why->show();
        d.board->show();
        d.unit->show();
        d.line->raise();
        if (QGuiApplication::inputMethod()) QGuiApplication::inputMethod()->reset();
    }
    if (entering || d.lesson != lesson) c.store().beginLesson(lesson);
    d.lesson = lesson;
    d.round = std::move(round);
    d.report.reset();
    d.whyItem = -1;
    Timer1->stop();
    d.start = 0;
    d.keys = d.rightKeys = d.characters = 0;
    lbtime->setText(QStringLiteral("0:00:00"));
    lbshudu->setText(QStringLiteral("0"));
    lbZql->setText(QStringLiteral("100%"));
    const course::Lesson* l = c.course().find(lesson);
    lbfilename->setText(QStringLiteral("编码练习：") + (l ? l->title : lesson));
    d.unit->setText(QStringLiteral("码/分<br><span style='color:#8A96A3'>0 字/分</span>"));
    d.line->setRound(&*d.round);
    d.why->clear();
    txtInput->clear();
    txtInput->setFocus();
    if (Showhelp == T) Helpme();
    drillRefresh();
    QStringList told = problems.mid(0, 8);
    const QString record = c.store().takeMessage();
    if (!record.isEmpty()) told << record.trimmed();
    if (!told.isEmpty())
        platform_.messageBox(this, QStringLiteral("\r") + told.join(u'\r'), MsgIcon::Exclamation,
                             MsgButtons::Ok);
    return true;
}

void Form1::leaveDrill() {
    if (!inDrill()) return;
    DrillMode& d = *drill_;
    coach().store().endLesson();
    coach().store().flush();
    d.active = false;
    d.round.reset();
    d.report.reset();
    d.line->setRound(nullptr);
    for (QWidget* w : {static_cast<QWidget*>(d.line), static_cast<QWidget*>(d.why),
                       static_cast<QWidget*>(d.board), static_cast<QWidget*>(d.unit),
                       static_cast<QWidget*>(d.nextKey), static_cast<QWidget*>(d.spaceKey)})
        w->hide();
    Timer1->stop();
    txtInput->setReadOnly(false);
    txtInput->setAttribute(Qt::WA_InputMethodEnabled, true);
    txtInput->setInputMethodHints(d.saved.hints);
    txtInput->setGeometry(d.saved.input);
    for (QLabel* cell : lb) cell->show();
    resetFigures();
    txtInput->clear();
    if (readerOpen()) {
        // The line on show starts again from its first character.
        lblianxi->show();
        txtInput->show();
        txtInput->setEnabled(true);
        lbfilename->setText(shortenPath(Fname));
        Jishu = 0;
        oldInput.clear();
        Temp = lblianxi->text();
        for (int k = 1; k <= 28; ++k) setCellColor(k, kWhite);
        txtInput->setFocus();
        if (QGuiApplication::inputMethod()) QGuiApplication::inputMethod()->update(Qt::ImEnabled);
        if (Showhelp == T) Helpme();
        recordResume();
    } else {
        returnToNoFile();
        imghelphide->setVisible(d.saved.helpHide);
    }
}

void Form1::drillKey(QChar key) {
    if (!inDrill()) return;
    DrillMode& d = *drill_;
    if (!d.round || d.report) return;
    const int item = d.round->current();
    const int position = d.round->position();
    course::KeyRecord rec;
    const qint64 ms = qint64(platform_.seconds() * 1000);
    const auto result = d.round->press(key, ms, &rec);
    if (result == course::Round::Result::Ignored) return;
    if (d.start == 0) {
        d.start = platform_.seconds();
        Timer1->start();
    }
    ++d.keys;
    if (rec.right) ++d.rightKeys;
    course::Coach& c = coach();
    c.store().addKey(rec);
    d.flush->start();
    if (d.whyItem >= 0 && d.whyItem != item) {
        d.why->clear();
        d.whyItem = -1;
    }
    const course::Target& t = d.round->target(item);
    switch (result) {
        case course::Round::Result::Wrong:
            platform_.playSound(dataPath(QStringLiteral("声音/打错字.wav")));
            d.why->setText(QStringLiteral("<span style='color:#C62828'>%1</span>")
                               .arg(escaped(c.facts().whyWrong(t.item, t.keys, position, rec.typed))));
            d.whyItem = item;
            break;
        case course::Round::Result::ItemDone:
        case course::Round::Result::RoundDone:
            c.itemDone(*d.round, d.round->outcomes().last(), epochSeconds());
            d.characters += t.item.kind == course::Kind::Root ? 1 : t.item.text.toUcs4().size();
            endTemporaryHints();
            break;
        default: break;
    }
    if (result == course::Round::Result::RoundDone) {
        d.report = c.roundDone(*d.round);
        const int missed = int(d.round->missedItems().size());
        d.line->showSummary(&*d.round);
        d.why->setText(QStringLiteral("<span style='color:#263040'>%1</span>")
                           .arg(escaped(roundSummary(*d.report, missed))));
        txtInput->clear();
    } else {
        txtInput->setText(course::showKeys(d.round->typed(d.round->current())));
        d.line->update();
    }
    if (Showhelp == T) Helpme();
    drillRefresh();
}

void Form1::drillBackspace() {
    if (!inDrill() || !drill_->round || drill_->report) return;
    DrillMode& d = *drill_;
    if (!d.round->backspace()) return;
    endTemporaryHints();
    txtInput->setText(course::showKeys(d.round->typed(d.round->current())));
    d.line->update();
    if (Showhelp == T) Helpme();
    drillRefresh();
}

void Form1::drillEnter() {
    if (!inDrill() || !drill_->report) return;
    enterDrill(drill_->lesson);
}

void Form1::drillRestart() {
    if (!inDrill() || !drill_->round) return;
    DrillMode& d = *drill_;
    QList<course::Target> targets;
    for (int i = 0; i < d.round->size(); ++i) targets << d.round->target(i);
    d.round.emplace(d.lesson, targets, qint64(platform_.seconds() * 1000));
    d.report.reset();
    d.whyItem = -1;
    d.why->clear();
    d.line->setRound(&*d.round);
    txtInput->clear();
    if (Showhelp == T) Helpme();
    drillRefresh();
}

void Form1::drillRefresh() {
    if (!drill_) return;
    DrillMode& d = *drill_;
    d.board->setVisible(d.active);
    const bool marks = d.active && Showhelp == T && d.round && !d.round->done();
    const QChar next = marks ? d.round->expected() : QChar();
    d.spaceKey->setVisible(marks && next == u' ');
    if (marks && next >= u'a' && next <= u'y') {
        d.nextKey->move(art::keyPicturePos(char(next.unicode())) - QPoint(4, 4));
        d.nextKey->show();
        d.nextKey->raise();
    } else {
        d.nextKey->hide();
    }
    if (!d.active) return;

    const course::Lesson* l = coach().course().find(d.lesson);
    const course::LessonProgress p = coach().progressOf(d.lesson);
    const course::Goal goal = l ? coach().goalOf(*l) : course::Goal{};
    QString where;
    if (d.round && !d.report)
        where = QStringLiteral("第 %1/%2 个").arg(d.round->current() + 1).arg(d.round->size());
    else
        where = QStringLiteral("本轮完成");
    QString best;
    if (p.rounds > 0)
        best = QStringLiteral(" · 最好 %1 码/分、%2%").arg(p.bestSpeed).arg(p.bestAccuracy);
    const QString board =
        QStringLiteral("<div style='font-size:16px;color:#2B3745'><b>%1</b>"
                       "<span style='color:#8A96A3;font-size:13px'>　第 %2 轮 · %3 · 目标 %4%5"
                       "%6</span></div>"
                       "<div style='color:#8A96A3;margin-top:6px'>直接按字母键打编码，不用输入法；"
                       "F1–F4 提示　Backspace 退一码　F12 本轮重来　Enter 下一轮　"
                       "“五笔课程”换课或回到文字练习</div>")
            .arg(escaped(l ? l->title : d.lesson))
            .arg(p.rounds + (d.report ? 0 : 1))
            .arg(where, goalText(goal), best,
                 p.passed ? QStringLiteral(" · <span style='color:#3E8E4A'>已通过</span>")
                          : QString());
    // Laying out rich text costs more than judging a key: only when it changes.
    if (board != d.board->text()) d.board->setText(board);
}

void Form1::drillHelp() {
    DrillMode& d = *drill_;
    lbshowno->hide();
    if (!d.round || d.round->done()) return;
    const course::Target& t = d.round->target(d.round->current());
    const QString letters = course::showKeys(t.keys);
    auto letterAt = [&letters](int k) { return k < letters.size() ? letters.mid(k, 1) : QString(); };
    const bool word = t.item.kind == course::Kind::Word;
    if (BmHelp == 1) {
        for (int k = 0; k < 4; ++k) {
            lbbmcizi[k]->setText(word ? QString() : letterAt(k));
            lbbmci[k]->setText(word ? letterAt(k) : QString());
            lbbmzi[k]->setText(QString());
        }
        lightKeys(t.keys.toUpper());
    }
    img_zi->hide();
    if (t.item.kind == course::Kind::Root) {
        img_ci->hide();
        img_ci2->hide();
        img_ci1->setPixmap(rootPicture(t.item, devicePixelRatioF() > 1.0 ? 2.0 : 1.0));
        return;
    }
    const QList<uint> chars = t.item.text.toUcs4();
    auto charAt = [&chars](int k) {
        return k < chars.size() ? QString::fromUcs4(reinterpret_cast<const char32_t*>(&chars[k]), 1)
                                : QString();
    };
    Piczi = charAt(0);
    if (!word) {
        img_ci->hide();
        img_ci2->hide();
        if (!loadDecomposition(img_ci1)) pictureFallback();
        return;
    }
    if (!loadDecomposition(img_ci1)) return pictureFallback();
    Piczi = charAt(1);
    if (!loadDecomposition(img_ci2)) return pictureFallback();
    img_ci->show();
    img_ci2->show();
}

void Form1::drillTick() {
    DrillMode& d = *drill_;
    const double elapsed = platform_.seconds() - d.start;
    lbtime->setText(timeText(elapsed));
    lbshudu->setText(speedText(d.rightKeys, elapsed));
    d.unit->setText(QStringLiteral("码/分<br><span style='color:#8A96A3'>%1 字/分</span>")
                        .arg(speedText(d.characters, elapsed)));
    lbZql->setText(accuracyText(d.rightKeys, d.keys));
}

void Form1::Image5_MouseMove() { Image6->show(); }
void Form1::Image6_Click() { emit courseRequested(); }

}  // namespace ml
