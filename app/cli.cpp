#include "app/cli.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QStringList>

#include "content/convert.h"

namespace ml {

namespace {

void printLine(FILE* to, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), to);
    std::fputc('\n', to);
}

// The folder of the running executable, without a QCoreApplication (the window makes its own).
QString executableDir(const char* argv0) {
#ifdef Q_OS_LINUX
    const QString self = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    if (!self.isEmpty()) return QFileInfo(self).absolutePath();
#endif
    return QFileInfo(QString::fromLocal8Bit(argv0)).absolutePath();
}

}  // namespace

bool runConvertOnly(int argc, char** argv, int* exitCode) {
    QStringList args;
    for (int i = 0; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    if (!args.contains(QStringLiteral("--convert"))) return false;
    // The window's parser knows every option and prints the help and the errors; this one only
    // recognises a plain conversion, and leaves anything else to it.
    QCommandLineParser parser;
    const QCommandLineOption convert(QStringLiteral("convert"), QString(), QStringLiteral("SOURCE"));
    const QCommandLineOption home(QStringLiteral("home"), QString(), QStringLiteral("DIR"));
    const QCommandLineOption open(QStringLiteral("open"), QString(), QStringLiteral("FILE"));
    parser.addOptions({convert, home, open});
    if (!parser.parse(args) || !parser.isSet(convert)) return false;
    if (parser.positionalArguments().size() != 1) {
        printLine(stderr, QStringLiteral("用法：--convert SOURCE TARGET"));
        *exitCode = 2;
        return true;
    }
    // No QCoreApplication: files and text need none, and starting one would only cost time.
    QString report;
    *exitCode = runConvertCommand(parser.value(convert), parser.positionalArguments().first(),
                                  &report);
    printLine(*exitCode == 0 ? stdout : stderr, report);
    return true;
}

int runWindowModule(int argc, char** argv) {
    using Entry = int (*)(int, char**);
#ifdef Q_OS_WIN
    const QString file = QStringLiteral("molan-tutor-window.dll");
#else
    const QString file = QStringLiteral("molan-tutor-window.so");
#endif
    const QString dir = executableDir(argv[0]);
    // Beside the executable in a program folder; under lib/ when installed.
    const QString places[] = {dir, dir + QStringLiteral("/../lib/molan-tutor")};
    QString why = QStringLiteral("找不到文件 ") + QDir(dir).filePath(file);
    for (const QString& place : places) {
        const QString path = QDir::cleanPath(QDir(place).filePath(file));
        if (!QFileInfo::exists(path)) continue;
        QLibrary module(path);
        auto entry = module.load() ? reinterpret_cast<Entry>(module.resolve("ml_run_window")) : nullptr;
        if (entry) return entry(argc, argv);
        why = module.errorString();
        break;
    }
    printLine(stderr, QStringLiteral("无法载入窗口模块：") + why + QStringLiteral("。请重新安装墨岚打字通。"));
    return 1;
}

}  // namespace ml
