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
QImage readImage(const QString& path, const QSize& expected) {
    // The art is PNG, read as such: guessing the format from the content would first load every
    // image plugin (JPEG, GIF, ICO…) at start-up.
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false);
    QImage img = reader.read();
    if (img.isNull() || (expected.isValid() && img.size() != expected)) return {};
    return img;
}

QPixmap readFile(const QString& path, const QSize& expected) {
    return QPixmap::fromImage(readImage(path, expected));
}

bool hasTransparentPixel(const QImage& img) {
    if (!img.hasAlphaChannel()) return false;
    const QImage argb = img.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x)
            if (qAlpha(line[x]) != 255) return true;
    }
    return false;
}

// What QPixmap::fromImage would convert to on a raster screen, done by the caller's thread:
// opaque pictures become RGB32 (the fastest to draw), the others premultiplied ARGB32.
QImage pixmapReady(QImage img) {
    if (img.isNull()) return img;
    const auto format = hasTransparentPixel(img) ? QImage::Format_ARGB32_Premultiplied
                                                 : QImage::Format_RGB32;
    return std::move(img).convertToFormat(format);
}

}  // namespace

QImage Art::image(const QString& home, const QString& file, qreal dpr) {
    const art::PictureSpec* spec = art::picture(file);
    const QSize size = spec ? spec->size : QSize();
    const QString folder = QStringLiteral("图片/");
    if (dpr > 1) {
        QString twice = file;
        twice.insert(twice.lastIndexOf(u'.'), QStringLiteral("@2x"));
        QImage img = readImage(inFolder(home, folder + twice), size * 2);
        if (!img.isNull()) {
            img.setDevicePixelRatio(2);
            return pixmapReady(std::move(img));
        }
    }
    QImage img = readImage(inFolder(home, folder + file), size);
    if (!img.isNull() || !spec) return pixmapReady(std::move(img));
    return pixmapReady(art::render(*spec, art::RootTable::builtIn(), dpr > 1 ? 2 : 1));
}

QPixmap Art::picture(const QString& home, const QString& file, qreal dpr) {
    return QPixmap::fromImage(image(home, file, screenRatio(dpr)));
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
