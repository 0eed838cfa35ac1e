#include "dialogs/stats/statswindow.h"

#include <QButtonGroup>
#include <QChart>
#include <QChartView>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QTableWidget>
#include <QToolTip>
#include <QValueAxis>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace ml::stats {

namespace {

const QColor kInk(0x2B, 0x37, 0x45);
const QColor kText(0x4A, 0x56, 0x64);
const QColor kMuted(0x8A, 0x96, 0xA3);
const QColor kLine(0xDA, 0xE1, 0xE9);
const QColor kAccent(0x2F, 0x6B, 0xAE);
const QColor kGreen(0x25, 0x96, 0x6B);
const QColor kWarm(0xF2, 0xB1, 0x0C);
const QColor kHot(0xD6, 0x2A, 0x24);

QColor mix(const QColor& a, const QColor& b, qreal t) {
    return QColor::fromRgbF(a.redF() + (b.redF() - a.redF()) * t,
                            a.greenF() + (b.greenF() - a.greenF()) * t,
                            a.blueF() + (b.blueF() - a.blueF()) * t);
}

// Low error rates pale and warm, high ones red.
QColor heat(qreal t) {
    t = std::clamp<qreal>(t, 0, 1);
    return t < 0.5 ? mix(QColor(0xFF, 0xF1, 0x9A), kWarm, t * 2) : mix(kWarm, kHot, (t - 0.5) * 2);
}

QString duration(qint64 ms) {
    const qint64 minutes = ms / 60'000;
    if (minutes < 60) return QStringLiteral("%1 分").arg(minutes);
    return QStringLiteral("%1 小时 %2 分").arg(minutes / 60).arg(minutes % 60);
}

QString percent(double rate) { return QStringLiteral("%1%").arg(rate * 100, 0, 'f', rate < 0.1 ? 1 : 0); }

// A white card with a heading, holding `body`.
QFrame* card(const QString& title, QWidget* body, QWidget* parent, QLabel** heading = nullptr) {
    auto* frame = new QFrame(parent);
    frame->setObjectName(QStringLiteral("card"));
    auto* v = new QVBoxLayout(frame);
    v->setContentsMargins(16, 12, 16, 14);
    v->setSpacing(8);
    auto* h = new QLabel(title, frame);
    h->setObjectName(QStringLiteral("heading"));
    v->addWidget(h);
    v->addWidget(body, 1);
    if (heading) *heading = h;
    return frame;
}

// One figure of the totals row: a big value over a caption.
QLabel* figure(const QString& name, const QString& caption, QHBoxLayout* row, QWidget* parent) {
    auto* frame = new QFrame(parent);
    frame->setObjectName(QStringLiteral("card"));
    auto* v = new QVBoxLayout(frame);
    v->setContentsMargins(16, 10, 16, 10);
    v->setSpacing(2);
    auto* value = new QLabel(QStringLiteral("—"), frame);
    value->setObjectName(name);
    value->setProperty("figure", true);
    auto* cap = new QLabel(caption, frame);
    cap->setObjectName(QStringLiteral("caption"));
    v->addWidget(value);
    v->addWidget(cap);
    row->addWidget(frame, 1);
    return value;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// The heatmap: the root keyboard chart with each key tinted by its error rate.

class Heatmap : public QWidget {
public:
    explicit Heatmap(QWidget* parent) : QWidget(parent) {
        setObjectName(QStringLiteral("heatmap"));
        setMinimumHeight(200);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    }

    void set(const QPixmap& keyboard, const std::vector<KeyItem>& keys) {
        keyboard_ = keyboard;
        keys_ = keys;
        max_ = 0;
        min_ = 1;
        QVariantMap rates;
        for (const KeyItem& k : keys_) {
            if (!k.judged) continue;
            const double r = double(k.missed) / double(k.judged);
            max_ = std::max(max_, r);
            min_ = std::min(min_, r);
            rates.insert(QString(QChar(k.letter)), r);
        }
        if (min_ > max_) min_ = max_;
        // Tests and accessibility tools read the rates the colours stand for.
        setProperty("rates", rates);
        update();
    }

    QSize sizeHint() const override { return {640, 300}; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform |
                         QPainter::TextAntialiasing);
        const QRectF area = picture();
        if (keyboard_.isNull() || area.isEmpty()) return;
        p.drawPixmap(area, keyboard_, QRectF(QPointF(0, 0), keyboard_.deviceIndependentSize()));
        const qreal s = area.width() / keyboard_.deviceIndependentSize().width();
        QFont f = font();
        f.setPixelSize(std::max(9, int(std::lround(12 * s))));
        f.setBold(true);
        p.setFont(f);
        for (const KeyItem& k : keys_) {
            const QRectF r(area.left() + k.cell.left() * s, area.top() + k.cell.top() * s,
                           k.cell.width() * s, k.cell.height() * s);
            const QRectF inner = r.adjusted(0.5, 0.5, -0.5, -0.5);
            if (k.judged == 0) {
                // Never used by a judged character: washed out, so the coloured keys stand out.
                p.setPen(Qt::NoPen);
                p.setBrush(QColor(255, 255, 255, 150));
                p.drawRoundedRect(inner, 7 * s, 7 * s);
                continue;
            }
            // From the best key to the worst: every key's rate is a few per cent, and what the
            // learner wants to see is which are worse than the others.
            const double rate = double(k.missed) / double(k.judged);
            const qreal t = max_ > min_ ? (rate - min_) / (max_ - min_) : (max_ > 0 ? 1 : 0);
            QColor c = heat(t);
            c.setAlphaF(0.22 + 0.5 * t);
            p.setPen(QPen(heat(t).darker(115), std::max<qreal>(1, 1.6 * s)));
            p.setBrush(c);
            p.drawRoundedRect(inner, 7 * s, 7 * s);
            // The rate in the cell's lower right corner, on a small plate.
            const QString label = percent(rate);
            const QFontMetricsF fm(f);
            const QRectF plate(inner.right() - fm.horizontalAdvance(label) - 8 * s,
                               inner.bottom() - fm.height() - 4 * s,
                               fm.horizontalAdvance(label) + 6 * s, fm.height() + 2 * s);
            p.setPen(Qt::NoPen);
            p.setBrush(t > 0.5 ? mix(kHot, Qt::black, 0.1) : QColor(255, 255, 255, 230));
            p.drawRoundedRect(plate, 4 * s, 4 * s);
            p.setPen(t > 0.5 ? Qt::white : kInk);
            p.drawText(plate, Qt::AlignCenter, label);
        }
    }

    bool event(QEvent* e) override {
        if (e->type() == QEvent::ToolTip) {
            auto* he = static_cast<QHelpEvent*>(e);
            const QRectF area = picture();
            const qreal s = keyboard_.isNull() ? 1 : area.width() / keyboard_.deviceIndependentSize().width();
            for (const KeyItem& k : keys_) {
                const QRectF r(area.left() + k.cell.left() * s, area.top() + k.cell.top() * s,
                               k.cell.width() * s, k.cell.height() * s);
                if (!r.contains(he->pos())) continue;
                const QString key = QString(QChar(k.letter).toUpper());
                QToolTip::showText(
                    he->globalPos(),
                    k.judged ? QStringLiteral("%1 键：编码里有 %1 的字打了 %2 次，错 %3 次（%4）")
                                   .arg(key)
                                   .arg(k.judged)
                                   .arg(k.missed)
                                   .arg(percent(double(k.missed) / double(k.judged)))
                             : QStringLiteral("%1 键：还没有打过编码里有 %1 的字").arg(key),
                    this);
                return true;
            }
            QToolTip::hideText();
            return true;
        }
        return QWidget::event(e);
    }

private:
    // Where the keyboard picture lies: as large as fits, centred.
    QRectF picture() const {
        if (keyboard_.isNull()) return {};
        const QSizeF pic = keyboard_.deviceIndependentSize();
        const qreal s = std::min(width() / pic.width(), height() / pic.height());
        const QSizeF size = pic * s;
        return QRectF(QPointF((width() - size.width()) / 2, (height() - size.height()) / 2), size);
    }

    QPixmap keyboard_;
    std::vector<KeyItem> keys_;
    double max_ = 0, min_ = 0;
};

// ---------------------------------------------------------------------------------------------
// The roots most often in missed characters, as a wrapping row of chips.

class RootChips : public QWidget {
public:
    explicit RootChips(QWidget* parent) : QWidget(parent) {
        setObjectName(QStringLiteral("roots"));
        setMinimumHeight(80);  // two rows of chips
    }
    void set(const std::vector<RootItem>& roots) {
        roots_ = roots;
        QStringList names;
        for (const RootItem& r : roots_) names << r.root;
        setProperty("roots", names);
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
        if (roots_.empty()) {
            p.setPen(kMuted);
            p.drawText(rect(), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                       QStringLiteral("还没有打错的字，也就没有难记的字根。"));
            return;
        }
        QFont rootFont(QStringLiteral("AR PL UKai CN"));
        rootFont.setPixelSize(22);
        QFont countFont = font();
        countFont.setPixelSize(11);
        const qint64 top = roots_.front().misses;
        qreal x = 0, y = 0;
        const qreal h = 34, gap = 8;
        for (const RootItem& r : roots_) {
            const QString count = QStringLiteral("%1 次").arg(r.misses);
            const qreal w = 34 + QFontMetricsF(countFont).horizontalAdvance(count) + 12;
            if (x + w > width() && x > 0) {
                x = 0;
                y += h + gap;
            }
            if (y + h > height()) break;
            const QRectF chip(x, y, w, h);
            const qreal t = top ? qreal(r.misses) / qreal(top) : 0;
            p.setPen(QPen(mix(kLine, kHot, 0.35 * t), 1));
            p.setBrush(mix(Qt::white, heat(t), 0.35));
            p.drawRoundedRect(chip.adjusted(0.5, 0.5, -0.5, -0.5), 8, 8);
            p.setFont(rootFont);
            p.setPen(kInk);
            p.drawText(QRectF(chip.left() + 4, chip.top(), 30, h), Qt::AlignCenter, r.root);
            p.setFont(countFont);
            p.setPen(kText);
            p.drawText(QRectF(chip.left() + 34, chip.top(), w - 38, h),
                       Qt::AlignLeft | Qt::AlignVCenter, count);
            x += w + gap;
        }
    }

private:
    std::vector<RootItem> roots_;
};

// ---------------------------------------------------------------------------------------------

StatsWindow::StatsWindow(Host& host) : host_(host) {
    setObjectName(QStringLiteral("statistics"));
    setWindowTitle(QStringLiteral("练习统计"));
    resize(1180, 800);
    setMinimumSize(1000, 700);
    setStyleSheet(QStringLiteral(
        "ml--stats--StatsWindow { background: #F4F6F9; }"
        "QFrame#card { background: white; border: 1px solid #DAE1E9; border-radius: 10px; }"
        "QLabel#heading { color: #2B3745; font-size: 15px; font-weight: bold; }"
        "QLabel#caption { color: #8A96A3; font-size: 12px; }"
        "QLabel[figure=\"true\"] { color: #2B3745; font-size: 22px; font-weight: bold; }"
        "QLabel#title { color: #2B3745; font-size: 24px; font-family: 'AR PL UKai CN'; }"
        "QLabel#problem { background: #FDECEC; color: #A12020; border: 1px solid #F2B8B8;"
        "  border-radius: 8px; padding: 8px 12px; }"
        "QPushButton { padding: 6px 14px; border: 1px solid #C3CDD8; border-radius: 6px;"
        "  background: white; color: #2F4A68; }"
        "QPushButton:hover { background: #EEF3F8; }"
        "QPushButton:checked { background: #2F6BAE; color: white; border-color: #235893; }"
        "QPushButton#drillMistakes { background: #2F6BAE; color: white; border-color: #235893; }"
        "QPushButton#drillMistakes:hover { background: #3C7DC4; }"
        "QTableWidget { border: none; gridline-color: #EEF1F5; selection-background-color: #DCE8F5;"
        "  selection-color: #2B3745; }"
        "QHeaderView::section { background: white; color: #8A96A3; border: none;"
        "  border-bottom: 1px solid #DAE1E9; padding: 4px; }"));
    setAttribute(Qt::WA_StyledBackground);

    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(20, 16, 20, 18);
    root->setSpacing(12);

    // Header: title, period, actions.
    auto* header = new QHBoxLayout;
    auto* title = new QLabel(QStringLiteral("练习统计"), this);
    title->setObjectName(QStringLiteral("title"));
    header->addWidget(title);
    header->addSpacing(18);
    periods_ = new QButtonGroup(this);
    const char* periodNames[3] = {"period_all", "period_30", "period_7"};
    const QString periodTitles[3] = {QStringLiteral("全部"), QStringLiteral("最近 30 天"),
                                     QStringLiteral("最近 7 天")};
    for (int i = 0; i < 3; ++i) {
        auto* b = new QPushButton(periodTitles[i], this);
        b->setObjectName(QLatin1String(periodNames[i]));
        b->setCheckable(true);
        b->setChecked(i == 0);
        periods_->addButton(b, i);
        header->addWidget(b);
    }
    connect(periods_, &QButtonGroup::idClicked, this, [this](int id) { showPeriod(id); });
    header->addStretch(1);
    auto* exportButton = new QPushButton(QStringLiteral("导出 CSV…"), this);
    exportButton->setObjectName(QStringLiteral("exportCsv"));
    exportButton->setToolTip(QStringLiteral("把每个字的统计保存为 CSV 表格"));
    connect(exportButton, &QPushButton::clicked, this, [this] { host_.exportCsv(this); });
    header->addWidget(exportButton);
    auto* drill = new QPushButton(QStringLiteral("练错字"), this);
    drill->setObjectName(QStringLiteral("drillMistakes"));
    drill->setToolTip(QStringLiteral("用打错最多、打得最慢的字生成练习文件，马上练"));
    connect(drill, &QPushButton::clicked, this, [this] { host_.drillMistakes(this); });
    header->addWidget(drill);
    root->addLayout(header);

    problem_ = new QLabel(this);
    problem_->setObjectName(QStringLiteral("problem"));
    problem_->setWordWrap(true);
    problem_->hide();
    root->addWidget(problem_);

    // Totals.
    auto* totals = new QHBoxLayout;
    totals->setSpacing(12);
    judged_ = figure(QStringLiteral("totalJudged"), QStringLiteral("打过的字"), totals, this);
    time_ = figure(QStringLiteral("totalTime"), QStringLiteral("练习时间（不算停顿）"), totals, this);
    days_ = figure(QStringLiteral("totalDays"), QStringLiteral("练习天数"), totals, this);
    best_ = figure(QStringLiteral("bestSpeed"), QStringLiteral("最高速度（字/分）"), totals, this);
    accuracy_ = figure(QStringLiteral("totalAccuracy"), QStringLiteral("正确率"), totals, this);
    root->addLayout(totals);

    // Left: the chart over the heatmap. Right: the characters, their picture, the roots.
    auto* grid = new QGridLayout;
    grid->setSpacing(12);
    root->addLayout(grid, 1);

    auto* chartBox = new QWidget(this);
    auto* chartLayout = new QGridLayout(chartBox);
    chartLayout->setContentsMargins(0, 0, 0, 0);
    chart_ = new QChartView(chartBox);
    chart_->setObjectName(QStringLiteral("speedChart"));
    chart_->setRenderHint(QPainter::Antialiasing);
    chart_->setMinimumHeight(230);
    chart_->setFrameShape(QFrame::NoFrame);
    chart_->setBackgroundBrush(Qt::white);
    chartLayout->addWidget(chart_, 0, 0);
    chartNote_ = new QLabel(chartBox);
    chartNote_->setObjectName(QStringLiteral("chartNote"));
    chartNote_->setAlignment(Qt::AlignCenter);
    chartNote_->setStyleSheet(QStringLiteral("color: #8A96A3; font-size: 14px;"));
    chartLayout->addWidget(chartNote_, 0, 0);
    grid->addWidget(card(QStringLiteral("每次练习的速度与正确率"), chartBox, this), 0, 0);

    heatmap_ = new Heatmap(this);
    auto* heatBox = new QWidget(this);
    auto* heatLayout = new QVBoxLayout(heatBox);
    heatLayout->setContentsMargins(0, 0, 0, 0);
    heatLayout->addWidget(heatmap_, 1);
    auto* legend = new QLabel(QStringLiteral("颜色越红，编码里有这个键的字打错得越多；灰白的键还没用到。"), heatBox);
    legend->setObjectName(QStringLiteral("caption"));
    heatLayout->addWidget(legend);
    grid->addWidget(card(QStringLiteral("按键错误率"), heatBox, this), 1, 0);

    auto makeTable = [this](const QString& name, const QStringList& headers) {
        auto* t = new QTableWidget(0, int(headers.size()), this);
        t->setObjectName(name);
        t->setHorizontalHeaderLabels(headers);
        t->verticalHeader()->hide();
        t->setEditTriggers(QAbstractItemView::NoEditTriggers);
        t->setSelectionBehavior(QAbstractItemView::SelectRows);
        t->setSelectionMode(QAbstractItemView::SingleSelection);
        t->setShowGrid(false);
        t->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
        t->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Fixed);
        t->setColumnWidth(0, 40);
        t->verticalHeader()->setDefaultSectionSize(26);
        t->setMinimumWidth(230);
        return t;
    };
    missed_ = makeTable(QStringLiteral("mostMissed"),
                        {QStringLiteral("字"), QStringLiteral("编码"), QStringLiteral("错 / 打")});
    slowest_ = makeTable(QStringLiteral("slowest"),
                         {QStringLiteral("字"), QStringLiteral("编码"), QStringLiteral("用时"),
                          QStringLiteral("倍数")});
    auto* lists = new QHBoxLayout;
    lists->setSpacing(12);
    lists->addWidget(card(QStringLiteral("打错最多的字"), missed_, this), 1);
    lists->addWidget(card(QStringLiteral("打得最慢的字"), slowest_, this), 1);
    auto* right = new QVBoxLayout;
    right->setSpacing(12);
    right->addLayout(lists, 3);

