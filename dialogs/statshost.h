#pragma once
// The tutor's side of the statistics window: loading its module (Qt Charts comes with it, on the
// first opening only) and answering it with figures from the record.

#include <QList>
#include <QPixmap>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <memory>

#include "dialogs/stats/statsapi.h"
#include "record/roots.h"

class QWidget;

namespace ml {

class Form1;

// Where the module is looked for, first match wins: beside the executable (the build's program
// folder) and ../lib/molan-tutor/ relative to it (an installed tutor).
QStringList statsModuleFolders();
// Replaces the folders looked in (tests point it at the build's program folder).
void setStatsModuleFolders(const QStringList& folders);

// Creates the statistics window from the module; null with a message for the learner when the
// module is missing or does not fit this build.
QWidget* createStatsWindow(stats::Host* host, QString* message);

// Writes "练习文件/错字练习.txt" from the record and opens it as the practice file, from its first
// line. Returns what to tell the learner when nothing was opened, "" when it was.
QString practiseMistakes(Form1& form);

class StatsProvider : public stats::Host {
public:
    explicit StatsProvider(Form1& form);
    ~StatsProvider() override;

    stats::View load() override;
    QPixmap decomposition(QChar c) override;
    void exportCsv(QWidget* parent) override;
    void drillMistakes(QWidget* parent) override;

private:
    const record::Splits& splits();
    // The root keyboard chart as the window's background draws it, its keys alone.
    const QPixmap& keyboard();

    Form1& form_;
    std::unique_ptr<record::Splits> splits_;
    QPixmap keyboard_;
    QList<QPair<char, QRectF>> cells_;
    QRectF area_;
};

}  // namespace ml
