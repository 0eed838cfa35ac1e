#include "practice/drillline.h"

#include <QPainter>
#include <QPainterPath>

#include "art/artlib.h"
#include "course/explain.h"

namespace ml {

namespace {

constexpr int kGlyph = 34;      // em box of an item's character or root
constexpr int kGap = 6;         // between cells
constexpr int kCellTop = 3;
constexpr int kCellHeight = 58;
constexpr int kLetters = 44;    // baseline area of the keys under the item
constexpr int kSummaryLeft = 104;

const QColor kInk(0x26, 0x30, 0x3B);
const QColor kMuted(0x9A, 0xA6, 0xB3);
const QColor kAccent(0x2F, 0x6B, 0xAE);
const QColor kRight(0x3E, 0x8E, 0x4A);
const QColor kWrong(0xE0, 0x1E, 0x1E);

QFont lettersFont() {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(13);
    f.setWeight(QFont::Bold);
    f.setLetterSpacing(QFont::AbsoluteSpacing, 1);
    return f;
}

}  // namespace

DrillLine::DrillLine(const art::RootTable& roots, QWidget* parent)
    : QWidget(parent), roots_(roots) {
    setObjectName(QStringLiteral("drillline"));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void DrillLine::setRound(const course::Round* round) {
    round_ = round;
    summary_ = false;
    summaryItems_.clear();
    layoutPages();
    update();
}

void DrillLine::showSummary(const course::Round* round) {
    round_ = round;
    summary_ = true;
    summaryItems_ = round ? round->missedItems() : QList<int>{};
    layoutPages();
    update();
}

int DrillLine::cellWidth(const course::Item& item) const {
    const int chars = item.kind == course::Kind::Root ? 1 : int(item.text.toUcs4().size());
    return std::max(48, chars * (kGlyph + 2) + 14);
}

void DrillLine::layoutPages() {
    pages_.clear();
    if (!round_) return;
    QList<int> items;
    if (summary_) {
        items = summaryItems_;
    } else {
        for (int i = 0; i < round_->size(); ++i) items << i;
    }
    QList<Cell> page;
    // A finished round's list starts after its caption.
    const int left = summary_ ? kSummaryLeft : 8;
    int x = left;
    for (int i : items) {
        const int w = cellWidth(round_->target(i).item);
        if (!page.isEmpty() && x + w > width() - 8) {
            pages_ << page;
            page.clear();
            x = left;
        }
        page << Cell{i, QRect(x, kCellTop, w, kCellHeight)};
        x += w + kGap;
    }
    if (!page.isEmpty()) pages_ << page;
    if (summary_) return;
    // Centre each line, as a practice line is read from its middle outwards.
    for (QList<Cell>& pg : pages_) {
        const int used = pg.last().rect.right() - pg.first().rect.left();
        const int shift = (width() - used) / 2 - pg.first().rect.left();
        for (Cell& c : pg) c.rect.translate(shift, 0);
    }
}

int DrillLine::pageOf(int item) const {
    for (int p = 0; p < pages_.size(); ++p)
        for (const Cell& c : pages_[p])
            if (c.item == item) return p;
    return -1;
}

int DrillLine::shownPage() const {
    if (!round_ || pages_.isEmpty()) return -1;
    if (summary_) return 0;
    const int p = pageOf(std::min(round_->current(), round_->size() - 1));
    return p < 0 ? 0 : p;
}

QRect DrillLine::cellRect(int item) const {
    const int p = shownPage();
    if (p < 0) return {};
    for (const Cell& c : pages_[p])
        if (c.item == item) return c.rect;
    return {};
}

void DrillLine::drawItem(QPainter& p, const course::Item& item, const QRect& box,
                         const QColor& ink) const {
    const QList<uint> chars =
        item.kind == course::Kind::Root ? QList<uint>{} : item.text.toUcs4();
    const int n = item.kind == course::Kind::Root ? 1 : int(chars.size());
    const qreal left = box.center().x() - (n * (kGlyph + 2) - 2) / 2.0;
    for (int k = 0; k < n; ++k) {
        const QRectF em(left + k * (kGlyph + 2), box.top() + 3, kGlyph, kGlyph);
        const QString s =
            item.kind == course::Kind::Root
                ? item.text
                : QString::fromUcs4(reinterpret_cast<const char32_t*>(&chars[k]), 1);
        art::drawRoot(p, roots_, s, em, ink);
    }
}

void DrillLine::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    p.fillRect(rect(), Qt::white);
    if (!round_) return;
    const int page = shownPage();
    const QFont lf = lettersFont();

    if (summary_ && summaryItems_.isEmpty()) {
        QFont f(QStringLiteral("Noto Sans CJK SC"));
        f.setPixelSize(22);
        p.setFont(f);
        p.setPen(kRight);
        p.drawText(rect(), Qt::AlignCenter, QStringLiteral("本轮全对，一个也没打错"));
        return;
    }
    if (page < 0) return;
    if (summary_) {
        // What the cells of a finished round are: the items missed, with their codes.
        QFont f(QStringLiteral("Noto Sans CJK SC"));
        f.setPixelSize(13);
        p.setFont(f);
        p.setPen(kMuted);
        p.drawText(QRect(8, kCellTop, kSummaryLeft - 20, kCellHeight), Qt::AlignRight | Qt::AlignVCenter,
                   QStringLiteral("本轮打错的"));
    }

    for (const Cell& c : pages_[page]) {
        const course::Target& t = round_->target(c.item);
        const bool current = !summary_ && c.item == round_->current();
        const bool done = summary_ || c.item < round_->current();
        const bool missed = round_->missed(c.item);
        const QRectF r = QRectF(c.rect).adjusted(0.5, 0.5, -0.5, -0.5);

        QColor fill = Qt::white, border = Qt::transparent, ink = kMuted;
        if (current && round_->wrongPending()) {
            fill = kWrong;
            border = kWrong.darker(115);
            ink = Qt::white;
        } else if (current) {
            fill = QColor(0xEE, 0xF4, 0xFB);
            border = kAccent;
            ink = kInk;
        } else if (done && missed) {
            fill = QColor(0xFD, 0xEC, 0xEC);
            ink = kInk;
        } else if (done) {
            fill = QColor(0xEE, 0xF7, 0xEF);
            ink = kInk;
        }
        p.setPen(border == Qt::transparent ? Qt::NoPen : QPen(border, current ? 2 : 1));
        p.setBrush(fill);
        p.drawRoundedRect(r, 8, 8);
        drawItem(p, t.item, c.rect, ink);

        // The keys under the item: all of them once done, those typed so far on the current one.
        const QRect letters(c.rect.left(), c.rect.top() + kLetters - 4, c.rect.width(), 16);
        p.setFont(lf);
        if (done) {
            p.setPen(missed ? kWrong : kRight);
            p.drawText(letters, Qt::AlignCenter, course::showKeys(t.keys));
        } else if (current) {
            const QString typed = course::showKeys(round_->typed(c.item));
            p.setPen(round_->wrongPending() ? QColor(Qt::white) : kAccent);
            p.drawText(letters, Qt::AlignCenter, typed + QStringLiteral("_"));
        }
    }
    // "2/3" at the right when the round runs over several lines.
    if (pages_.size() > 1 && !summary_) {
        QFont f(QStringLiteral("DejaVu Sans"));
        f.setPixelSize(11);
        p.setFont(f);
        p.setPen(kMuted);
        p.drawText(QRect(width() - 46, height() - 16, 40, 14), Qt::AlignRight | Qt::AlignVCenter,
                   QStringLiteral("%1/%2").arg(page + 1).arg(pages_.size()));
    }
}

}  // namespace ml