    auto* pictureBox = new QWidget(this);
    auto* pictureLayout = new QHBoxLayout(pictureBox);
    pictureLayout->setContentsMargins(0, 0, 0, 0);
    picture_ = new QLabel(pictureBox);
    picture_->setObjectName(QStringLiteral("picture"));
    picture_->setFixedSize(219, 54);
    picture_->setAlignment(Qt::AlignCenter);
    pictureNote_ = new QLabel(QStringLiteral("在上面选一个字，这里显示它的拆字图。"), pictureBox);
    pictureNote_->setObjectName(QStringLiteral("caption"));
    pictureNote_->setWordWrap(true);
    pictureLayout->addWidget(picture_);
    pictureLayout->addWidget(pictureNote_, 1);
    right->addWidget(card(QStringLiteral("拆字图"), pictureBox, this));

    roots_ = new RootChips(this);
    right->addWidget(card(QStringLiteral("错字里最常见的字根"), roots_, this), 1);
    grid->addLayout(right, 0, 1, 2, 1);
    grid->setColumnStretch(0, 11);
    grid->setColumnStretch(1, 9);
    grid->setRowStretch(0, 1);
    grid->setRowStretch(1, 1);

    auto select = [this](QTableWidget* from, QTableWidget* other) {
        connect(from, &QTableWidget::itemSelectionChanged, this, [this, from, other] {
            const auto rows = from->selectionModel()->selectedRows();
            if (rows.isEmpty()) return;
            other->clearSelection();
            const QVariant v = from->item(rows.first().row(), 0)->data(Qt::UserRole);
            const Period& p = view_.periods[size_t(period_)];
            const auto& items = from == missed_ ? p.mostMissed : p.slowest;
            const int i = v.toInt();
            if (i >= 0 && i < int(items.size())) showCharacter(items[size_t(i)]);
        });
    };
    select(missed_, slowest_);
    select(slowest_, missed_);
}

