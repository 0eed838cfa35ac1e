#pragma once
// The line of a drill: the round's items side by side like a practice line, the current one
// marked, the keys typed right shown under each item, a cell red while a wrong key waits to be
// typed again. A round longer than the line is shown a line at a time. After the round it shows
// the items missed, each with its code.

#include <QList>
#include <QString>
#include <QWidget>
#include <optional>

#include "course/drill.h"

namespace ml {

namespace art {
class RootTable;
}

class DrillLine : public QWidget {
public:
    DrillLine(const art::RootTable& roots, QWidget* parent);

    // Shows `round` (kept by the caller; null shows nothing). Call update() after each key.
    void setRound(const course::Round* round);
    // Shows the items missed in a finished round (all right: a line that says so).
    void showSummary(const course::Round* round);
    bool summary() const { return summary_; }

    // Where item i lies on the line, for the tests: its line (page) and its cell; -1 when the
    // item is not on the line shown.
    int pageOf(int item) const;
    int shownPage() const;
    QRect cellRect(int item) const;

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    struct Cell {
        int item;
        QRect rect;
    };
    void layoutPages();
    int cellWidth(const course::Item& item) const;
    void drawItem(QPainter& p, const course::Item& item, const QRect& box, const QColor& ink) const;

    const art::RootTable& roots_;
    const course::Round* round_ = nullptr;
    bool summary_ = false;
    QList<QList<Cell>> pages_;
    QList<int> summaryItems_;
};

}  // namespace ml
