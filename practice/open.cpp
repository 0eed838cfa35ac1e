// Opening a local practice file and restoring its saved line.
#include <QDir>

#include "form1.h"
#include "practice/rules.h"
#include "practice/texts.h"

namespace ml {

void Form1::Image3_Click() {
    platform_.playSound(dataPath(QStringLiteral("声音/通知.wav")));

    Jishu = 0;
    nowLianXiCiShu = 0;
    txtInput->clear();
    resetFigures();
    for (int k = 1; k <= 28; ++k) setCellColor(k, kWhite);

    CD1_InitDir = homePath(QStringLiteral("练习文件"));
    CD1_DefaultExt = QStringLiteral("*.txt");
    CD1_Filter = kPracticeFilter;
    QString chosen = CD1_FileName;
    if (chosen.isEmpty())
        chosen = platform_.openFileName(this, {CD1_InitDir, CD1_DefaultExt, CD1_Filter, CD1_FileName});
    CD1_FileName.clear();

    const QString candidate = chosen.isEmpty() ? Fname : chosen;
    if (candidate.isEmpty()) return;
    if (!hasTxtExtension(candidate)) {
        platform_.messageBox(this, text::refusedExtension(candidate), MsgIcon::Exclamation,
                             MsgButtons::Ok);
        return;
    }
    Fname = candidate;
    lbfilename->setText(shortenPath(Fname));
    platform_.playSound(dataPath(QStringLiteral("声音/打开文件.wav")));

    progress_.close();
    if (convOut_) convOut_->cancel();
    convOut_.reset();
    reader_.reset();

    Jindu = 1;
    JinduNow = 1;
    remote_ = false;
    if (!openReader(Fname)) return;
    imghelphide->hide();

    QDir().mkpath(homePath(QStringLiteral("练习进度")));
    const QString progressPath = homePath(QStringLiteral("练习进度/") + progressFileName(Fname));
    QString why;
    progressFailureShown_ = false;
    if (progress_.open(platform_.progressDevice(progressPath), &why)) {
        Jindu = progress_.read();
        if (Jindu == 0) {
            Jindu = 1;
            writeProgress(1);
        }
    } else {
        // A read-only program folder: practice still works, it just cannot be resumed later.
        platform_.messageBox(this, text::progressNotWritable(progressPath, why),
                             MsgIcon::Exclamation, MsgButtons::Ok);
    }

    if (Jindu > 1) {
        do {
            if (reader_->atEnd()) break;
            if (!reader_->next(nullptr, 0)) {
                failReading();
                return;
            }
            ++JinduNow;
        } while (JinduNow != Jindu);
    }

    lblianxi->setEnabled(true);
    txtInput->setEnabled(true);
    lblianxi->show();
    txtInput->show();
    Jishu = 0;
    isLianxi = QStringLiteral("T");
    ++openings_;
    recordOpening();
    Lianxi();
    Image3->hide();
}

}  // namespace ml