void StatsWindow::showEvent(QShowEvent* e) {
    if (!loaded_) refresh();
    QWidget::showEvent(e);
}

void StatsWindow::refresh() {
    loaded_ = true;
    view_ = host_.load();
    problem_->setText(QString(view_.problem).replace(u'\r', u'\n').trimmed());
    problem_->setVisible(!view_.problem.isEmpty());
    if (view_.periods.size() < 3) view_.periods.resize(3);
    showPeriod(period_);
}

void StatsWindow::showPeriod(int index) {
    period_ = std::clamp(index, 0, int(view_.periods.size()) - 1);
    if (auto* b = periods_->button(period_)) b->setChecked(true);
    const Period& p = view_.periods[size_t(period_)];

    judged_->setText(QString::number(p.judged));
    time_->setText(duration(p.activeMs));
    days_->setText(QString::number(p.days));
    best_->setText(p.bestSpeed > 0 ? QString::number(int(p.bestSpeed)) : QStringLiteral("—"));
    accuracy_->setText(p.judged ? percent(double(p.right) / double(p.judged)) : QStringLiteral("—"));

    // Speed on the left axis, accuracy on the right, one point per session.
    auto* chart = new QChart;
    chart->setBackgroundBrush(Qt::white);
    chart->setBackgroundPen(Qt::NoPen);
    chart->setBackgroundRoundness(0);
    chart->setMargins(QMargins(0, 0, 0, 0));
    chart->legend()->setAlignment(Qt::AlignTop);
    chart->legend()->setLabelColor(kText);
    auto* speed = new QLineSeries(chart);
    speed->setName(QStringLiteral("速度（字/分）"));
    auto* accuracy = new QLineSeries(chart);
    accuracy->setName(QStringLiteral("正确率（%）"));
    double top = 10;
    qint64 first = 0, last = 0;
    for (const SessionPoint& s : p.sessions) {
        speed->append(double(s.startedMs), s.speed);
        accuracy->append(double(s.startedMs), s.accuracy);
        top = std::max(top, s.speed);
        if (!first) first = s.startedMs;
        last = s.startedMs;
    }
    speed->setPen(QPen(kAccent, 2.2));
    accuracy->setPen(QPen(kGreen, 1.8));
    const bool few = p.sessions.size() <= 60;
    speed->setPointsVisible(few);
    accuracy->setPointsVisible(few);
    chart->addSeries(speed);
    chart->addSeries(accuracy);
    auto* x = new QDateTimeAxis(chart);
    const qint64 span = last - first;
    x->setFormat(span > 200ll * 24 * 3600 * 1000 ? QStringLiteral("yyyy-MM")
                 : span > 24ll * 3600 * 1000     ? QStringLiteral("MM-dd")
                                                 : QStringLiteral("HH:mm"));
    // One session still needs a span to be drawn in.
    const qint64 pad = std::max<qint64>(span / 20, 30 * 60 * 1000);
    x->setRange(QDateTime::fromMSecsSinceEpoch(first - pad), QDateTime::fromMSecsSinceEpoch(last + pad));
    x->setTickCount(6);
    auto* ySpeed = new QValueAxis(chart);
    ySpeed->setRange(0, std::ceil(top * 1.15 / 10) * 10);
    ySpeed->setLabelFormat(QStringLiteral("%d"));
    ySpeed->setLinePenColor(kAccent);
    auto* yAcc = new QValueAxis(chart);
    yAcc->setRange(0, 100);
    yAcc->setLabelFormat(QStringLiteral("%d%%"));
    yAcc->setLinePenColor(kGreen);
    for (QAbstractAxis* a : {static_cast<QAbstractAxis*>(x), static_cast<QAbstractAxis*>(ySpeed),
                             static_cast<QAbstractAxis*>(yAcc)}) {
        a->setGridLineColor(QColor(0xEE, 0xF1, 0xF5));
        a->setLabelsColor(kText);
    }
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(ySpeed, Qt::AlignLeft);
    chart->addAxis(yAcc, Qt::AlignRight);
    yAcc->setGridLineVisible(false);
    speed->attachAxis(x);
    speed->attachAxis(ySpeed);
    accuracy->attachAxis(x);
    accuracy->attachAxis(yAcc);
    QChart* old = chart_->chart();
    chart_->setChart(chart);
    delete old;
    chart_->setProperty("points", int(p.sessions.size()));
    chartNote_->setText(view_.empty ? QStringLiteral("还没有练习记录。打开练习文件练一会儿，这里就会有统计。")
                        : p.sessions.empty() ? QStringLiteral("这段时间没有练习。")
                                             : QString());
    chartNote_->setVisible(!chartNote_->text().isEmpty());

    heatmap_->set(view_.keyboard, p.keys);
    fillTable(missed_, p.mostMissed, false, p.medianMs);
    fillTable(slowest_, p.slowest, true, p.medianMs);
    roots_->set(p.roots);
    picture_->clear();
    pictureNote_->setText(QStringLiteral("在上面选一个字，这里显示它的拆字图。"));
    // The character missed most, to begin with.
    if (!p.mostMissed.empty()) missed_->selectRow(0);
}

