// The conversion step of the main window: the practice text feed has opened the source and the
// output; this pours the source into practice lines and opens the result.
#include "content/convert.h"
#include "practice/form1.h"

namespace ml {

namespace {
const QChar CR(u'\r');
}

void Form1::newmakefile() {
    QString why;
    bool ok = reader_ && convOut_ && convertStream(*reader_, *convOut_, &why);
    if (ok) ok = convOut_->commit(&why);
    reader_.reset();
    if (!ok) {
        if (convOut_) convOut_->cancel();
        convOut_.reset();
        platform_.messageBox(this,
                             CR + QStringLiteral("文件转换失败！") + CR + CR + why,
                             MsgIcon::Exclamation, MsgButtons::Ok);
        returnToNoFile();
        return;
    }
    convOut_.reset();

    platform_.messageBox(this,
                         CR + QStringLiteral("文件转换完毕!") + CR + CR +
                             QStringLiteral("新文件保存为 ") + Fname + QStringLiteral(" 。　　　") +
                             CR + CR + CR + QStringLiteral("单击“确定”后进入练习。"),
                         MsgIcon::Exclamation, MsgButtons::Ok);
    CD1_FileName = Fname;
    Jindu = 1;
    JinduNow = 1;
    if (isLianxi == QStringLiteral("T")) writeProgress(1);
    Image3_Click();
    // A refused output (a name without ".txt") leaves no file open.
    if (!reader_) returnToNoFile();
}

}  // namespace ml
