// The practice text feed: one round puts the next practice line on show.
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "content/convert.h"
#include "form1.h"
#include "platform/wholefile.h"
#include "practice/rules.h"
#include "practice/texts.h"

namespace ml {

namespace {

bool samePath(const QString& a, const QString& b) {
    return QDir::cleanPath(QDir::fromNativeSeparators(a)) ==
           QDir::cleanPath(QDir::fromNativeSeparators(b));
}

}  // namespace

bool Form1::openReader(const QString& path) {
    QString why;
    // A network path is fetched like the classroom text even when it is opened as a local
    // practice file (the open dialog cancelled during remote practice reopens it so).
    reader_ = remote_ || isNetworkPath(path) ? openRemoteText(path, &why)
                                              : ItemReader::openFile(path, &why);
    if (reader_ && !remote_ && startsLikeBinary(path)) {
        reader_.reset();
        why = text::binaryFileReason();
    }
    if (reader_) return true;
    platform_.messageBox(this, remote_ ? text::openFailed(path) : text::cannotOpenPractice(path, why),
                         MsgIcon::Exclamation, MsgButtons::Ok);
    returnToNoFile();
    return false;
}

void Form1::failReading() {
    const QString why = reader_ ? reader_->errorString() : QString();
    const QString path = Fname;
    reader_.reset();
    platform_.messageBox(this, text::cannotGoOnReading(path, why), MsgIcon::Exclamation,
                         MsgButtons::Ok);
    returnToNoFile();
}

void Form1::returnToNoFile() {
    recordClosing();
    reader_.reset();
    if (convOut_) convOut_->cancel();
    convOut_.reset();
    progress_.close();
    Timer1->stop();
    lbfilename->setText(text::kNoFileCaption);
    lblianxi->setEnabled(false);
    txtInput->setEnabled(false);
    lblianxi->hide();
    txtInput->hide();
    Jishu = 0;
    Fname.clear();
    BmHelp = 0;
    BmHelpAll = 0;
    hideCodeLabels();
    Temp.clear();
    oldInput.clear();
    txtInput->clear();
    for (int k = 1; k <= 28; ++k) setCellColor(k, kWhite);
    UseHelp = 0;
    Showhelp = QStringLiteral("F");
    imghidehelp->show();
    setFocus();
}

void Form1::writeProgress(qint32 value) {
    if (!progress_.isOpen() || progress_.write(value)) return;
    // Practice goes on; the learner hears of it once, not after every line. Later writes are
    // still tried, so a disk that comes back keeps the progress again.
    if (progressFailureShown_) return;
    progressFailureShown_ = true;
    platform_.messageBox(this, text::progressWriteFailed(progress_.path(), progress_.errorString()),
                         MsgIcon::Exclamation, MsgButtons::Ok);
}

void Form1::Lianxi() {
    ++rounds_;
    // The end-of-file restart runs the round again; a loop keeps the stack flat.
    recordRoundStart();
    for (bool restarted = false;; restarted = true) {
        txtInput->clear();
        txtInput->setFocus();
        Jishu = 0;
        Temp.clear();
        oldInput.clear();
        txtInput->clear();
        for (int k = 1; k <= 28; ++k) setCellColor(k, kWhite);
        if (!reader_) return;

        if (reader_->atEnd()) {
            recordPassEnd();
            reader_.reset();
            if (!openReader(Fname)) return;
            JinduNow = 1;
            lblianxi->setText(Temp);
            txtInput->clear();
            txtInput->setFocus();
            nowLianXiCiShu = 0;
            if (restarted || reader_->atEnd()) {
                // A file without any item: stop with the empty line on show instead of
                // starting over for ever.
                nowLianXiCiShu = 1;
                break;
            }
            continue;
        }
        if (!(nowLianXiCiShu != 0 && nowLianXiCiShu < Lianxicishu)) {
            QString item;
            qint64 length = 0;
            // The format check previews at most 73 characters, so no more are kept.
            if (!reader_->next(&item, 73, &length)) {
                failReading();
                return;
            }
            Temp = item;
            if (length > kLineLength) {
                if (!formatCheck(length)) return;
                if (Temp.size() > kLineLength) Temp.truncate(kLineLength);
            }
            lblianxi->setText(Temp);
            nowLianXiCiShu = 0;
        }
        Temp = lblianxi->text();
        nowLianXiCiShu = static_cast<qint16>(nowLianXiCiShu + 1);
        break;
    }
    if (Showhelp == QStringLiteral("T")) Helpme();
}

bool Form1::formatCheck(qint64 length) {
    const MsgResult answer = platform_.messageBox(this, text::formatCheck(Temp, length),
                                                  MsgIcon::Exclamation, MsgButtons::OkCancel);
    if (answer != MsgResult::Ok) return true;

    QString target = homePath(QStringLiteral("练习文件/") + fileNameOf(Fname));
    while (samePath(target, Fname)) {
        platform_.messageBox(this, text::fileAlreadyOpen(), MsgIcon::Stop, MsgButtons::Ok);
        CD1_FileName.clear();
        FileDialogRequest req{CD1_InitDir, CD1_DefaultExt, CD1_Filter, CD1_FileName};
        target = platform_.saveFileName(this, req);
        CD1_FileName.clear();
        if (target.isEmpty()) return true;  // a cancelled dialog declines the conversion
    }

    // Set up the output before touching the source, so that a folder that cannot be written
    // leaves the source open where it was.
    if (convOut_) convOut_->cancel();
    QDir().mkpath(QFileInfo(target).absolutePath());
    auto out = std::make_unique<Cp936LineWriter>();
    QString why;
    if (!out->open(platform_.conversionDevice(target), &why)) {
        platform_.messageBox(this, text::cannotWriteConversion(target, why), MsgIcon::Exclamation,
                             MsgButtons::Ok);
        return true;
    }
    convOut_ = std::move(out);
    reader_.reset();
    if (!openReader(Fname)) return false;
    Fname = target;
    const quint64 before = openings_;
    newmakefile();
    // The conversion opened the new file with a round of its own; this round carries on only
    // when that worked.
    return openings_ != before && reader_ != nullptr;
}

}  // namespace ml