void StatsWindow::fillTable(QTableWidget* table, const std::vector<CharItem>& items, bool slow,
                            int median) {
    table->clearSelection();
    table->setRowCount(int(items.size()));
    QFont big = table->font();
    big.setPixelSize(17);
    for (int r = 0; r < int(items.size()); ++r) {
        const CharItem& c = items[size_t(r)];
        auto* ch = new QTableWidgetItem(QString(c.ch));
        ch->setFont(big);
        ch->setTextAlignment(Qt::AlignCenter);
        ch->setData(Qt::UserRole, r);
        table->setItem(r, 0, ch);
        table->setItem(r, 1, new QTableWidgetItem(c.code.isEmpty() ? QStringLiteral("—") : c.code));
        if (slow) {
            table->setItem(r, 2, new QTableWidgetItem(QStringLiteral("%1 秒").arg(c.medianMs / 1000.0, 0, 'f', 2)));
            const double ratio = median > 0 ? double(c.medianMs) / median : 0;
            table->setItem(r, 3, new QTableWidgetItem(QStringLiteral("%1×").arg(ratio, 0, 'f', 1)));
        } else {
            table->setItem(r, 2, new QTableWidgetItem(QStringLiteral("%1 / %2").arg(c.missed).arg(c.judged)));
        }
    }
}

void StatsWindow::showCharacter(const CharItem& item) {
    const QPixmap pm = host_.decomposition(item.ch);
    const QString code = item.code.isEmpty() ? QString() : QStringLiteral("编码 ") + item.code;
    if (pm.isNull()) {
        QFont f(QStringLiteral("AR PL UKai CN"));
        f.setPixelSize(40);
        picture_->setFont(f);
        picture_->setText(QString(item.ch));
        pictureNote_->setText(QStringLiteral("%1%2这个字还没有拆字图。")
                                  .arg(code, code.isEmpty() ? QString() : QStringLiteral("。")));
    } else {
        picture_->setPixmap(pm);
        pictureNote_->setText(QStringLiteral("%1 %2：打了 %3 次，错 %4 次。")
                                  .arg(QString(item.ch), code)
                                  .arg(item.judged)
                                  .arg(item.missed));
    }
    picture_->setProperty("character", QString(item.ch));
}

}  // namespace ml::stats

extern "C" Q_DECL_EXPORT QWidget* molan_tutor_stats_window(int apiVersion, ml::stats::Host* host) {
    if (apiVersion != ml::stats::kApiVersion || !host) return nullptr;
    return new ml::stats::StatsWindow(*host);
}
