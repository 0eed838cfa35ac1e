#include "texts.h"

namespace ml::text {

namespace {
const QChar CR(u'\r');
}

QString formatCheck(const QString& item, qint64 length) {
    QString p1, p2, p3;
    if (length <= 30) {
        p1 = item.left(28);
    } else {
        p1 = item.mid(0, 22);
        p2 = item.mid(22, 27);
        p3 = item.mid(49, 24);
    }
    return CR + QStringLiteral("你所打开的练习文件格式非 五笔·键途 软件专用格式。　　　") + CR + CR +
           CR + QStringLiteral("内容预览：") + p1 + CR + CR + p2 + CR + CR + p3 +
           QStringLiteral("……") + CR + CR + CR + CR + QStringLiteral("要进行格式转换吗？");
}

QString refusedExtension(const QString& candidate) {
    return CR + QStringLiteral("禁止打开文件！") + CR + CR + candidate +
           QStringLiteral(" 不是文本文件（*.TXT）。") + CR + CR +
           QStringLiteral("不知道你是怎么搞的。在为本软件捉虫吗？　　　");
}

QString fileAlreadyOpen() { return CR + QStringLiteral("文件已经打开，请用新的文件名保存。"); }

QString cannotWriteConversion(const QString& target, const QString& why) {
    return CR + QStringLiteral("无法写入 ") + target + CR + CR + why + CR + CR +
           QStringLiteral("格式转换已取消，继续练习原文件。");
}

QString conversionFailed(const QString& why) {
    return CR + QStringLiteral("文件转换失败！") + CR + CR + why;
}

QString conversionDone(const QString& target) {
    return CR + QStringLiteral("文件转换完毕!") + CR + CR + QStringLiteral("新文件保存为 ") + target +
           QStringLiteral(" 。　　　") + CR + CR + CR + QStringLiteral("单击“确定”后进入练习。");
}

QString openFailed(const QString& path) {
    return CR + QStringLiteral("打开文件失败！") + CR + CR + QStringLiteral("请检查 ") + path +
           QStringLiteral(" 文件是否存在。　　　") + CR + CR +
           QStringLiteral("请确保你这台机器能无需密码正常访问局域网中的这个文件。");
}

QString shareSupportMissing(const QString& path, const QString& reason) {
    return CR + QStringLiteral("打开文件失败！") + CR + CR + QStringLiteral("无法打开 ") + path +
           QStringLiteral("。") + CR + CR + reason;
}

QString cannotOpenPractice(const QString& path, const QString& why) {
    return CR + QStringLiteral("无法打开练习文件 ") + path + CR + CR + why;
}

QString cannotGoOnReading(const QString& path, const QString& why) {
    return CR + QStringLiteral("练习文件 ") + path + QStringLiteral(" 无法继续读取。") + CR + CR + why;
}

QString progressNotWritable(const QString& path, const QString& why) {
    return CR + QStringLiteral("无法写入练习进度文件 ") + path + CR + CR + why + CR + CR +
           QStringLiteral("本次练习的进度将不会保存。");
}

QString binaryFileReason() {
    return QStringLiteral("它不是文本文件（文件里有二进制数据，例如图片、文档或程序）。");
}

QString remoteConfigMissing(const QString& iniPath) {
    return CR + iniPath + QStringLiteral(" 文件失踪。") + CR + CR +
           QStringLiteral("请注意检查发生问题的原因，阅读帮助文件。　　　");
}

QString remoteConfigBadPrefix(const QString& iniPath) {
    return CR + QStringLiteral("配置文件内容错误！") + CR + CR + QStringLiteral("请用记事本编辑 ") +
           iniPath + CR + CR + QStringLiteral("确保文件中第二行内容以 “Path= ”　开头。");
}

QString notInDictionary(const QString& query) {
    return QStringLiteral("数据库中没有") + query + QStringLiteral("字");
}

}  // namespace ml::text
