// The session clock: recomputes time, speed and accuracy once a second.
#include "form1.h"
#include "practice/rules.h"

namespace ml {

void Form1::Timer1_Timer() {
    if (inDrill()) return drillTick();
    const double elapsed = platform_.seconds() - Times;
    lbtime->setText(timeText(elapsed));
    lbshudu->setText(speedText(Types, elapsed));
    lbZql->setText(accuracyText(RightTypes, Types));
}

}  // namespace ml
