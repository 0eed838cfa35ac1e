// Draws the tutor's pictures into the program folder: every picture at 1× and 2×, the application
// icon and a desktop entry that starts the tutor from that folder. Given an icon folder, it also
// draws the icon at the sizes of the icon theme, as
// ICON_FOLDER/hicolor/<n>x<n>/apps/molan-tutor.png, for installed copies.
//
//   ml_gen_art ROOT_TABLE.json PROGRAM_FOLDER [ICON_FOLDER]
#include <QDir>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QSaveFile>
#include <cstdio>

#include "art/artlib.h"

namespace {

bool save(const QImage& img, const QString& path) {
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) || !img.save(&f, "PNG") || !f.commit()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

bool saveText(const QString& text, const QString& path) {
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(text.toUtf8()) < 0 || !f.commit()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

// Desktop entries quote arguments with double quotes and escape \ " ` $ inside them.
QString quoted(const QString& path) {
    QString s = path;
    for (const QChar c : {u'\\', u'"', u'`', u'$'}) s.replace(c, QString(u'\\') + c);
    return u'"' + s + u'"';
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3 && args.size() != 4) {
        std::fprintf(stderr, "usage: ml_gen_art ROOT_TABLE.json PROGRAM_FOLDER [ICON_FOLDER]\n");
        return 2;
    }
    QString error;
    const auto table = ml::art::RootTable::fromFile(args[1], &error);
    if (!table) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    // Missing faces are replaced silently by whatever fontconfig finds; say so, as the pictures
    // will not look as designed.
    for (const char* family :
         {"AR PL UKai CN", "AR PL UMing CN", "Noto Sans CJK SC", "DejaVu Sans"})
        if (!QFontDatabase::hasFamily(QString::fromLatin1(family)))
            std::fprintf(stderr, "warning: font \"%s\" is not installed\n", family);

    const QDir home(args[2]);
    const QString folder = home.filePath(QStringLiteral("图片"));
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(folder));
        return 1;
    }
    const QDir out(folder);
    bool ok = true;
    for (const ml::art::PictureSpec& spec : ml::art::pictures()) {
        ok = save(ml::art::render(spec, *table, 1), out.filePath(spec.file)) && ok;
        QString twice = spec.file;
        twice.insert(twice.lastIndexOf(u'.'), QStringLiteral("@2x"));
        ok = save(ml::art::render(spec, *table, 2), out.filePath(twice)) && ok;
    }
    ok = save(ml::art::appIcon(256), out.filePath(QStringLiteral("icon.png"))) && ok;
    ok = save(ml::art::appIcon(48), out.filePath(QStringLiteral("icon_48.png"))) && ok;

    const QString exe = QDir::cleanPath(home.absoluteFilePath(QStringLiteral("molan-tutor")));
    const QString desktop = QStringLiteral(
                                "[Desktop Entry]\n"
                                "Type=Application\n"
                                "Name=墨岚打字通\n"
                                "GenericName=五笔打字练习\n"
                                "Comment=五笔字型 86 版打字练习\n"
                                "Exec=%1\n"
                                "Icon=%2\n"
                                "Path=%3\n"
                                "Terminal=false\n"
                                "Categories=Education;Languages;\n"
                                "Keywords=wubi;typing;五笔;打字;\n")
                                .arg(quoted(exe), out.absoluteFilePath(QStringLiteral("icon.png")),
                                     home.absolutePath());
    ok = saveText(desktop, home.filePath(QStringLiteral("molan-tutor.desktop"))) && ok;

    if (args.size() == 4) {
        // Drawn at each size rather than scaled, so the small ones stay sharp; keep the sizes in
        // step with tools/art/CMakeLists.txt.
        for (const int size : {16, 22, 24, 32, 48, 64, 128, 256, 512}) {
            const QString dir = QStringLiteral("%1/hicolor/%2x%2/apps").arg(args[3]).arg(size);
            if (!QDir().mkpath(dir)) {
                std::fprintf(stderr, "cannot create %s\n", qPrintable(dir));
                ok = false;
                continue;
            }
            ok = save(ml::art::appIcon(size), dir + QStringLiteral("/molan-tutor.png")) && ok;
        }
    }
    return ok ? 0 : 1;
}
