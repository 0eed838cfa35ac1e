#include "dialogs/lessonpicker.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "course/coach.h"
#include "practice/form1.h"

namespace ml {

namespace {

constexpr int kLessonRole = Qt::UserRole + 1;
constexpr int kStateRole = Qt::UserRole + 2;

QString stateText(course::LessonState s) {
    switch (s) {
        case course::LessonState::Locked: return QStringLiteral("未解锁");
        case course::LessonState::Open: return QStringLiteral("可以练");
        case course::LessonState::Passed: return QStringLiteral("已通过 ✓");
    }
    return {};
}

QString goalText(const course::Goal& g) {
    return g.speed > 0 ? QStringLiteral("%1% · %2 码/分").arg(g.accuracy).arg(g.speed)
                       : QStringLiteral("%1%").arg(g.accuracy);
}

}  // namespace

LessonPicker::LessonPicker(Form1& main, QWidget* parent) : QDialog(parent), main_(main) {
    setObjectName(QStringLiteral("LessonPicker"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setModal(false);
    setWindowTitle(QStringLiteral("课程"));
    resize(620, 660);

    auto* intro = new QLabel(
        QStringLiteral("从字根到词组，一课一课地练五笔编码：直接按字母键，不用输入法。"
                       "每课的一整轮达到目标，就打开下一课。"),
        this);
    intro->setWordWrap(true);

    lessons = new QTreeWidget(this);
    lessons->setObjectName(QStringLiteral("lstkecheng"));
    lessons->setColumnCount(4);
    lessons->setHeaderLabels({QStringLiteral("课程"), QStringLiteral("状态"),
                              QStringLiteral("最好成绩"), QStringLiteral("目标")});
    lessons->setRootIsDecorated(false);
    lessons->setIndentation(14);
    lessons->setUniformRowHeights(true);
    lessons->header()->setStretchLastSection(false);
    lessons->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    for (int c = 1; c < 4; ++c) lessons->header()->setSectionResizeMode(c, QHeaderView::ResizeToContents);

    lbgoal = new QLabel(this);
    lbgoal->setObjectName(QStringLiteral("lbgoal"));
    txtaccuracy = new QSpinBox(this);
    txtaccuracy->setObjectName(QStringLiteral("txtaccuracy"));
    txtaccuracy->setRange(50, 100);
    txtaccuracy->setSuffix(QStringLiteral(" %"));
    txtspeed = new QSpinBox(this);
    txtspeed->setObjectName(QStringLiteral("txtspeed"));
    txtspeed->setRange(0, 400);
    txtspeed->setSuffix(QStringLiteral(" 码/分"));
    chkjianma = new QCheckBox(QStringLiteral("简码优先：常用字有简码时，打简码再按空格"), this);
    chkjianma->setObjectName(QStringLiteral("chkjianma"));
    cmdstart = new QPushButton(QStringLiteral("开始练习"), this);
    cmdstart->setObjectName(QStringLiteral("cmdstart"));
    cmdstart->setDefault(true);
    cmdback = new QPushButton(QStringLiteral("回到文字练习"), this);
    cmdback->setObjectName(QStringLiteral("cmdback"));
    cmdclose = new QPushButton(QStringLiteral("关闭"), this);
    cmdclose->setObjectName(QStringLiteral("cmdclose"));

    auto* goalRow = new QHBoxLayout;
    goalRow->addWidget(new QLabel(QStringLiteral("目标：正确率"), this));
    goalRow->addWidget(txtaccuracy);
    goalRow->addWidget(new QLabel(QStringLiteral("速度"), this));
    goalRow->addWidget(txtspeed);
    goalRow->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(chkjianma);
    buttons->addStretch();
    buttons->addWidget(cmdback);
    buttons->addWidget(cmdstart);
    buttons->addWidget(cmdclose);
    auto* all = new QVBoxLayout(this);
    all->addWidget(intro);
    all->addWidget(lessons, 1);
    all->addWidget(lbgoal);
    all->addLayout(goalRow);
    all->addLayout(buttons);

    connect(lessons, &QTreeWidget::currentItemChanged, this, [this] { chosenChanged(); });
    connect(lessons, &QTreeWidget::itemActivated, this, [this] { start(); });
    connect(txtaccuracy, &QSpinBox::valueChanged, this, [this] { goalEdited(); });
    connect(txtspeed, &QSpinBox::valueChanged, this, [this] { goalEdited(); });
    connect(chkjianma, &QCheckBox::toggled, this, [this](bool on) {
        if (!filling_) main_.coach().setShortFirst(on);
    });
    connect(cmdstart, &QPushButton::clicked, this, [this] { start(); });
    connect(cmdback, &QPushButton::clicked, this, [this] { back(); });
    connect(cmdclose, &QPushButton::clicked, this, &QDialog::close);

    refresh();
    if (main_.inDrill()) choose(main_.drillLesson());
    if (chosen().isEmpty()) {
        // The first lesson not passed yet, where a learner goes on.
        for (int i = 0; i < lessons->topLevelItemCount(); ++i) {
            QTreeWidgetItem* stage = lessons->topLevelItem(i);
            for (int k = 0; k < stage->childCount() && chosen().isEmpty(); ++k)
                if (stage->child(k)->data(0, kStateRole).toInt() ==
                    int(course::LessonState::Open))
                    lessons->setCurrentItem(stage->child(k));
        }
    }
}

void LessonPicker::refresh() {
    const QString keep = chosen();
    filling_ = true;
    course::Coach& c = main_.coach();
    const course::Course& course = c.course();
    const QList<course::LessonState> states = c.states();
    lessons->clear();
    QTreeWidgetItem* stage = nullptr;
    for (int i = 0; i < course.lessons.size(); ++i) {
        const course::Lesson& l = course.lessons[i];
        if (!stage || stage->text(0) != l.stage) {
            stage = new QTreeWidgetItem(lessons, {l.stage});
            QFont f = stage->font(0);
            f.setBold(true);
            stage->setFont(0, f);
            stage->setFlags(Qt::ItemIsEnabled);
            stage->setFirstColumnSpanned(true);
        }
        const course::LessonProgress p = c.progressOf(l.id);
        const QString best = p.rounds > 0 ? QStringLiteral("%1 码/分 · %2%").arg(p.bestSpeed).arg(p.bestAccuracy)
                                          : QStringLiteral("—");
        auto* item = new QTreeWidgetItem(
            stage, {l.title, stateText(states.value(i)), best, goalText(c.goalOf(l))});
        item->setData(0, kLessonRole, l.id);
        item->setData(0, kStateRole, int(states.value(i)));
        if (states.value(i) == course::LessonState::Locked)
            for (int col = 0; col < 4; ++col) item->setForeground(col, QColor(0x9A, 0xA6, 0xB3));
        if (states.value(i) == course::LessonState::Passed)
            item->setForeground(1, QColor(0x3E, 0x8E, 0x4A));
    }
    lessons->expandAll();
    chkjianma->setChecked(c.shortFirst());
    cmdback->setEnabled(main_.inDrill());
    filling_ = false;
    const QStringList problems = c.takeProblems();
    if (!problems.isEmpty()) {
        lbgoal->setText(problems.join(u'\n'));
        lbgoal->setStyleSheet(QStringLiteral("color:#C62828"));
    }
    if (!keep.isEmpty()) choose(keep);
    chosenChanged();
}

QString LessonPicker::chosen() const {
    const QTreeWidgetItem* it = lessons->currentItem();
    return it ? it->data(0, kLessonRole).toString() : QString();
}

void LessonPicker::choose(const QString& lesson) {
    for (int i = 0; i < lessons->topLevelItemCount(); ++i) {
        QTreeWidgetItem* stage = lessons->topLevelItem(i);
        for (int k = 0; k < stage->childCount(); ++k)
            if (stage->child(k)->data(0, kLessonRole).toString() == lesson)
                return lessons->setCurrentItem(stage->child(k));
    }
}

void LessonPicker::chosenChanged() {
    const QTreeWidgetItem* it = lessons->currentItem();
    const QString id = chosen();
    const course::Lesson* l = id.isEmpty() ? nullptr : main_.coach().course().find(id);
    const bool locked = it && it->data(0, kStateRole).toInt() == int(course::LessonState::Locked);
    cmdstart->setEnabled(l && !locked);
    txtaccuracy->setEnabled(l);
    txtspeed->setEnabled(l && !l->fromRecord());
    if (!l) return;
    filling_ = true;
    const course::Goal g = main_.coach().goalOf(*l);
    txtaccuracy->setValue(g.accuracy);
    txtspeed->setValue(g.speed);
    filling_ = false;
    lbgoal->setStyleSheet(QString());
    lbgoal->setText(locked ? QStringLiteral("「%1」还没解锁：先通过上一课。").arg(l->title)
                           : QStringLiteral("「%1」：每轮 %2 个，一整轮达到目标即通过。")
                                 .arg(l->title)
                                 .arg(l->roundSize));
}

void LessonPicker::goalEdited() {
    if (filling_) return;
    const QString id = chosen();
    if (id.isEmpty()) return;
    main_.coach().setGoal(id, course::Goal{txtaccuracy->value(), txtspeed->value()});
    if (QTreeWidgetItem* it = lessons->currentItem())
        it->setText(3, goalText(course::Goal{txtaccuracy->value(), txtspeed->value()}));
}

bool LessonPicker::start() {
    if (!cmdstart->isEnabled()) return false;
    const QString id = chosen();
    if (id.isEmpty() || !main_.enterDrill(id)) return false;
    close();
    return true;
}

void LessonPicker::back() {
    main_.leaveDrill();
    close();
}

}  // namespace ml
