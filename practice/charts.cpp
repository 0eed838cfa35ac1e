// The root-zone charts and the commands that select and show them.
#include "practice/form1.h"

namespace ml {

void Form1::Bigshow() {
    static const QString zones[5] = {QStringLiteral("横"), QStringLiteral("竖"),
                                     QStringLiteral("撇"), QStringLiteral("点"),
                                     QStringLiteral("折")};
    Picture* charts[5] = {imgg, imgh, imgt, imgy, imgn};
    if (BigHelp.isEmpty()) {
        for (Picture* c : charts) c->hide();
        return;
    }
    int which = -1;
    for (int i = 0; i < 5; ++i)
        if (BigHelp == zones[i]) which = i;
    if (which < 0) return;  // an unknown selection leaves the charts as they are
    for (int i = 0; i < 5; ++i) charts[i]->setVisible(i == which);
}

void Form1::chartCycle() {
    if (BigHelp.isEmpty())
        BigHelp = QStringLiteral("撇");
    else if (BigHelp == QStringLiteral("撇"))
        BigHelp = QStringLiteral("点");
    else if (BigHelp == QStringLiteral("点"))
        BigHelp.clear();
    else
        BigHelp = QStringLiteral("撇");
    Bigshow();
}

void Form1::chartToggle(const QString& zone) {
    if (BigHelp == zone)
        BigHelp.clear();
    else
        BigHelp = zone;
    Bigshow();
}

void Form1::chartShowOne(Picture* chart) {
    for (Picture* c : {imgg, imgh, imgt, imgy, imgn}) c->setVisible(c == chart);
}

void Form1::chartHideAll() {
    for (Picture* c : {imgg, imgh, imgt, imgy, imgn}) c->hide();
}

}  // namespace ml
