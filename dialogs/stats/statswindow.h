#pragma once
// The statistics window "练习统计": speed and accuracy over time, totals, the characters missed
// most and typed slowest, a heatmap of errors over the root keyboard, the roots most often in
// missed characters; for all time and the last 30 and 7 days. Built as a module of its own.

#include <QPointer>
#include <QWidget>

#include "dialogs/stats/statsapi.h"

class QAbstractButton;
class QButtonGroup;
class QLabel;
class QTableWidget;

class QChartView;

namespace ml::stats {

class Heatmap;
class RootChips;

class StatsWindow : public QWidget {
    Q_OBJECT
public:
    explicit StatsWindow(Host& host);

public slots:
    // Reads the figures again (the window is brought forward after more practice).
    void refresh();

protected:
    void showEvent(QShowEvent* e) override;

private:
    void showPeriod(int index);
    void showCharacter(const CharItem& item);
    void fillTable(QTableWidget* table, const std::vector<CharItem>& items, bool slow, int median);

    Host& host_;
    View view_;
    int period_ = 0;
    bool loaded_ = false;

    QLabel* problem_ = nullptr;
    QButtonGroup* periods_ = nullptr;
    QLabel* judged_ = nullptr;
    QLabel* time_ = nullptr;
    QLabel* days_ = nullptr;
    QLabel* best_ = nullptr;
    QLabel* accuracy_ = nullptr;
    QChartView* chart_ = nullptr;
    QLabel* chartNote_ = nullptr;
    Heatmap* heatmap_ = nullptr;
    QTableWidget* missed_ = nullptr;
    QTableWidget* slowest_ = nullptr;
    QLabel* picture_ = nullptr;
    QLabel* pictureNote_ = nullptr;
    RootChips* roots_ = nullptr;
};

}  // namespace ml::stats
