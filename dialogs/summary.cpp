#include "dialogs/summary.h"

#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTimer>

#include "hints/dictionary.h"
#include "practice/form1.h"

namespace ml {

namespace {
// Over the zone legend and the lit-key legend left of the keyboard chart, clear of the keys.
const QRect kPlace(66, 470, 178, 256);
}  // namespace

PassSummary::PassSummary(Form1& form) : QWidget(&form, Qt::Tool | Qt::FramelessWindowHint), form_(form) {
    setObjectName(QStringLiteral("passSummary"));
    setWindowTitle(QStringLiteral("这一遍练完了"));
    // Typing goes on in the main window: the panel is looked at, never typed into.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowFlag(Qt::WindowDoesNotAcceptFocus);
    setFocusPolicy(Qt::NoFocus);
    resize(kPlace.size());

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(16, 12, 8, 12);
    grid->setVerticalSpacing(8);
    auto* title = new QLabel(QStringLiteral("这一遍练完了"), this);
    title->setStyleSheet(QStringLiteral("color: #2B3745; font-size: 15px; font-weight: bold;"));
    auto* close = new QPushButton(QStringLiteral("×"), this);
    close->setObjectName(QStringLiteral("close"));
    close->setFocusPolicy(Qt::NoFocus);
    close->setFlat(true);
    close->setFixedSize(24, 24);
    close->setToolTip(QStringLiteral("关闭"));
    close->setStyleSheet(QStringLiteral("QPushButton { color: #8A96A3; font-size: 16px; border: none; }"
                                        "QPushButton:hover { color: #2B3745; }"));
    connect(close, &QPushButton::clicked, this, &QWidget::hide);
    figures = new QLabel(this);
    figures->setObjectName(QStringLiteral("figures"));
    figures->setTextFormat(Qt::RichText);
    missed = new QLabel(this);
    missed->setObjectName(QStringLiteral("missed"));
    missed->setTextFormat(Qt::RichText);
    missed->setWordWrap(true);
    missed->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    grid->addWidget(title, 0, 0);
    grid->addWidget(close, 0, 1, Qt::AlignRight | Qt::AlignTop);
    grid->addWidget(figures, 1, 0, 1, 2);
    grid->addWidget(missed, 2, 0, 1, 2);
    grid->setRowStretch(2, 1);

    hideTimer_ = new QTimer(this);
    hideTimer_->setSingleShot(true);
    hideTimer_->setInterval(kShownMs);
    connect(hideTimer_, &QTimer::timeout, this, &QWidget::hide);
}

void PassSummary::showPass() {
    const record::PassTally& pass = form_.lastPass();
    const QString value = QStringLiteral("<span style='font-size:22px; font-weight:bold; color:#2F6BAE'>%1</span>"
                                         "<span style='color:#8A96A3'> %2</span>");
    figures->setText(value.arg(pass.speed()).arg(QStringLiteral("字/分")) + QStringLiteral("<br>") +
                     value.arg(pass.accuracy()).arg(QStringLiteral("% 正确")) +
                     QStringLiteral("<br><span style='color:#8A96A3'>共 %1 字，错 %2 字</span>")
                         .arg(pass.judged())
                         .arg(pass.judged() - pass.right()));
    const auto top = pass.mostMissed(5);
    if (top.isEmpty()) {
        missed->setText(QStringLiteral("<span style='color:#25966B'>一个字也没打错！</span>"));
    } else {
        QString rows = QStringLiteral("<span style='color:#4A5664'>错得最多：</span><table cellspacing=0 cellpadding=1>");
        for (const auto& [ch, count] : top) {
            QString code;
            if (CodeDictionary* d = form_.dictionary()) {
                const auto r = d->search(QString(ch));
                if (r && r->outcome == CodeDictionary::Outcome::Hit) code = r->email.toUpper();
            }
            rows += QStringLiteral("<tr><td style='font-size:18px; color:#2B3745'>%1</td>"
                                   "<td width=10></td><td style='color:#D62A24; font-weight:bold'>%2</td>"
                                   "<td width=10></td><td style='color:#8A96A3'>%3 次</td></tr>")
                        .arg(QString(ch).toHtmlEscaped(), code.isEmpty() ? QStringLiteral("—") : code)
                        .arg(count);
        }
        missed->setText(rows + QStringLiteral("</table>"));
    }
    move(form_.mapToGlobal(kPlace.topLeft()));
    show();
    raise();
    hideTimer_->start();
}

void PassSummary::paintEvent(QPaintEvent*) {
    // Square corners: without a compositor a see-through corner would show black.
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    p.setPen(QPen(QColor(0xC3, 0xCD, 0xD8), 1));
    p.drawRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
    p.fillRect(QRect(0, 0, 4, height()), QColor(0x2F, 0x6B, 0xAE));
}

}  // namespace ml
