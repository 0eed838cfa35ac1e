#include "app.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <QTimer>
#include <cstdio>
#ifdef Q_OS_UNIX
#include <QSocketNotifier>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include "art/art.h"
#include "commands/keys.h"
#include "content/convert.h"
#include "dialogs/host.h"
#include "dialogs/statshost.h"
#include "platform/qtplatform.h"
#include "practice/form1.h"
#include "record/reader.h"
#include "version.h"

namespace ml {

namespace {

void installFontSubstitutions() {
    // The window names the faces of the machines it was designed for; these are their nearest
    // free equivalents.
    const QStringList song = {QStringLiteral("AR PL UMing CN"), QStringLiteral("Noto Serif CJK SC"),
                              QStringLiteral("Noto Sans CJK SC")};
    const QStringList kai = {QStringLiteral("AR PL UKai CN"), QStringLiteral("AR PL UMing CN")};
    QFont::insertSubstitutions(QStringLiteral("宋体"), song);
    QFont::insertSubstitutions(QStringLiteral("SimSun"), song);
    QFont::insertSubstitutions(QStringLiteral("楷体_GB2312"), kai);
    QFont::insertSubstitutions(QStringLiteral("KaiTi"), kai);
    QFont::insertSubstitutions(QStringLiteral("Arial Black"),
                               {QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans")});
}

void print(FILE* to, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), to);
    std::fputc('\n', to);
}

// A message box text on a terminal: its CR line breaks as line ends, without the leading one.
QString terminalText(const QString& message) {
    return QString(message).replace(u'\r', u'\n').trimmed();
}

#ifdef Q_OS_UNIX
// SIGTERM (a logout, a shutdown, kill) and SIGHUP end the tutor as closing it would not lose
// anything either: the event loop stops, the window is destroyed, the record writes the line in
// hand. The handler only writes a byte; the loop reads it.
int quitPipe[2] = {-1, -1};

void onQuitSignal(int) {
    const char b = 1;
    [[maybe_unused]] const ssize_t n = ::write(quitPipe[1], &b, 1);
}

void quitOnSignals(QObject* owner) {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, quitPipe) != 0) return;
    auto* notifier = new QSocketNotifier(quitPipe[0], QSocketNotifier::Read, owner);
    QObject::connect(notifier, &QSocketNotifier::activated, owner, [] {
        char b;
        [[maybe_unused]] const ssize_t n = ::read(quitPipe[0], &b, 1);
        QCoreApplication::quit();
    });
    struct sigaction sa = {};
    sa.sa_handler = onQuitSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);
}
#endif

}  // namespace

