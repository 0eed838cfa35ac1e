// Opening the classroom's shared practice text named in "远程内容.ini".
#include "content/remote.h"

#include <QDir>

#include "platform/itemreader.h"
#include "practice/form1.h"

namespace ml {

namespace {
const QChar CR(u'\r');
}

RemoteConfig readRemoteConfig(ItemReader& reader) {
    RemoteConfig cfg;
    QString title, pathItem;
    // Only the first two items matter; a 10 MB line must not be held whole.
    if (!reader.next(&title, 4096) || !reader.next(&pathItem, 32768)) {
        cfg.status = RemoteConfig::Missing;
        return cfg;
    }
    const QString prefix = pathItem.left(5);
    if (prefix != QStringLiteral("path=") && prefix != QStringLiteral("Path=") &&
        prefix != QStringLiteral("PATH=")) {
        cfg.status = RemoteConfig::BadPrefix;
        return cfg;
    }
    cfg.status = RemoteConfig::Ok;
    if (pathItem.size() > 12) cfg.path = pathItem.mid(5);
    return cfg;
}

void Form1::Image4_Click() {
    platform_.playSound(homePath(QStringLiteral("声音/通知.wav")));
    Timer1->stop();
    Times = 0;
    Types = 0;
    RightTypes = 0;
    lbtime->setText(QStringLiteral("0:00:00"));
    lbshudu->setText(QStringLiteral("0"));
    lbZql->setText(QStringLiteral("100%"));
    oldInput.clear();

    reader_.reset();
    const QString iniPath = homePath(QStringLiteral("远程内容.ini"));
    RemoteConfig cfg;
    if (auto ini = ItemReader::openFile(iniPath)) cfg = readRemoteConfig(*ini);

    auto fail = [this](const QString& text) {
        reader_.reset();
        platform_.messageBox(this, text, MsgIcon::Exclamation, MsgButtons::Ok);
        returnToNoFile();
    };
    if (cfg.status == RemoteConfig::Missing) {
        return fail(CR + QDir::toNativeSeparators(iniPath) + QStringLiteral(" 文件失踪。") + CR +
                    CR + QStringLiteral("请注意检查发生问题的原因，阅读帮助文件。　　　"));
    }
    if (cfg.status == RemoteConfig::BadPrefix) {
        // The reader is closed already; leaving the old line on show would make the next round
        // read from no file, so the window returns to the no-file state.
        return fail(CR + QStringLiteral("配置文件内容错误！") + CR + CR +
                    QStringLiteral("请用记事本编辑 ") + QDir::toNativeSeparators(iniPath) + CR +
                    CR + QStringLiteral("确保文件中第二行内容以 “Path= ”　开头。"));
    }
    Fname = cfg.path.isEmpty() ? homePath(QStringLiteral("局域网中同步练习说明.txt")) : cfg.path;
    QString why;
    remote_ = true;
    reader_ = openRemoteText(Fname, &why);
    if (!reader_) {
        return fail(CR + QStringLiteral("打开文件失败！") + CR + CR + QStringLiteral("请检查 ") +
                    Fname + QStringLiteral(" 文件是否存在。　　　") + CR + CR +
                    QStringLiteral("请确保你这台机器能无需密码正常访问局域网中的这个文件。"));
    }
    progress_.close();
    lbfilename->setText(Fname);
    CD1_FileName.clear();
    lblianxi->setEnabled(true);
    txtInput->setEnabled(true);
    lblianxi->show();
    txtInput->show();
    Jishu = 0;
    nowLianXiCiShu = 0;
    isLianxi = QStringLiteral("F");
    imghelphide->hide();
    ++openings_;
    Lianxi();
}

}  // namespace ml
