// The conversion step of the main window: the practice text feed has opened the source and the
// output; this pours the source into practice lines and opens the result.
#include "content/convert.h"
#include "practice/form1.h"
#include "practice/texts.h"

namespace ml {

void Form1::newmakefile() {
    QString why;
    bool ok = reader_ && convOut_ && convertStream(*reader_, *convOut_, &why);
    if (ok) ok = convOut_->commit(&why);
    reader_.reset();
    if (!ok) {
        if (convOut_) convOut_->cancel();
        convOut_.reset();
        platform_.messageBox(this, text::conversionFailed(why), MsgIcon::Exclamation,
                             MsgButtons::Ok);
        returnToNoFile();
        return;
    }
    convOut_.reset();

    platform_.messageBox(this, text::conversionDone(Fname), MsgIcon::Exclamation, MsgButtons::Ok);
    CD1_FileName = Fname;
    Jindu = 1;
    JinduNow = 1;
    if (isLianxi == QStringLiteral("T")) writeProgress(1);
    Image3_Click();
    // A refused output (a name without ".txt") leaves no file open.
    if (!reader_) returnToNoFile();
}

}  // namespace ml