int runApp(int argc, char** argv) {
    // --convert and --help need no window; look for them before a display is required.
    QStringList args;
    for (int i = 0; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    const bool headless = args.contains(QStringLiteral("--convert")) ||
                          args.contains(QStringLiteral("--export-stats")) ||
                          args.contains(QStringLiteral("--help")) ||
                          args.contains(QStringLiteral("-h"));
    std::unique_ptr<QCoreApplication> app;
    if (headless)
        app = std::make_unique<QCoreApplication>(argc, argv);
    else
        app = std::make_unique<QApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("molan-tutor"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(kVersionString));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("墨岚打字通：五笔字型 86 版打字练习"));
    parser.addHelpOption();
    const QCommandLineOption openOpt(QStringLiteral("open"),
                                     QStringLiteral("启动后直接打开练习文件 FILE（不显示打开对话框）。"),
                                     QStringLiteral("FILE"));
    const QCommandLineOption convertOpt(
        QStringLiteral("convert"),
        QStringLiteral("把纯文本 SOURCE 转换成练习文件 TARGET（代码页 936），不打开窗口。"),
        QStringLiteral("SOURCE"));
    const QCommandLineOption homeOpt(QStringLiteral("home"),
                                     QStringLiteral("以 DIR 作为程序文件夹（默认为程序所在文件夹）。"),
                                     QStringLiteral("DIR"));
    const QCommandLineOption exportOpt(
        QStringLiteral("export-stats"),
        QStringLiteral("把练习记录里每个字的统计写成 CSV 文件 FILE（UTF-8），不打开窗口。"),
        QStringLiteral("FILE"));
    const QCommandLineOption drillOpt(
        QStringLiteral("drill-mistakes"),
        QStringLiteral("用打错最多、打得最慢的字写出“练习文件/错字练习.txt”，打开它练习。"));
    parser.addOption(openOpt);
    parser.addOption(convertOpt);
    parser.addOption(homeOpt);
    parser.addOption(exportOpt);
    parser.addOption(drillOpt);
    parser.addPositionalArgument(QStringLiteral("TARGET"), QStringLiteral("--convert 的输出文件"),
                                 QStringLiteral("[TARGET]"));
    if (!parser.parse(args)) {
        print(stderr, parser.errorText());
        return 2;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        print(stdout, parser.helpText());
        return 0;
    }
    if (parser.isSet(convertOpt)) {
        if (parser.positionalArguments().size() != 1) {
            print(stderr, QStringLiteral("用法：--convert SOURCE TARGET"));
            return 2;
        }
        QString report;
        const int rc = runConvertCommand(parser.value(convertOpt),
                                         parser.positionalArguments().first(), &report);
        print(rc == 0 ? stdout : stderr, report);
        return rc;
    }

    const QString home = QDir::cleanPath(QFileInfo(parser.isSet(homeOpt)
                                                       ? parser.value(homeOpt)
                                                       : QCoreApplication::applicationDirPath())
                                             .absoluteFilePath());
    if (!QFileInfo(home).isDir()) {
        print(stderr, QStringLiteral("程序文件夹不存在：") + home);
        return 2;
    }
    if (parser.isSet(exportOpt)) {
        const QString target = QFileInfo(parser.value(exportOpt)).absoluteFilePath();
        QString message;
        const qint64 n =
            record::exportCsv(ProgramFolder(home).homePath(record::kFileName), target, &message);
        if (n < 0) {
            print(stderr, terminalText(message));
            return 1;
        }
        print(stdout, n == 0 ? QStringLiteral("还没有练习记录，只写了表头：") + target
                             : QStringLiteral("已写入 %1 个字的统计：").arg(n) + target);
        return 0;
    }
    installFontSubstitutions();
    {
        // Dialog texts in a simplified-Chinese face rather than whatever fontconfig falls back to.
        QFont ui = QApplication::font();
        ui.setFamilies({QStringLiteral("Noto Sans CJK SC"), QStringLiteral("AR PL UMing CN")});
        QApplication::setFont(ui);
    }
    QApplication::setWindowIcon(Art::appIcon(home));
    // The file dialogs and message boxes speak the learner's language.
    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                          QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtTranslator);
    QtPlatform platform;
    Form1 form(platform, ProgramFolder(home));
#ifdef Q_OS_UNIX
    quitOnSignals(&form);
#endif
    installCommands(form);
    installDialogs(form);
    form.show();
    if (!form.startupWarning().isEmpty()) {
        QTimer::singleShot(0, &form, [&form, &platform] {
            platform.messageBox(&form, form.startupWarning(), MsgIcon::Exclamation, MsgButtons::Ok);
        });
    }
    if (parser.isSet(openOpt)) {
        const QString file = QFileInfo(parser.value(openOpt)).absoluteFilePath();
        QTimer::singleShot(0, &form, [&form, file] {
            // Exactly the conversion's hand-over: a preset name, no dialog.
            form.CD1_FileName = QDir::toNativeSeparators(file);
            form.Image3_Click();
        });
    }
    if (parser.isSet(drillOpt)) {
        QTimer::singleShot(0, &form, [&form, &platform] {
            const QString message = practiseMistakes(form);
            if (message.isEmpty()) return;
            print(stderr, terminalText(message));
            platform.messageBox(&form, message, MsgIcon::Information, MsgButtons::Ok);
        });
    }
    return app->exec();
}

}  // namespace ml
