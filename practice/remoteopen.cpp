// Opening the classroom's shared practice text named in "远程内容.ini".
#include <QDir>

#include "content/remote.h"
#include "form1.h"
#include "platform/itemreader.h"
#include "platform/smbfetch.h"
#include "platform/wholefile.h"
#include "practice/texts.h"

namespace ml {

namespace {
// A shared practice text is a lesson, not a library: anything larger is refused rather than
// copied over the network into memory.
constexpr qint64 kMaxRemoteBytes = 64ll * 1024 * 1024;
}  // namespace

bool isNetworkPath(const QString& path) {
    return path.startsWith(QStringLiteral("\\\\")) || path.startsWith(QStringLiteral("//"));
}

std::unique_ptr<ItemReader> openRemoteText(const QString& path, QString* error) {
    QByteArray bytes;
    bool fetched = false;
#ifndef Q_OS_WIN
    // Windows opens \\server\share paths as files; elsewhere they go through SMB.
    if (isNetworkPath(path)) {
        const QString url = smbUrlFor(path);
        if (url.isEmpty()) {
            if (error) *error = QStringLiteral("网络路径应当是 \\\\服务器\\共享文件夹\\文件名。");
            return nullptr;
        }
        fetched = fetchFromShare(url, kMaxRemoteBytes, &bytes, error);
    } else {
        fetched = readWholeFile(path, kMaxRemoteBytes, &bytes, error);
    }
#else
    fetched = readWholeFile(path, kMaxRemoteBytes, &bytes, error);
#endif
    if (!fetched) return nullptr;
    // An empty text is practised as an empty local file is: the empty line is on show.
    // NUL never stands in a code page 936 text (it does in pictures, documents and UTF-16 text),
    // yet decodes without complaint.
    if (bytes.contains('\0')) {
        if (error) *error = text::binaryFileReason();
        return nullptr;
    }
    // The whole text is in memory anyway: a bad byte is found now, at opening, rather than in
    // the middle of practice.
    if (!isCp936Text(bytes, error)) return nullptr;
    return ItemReader::fromBytes(bytes);
}

void Form1::Image4_Click() {
    platform_.playSound(dataPath(QStringLiteral("声音/通知.wav")));
    resetFigures();

    reader_.reset();
    if (convOut_) convOut_->cancel();
    convOut_.reset();
    // The learner's own file first; an installed tutor falls back on the one a teacher set for
    // every user of the machine.
    const QString iniPath = folder_.settingPath(QStringLiteral("远程内容.ini"));
    RemoteConfig cfg;
    if (auto ini = openRemoteConfig(iniPath)) cfg = readRemoteConfig(*ini);

    auto fail = [this](const QString& message) {
        reader_.reset();
        platform_.messageBox(this, message, MsgIcon::Exclamation, MsgButtons::Ok);
        returnToNoFile();
    };
    if (cfg.status == RemoteConfig::Missing)
        return fail(text::remoteConfigMissing(QDir::toNativeSeparators(iniPath)));
    // It is there but cannot be decoded: say what is wrong rather than that it is missing.
    if (cfg.status == RemoteConfig::Unreadable)
        return fail(text::remoteConfigUnreadable(QDir::toNativeSeparators(iniPath), cfg.problem));
    // The reader is closed already; leaving the old line on show would make the next round read
    // from no file, so the window returns to the no-file state.
    if (cfg.status == RemoteConfig::BadPrefix)
        return fail(text::remoteConfigBadPrefix(QDir::toNativeSeparators(iniPath)));
    // A path line longer than any path names no file; it is not even tried.
    if (cfg.tooLong) return fail(text::openFailed(cfg.path));
    Fname = cfg.path.isEmpty() ? dataPath(QStringLiteral("局域网中同步练习说明.txt")) : cfg.path;
    QString why;
    remote_ = true;
    reader_ = openRemoteText(Fname, &why);
    if (!reader_) {
#ifndef Q_OS_WIN
        // Checking here loads nothing new: the open has just tried the library.
        if (isNetworkPath(Fname) && !networkPathsSupported())
            return fail(text::shareSupportMissing(Fname, shareSupportMissingReason()));
#endif
        return fail(text::openFailed(Fname));
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
    recordOpening();
    Lianxi();
}

}  // namespace ml
