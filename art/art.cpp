#include "art.h"

#include <QGuiApplication>
#include <QImageReader>

#include "platform/programfolder.h"
#include "art/artlib.h"

namespace ml {

namespace {

qreal screenRatio(qreal dpr) {
    if (dpr > 0) return dpr;
    return qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
}

// A file of the right size, or nothing: a picture of another size would upset the layout of
// the window, whose places are fixed.
QPixmap readFile(const QString& path, const QSize& expected) {
    QImageReader reader(path);
    const QImage img = reader.read();
    if (img.isNull() || (expected.isValid() && img.size() != expected)) return {};
    return QPixmap::fromImage(img);
}

}  // namespace

QPixmap Art::picture(const QString& home, const QString& file, qreal dpr) {
    const art::PictureSpec* spec = art::picture(file);
    const QSize size = spec ? spec->size : QSize();
    const QString folder = QStringLiteral("图片/");
    if (screenRatio(dpr) > 1) {
        QString twice = file;
        twice.insert(twice.lastIndexOf(u'.'), QStringLiteral("@2x"));
        QPixmap pm = readFile(inFolder(home, folder + twice), size * 2);
        if (!pm.isNull()) {
            pm.setDevicePixelRatio(2);
            return pm;
        }
    }
    QPixmap pm = readFile(inFolder(home, folder + file), size);
    if (!pm.isNull() || !spec) return pm;
    const qreal scale = screenRatio(dpr) > 1 ? 2 : 1;
    return QPixmap::fromImage(art::render(*spec, art::RootTable::builtIn(), scale));
}

Art Art::load(const QString& home, qreal dpr) {
    auto pic = [&](const QString& file) { return picture(home, file, dpr); };
    Art a;
    a.background = pic(QStringLiteral("background.png"));
    a.openLocal = pic(QStringLiteral("open.png"));
    a.openLocalHi = pic(QStringLiteral("open_hi.png"));
    a.openRemote = pic(QStringLiteral("remote.png"));
    a.openRemoteHi = pic(QStringLiteral("remote_hi.png"));
    for (int i = 0; i < 4; ++i) {
        a.cmd[i] = pic(QStringLiteral("cmd%1.png").arg(i + 1));
        a.cmdHi[i] = pic(QStringLiteral("cmd%1_hi.png").arg(i + 1));
    }
    a.helpHide = pic(QStringLiteral("helphide.png"));
    a.hideHelp = pic(QStringLiteral("hidehelp.png"));
    a.whiteCi = pic(QStringLiteral("white_ci.png"));
    a.whiteBai = pic(QStringLiteral("white_bai.png"));
    for (int i = 0; i < 25; ++i) a.keys[i] = pic(QStringLiteral("key_%1.png").arg(QChar(u'a' + i)));
    for (int z = 0; z < 5; ++z) a.charts[z] = pic(QStringLiteral("chart%1.png").arg(z + 1));
    return a;
}

QIcon Art::appIcon(const QString& home) {
    QIcon icon;
    for (const char* file : {"icon.png", "icon_48.png"}) {
        const QPixmap pm =
            readFile(inFolder(home, QStringLiteral("图片/") + QLatin1String(file)), {});
        if (!pm.isNull()) icon.addPixmap(pm);
    }
    if (icon.isNull()) {
        for (int size : {48, 256}) icon.addPixmap(QPixmap::fromImage(art::appIcon(size)));
    }
    return icon;
}

}  // namespace ml
