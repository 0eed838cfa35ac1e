#include "app.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <QSocketNotifier>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <utility>
#ifdef Q_OS_UNIX
#include <sys/socket.h>
#include <unistd.h>

#include <csignal>
#endif

#include "art/art.h"
#include "commands/keys.h"
#include "content/convert.h"
#include "course/lesson.h"
#include "course/recordstore.h"
#include "record/record.h"
#include "dialogs/host.h"
#include "platform/fontpages.h"
#include "dialogs/statshost.h"
#include "platform/qtplatform.h"
#include "practice/form1.h"
#include "record/reader.h"
#include "version.h"

namespace ml {

namespace {

// Runs `then` once, in the event loop's next turn after the watched widget's first paint.
class FirstPaint : public QObject {
public:
    explicit FirstPaint(std::function<void()> then) : then_(std::move(then)) {}
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() == QEvent::Paint && then_) {
            QTimer::singleShot(0, this, std::exchange(then_, nullptr));
            watched->removeEventFilter(this);
        }
        return false;
    }

private:
    std::function<void()> then_;
};

// Runs `then` once, at the first key, click, wheel or mouse move anywhere in the application.
class FirstInput : public QObject {
public:
    explicit FirstInput(std::function<void()> then) : then_(std::move(then)) {}
    bool eventFilter(QObject*, QEvent* e) override {
        switch (e->type()) {
            case QEvent::KeyPress:
            case QEvent::ShortcutOverride:
            case QEvent::InputMethod:
            case QEvent::MouseButtonPress:
            case QEvent::MouseMove:
            case QEvent::Wheel:
                if (then_) {
                    std::exchange(then_, nullptr)();
                    qApp->removeEventFilter(this);
                }
                break;
            default:
                break;
        }
        return false;
    }

private:
    std::function<void()> then_;
};

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

// Where the program folder is: --home DIR, the executable's folder, or an installed tutor's
// per-user folder with its data beside the executable's share/.
FolderChoice programFolder(const QString& homeOption) {
    FolderEnvironment env;
    env.homeOption = homeOption;
    env.executableDir = QCoreApplication::applicationDirPath();
    env.xdgDataHome = qEnvironmentVariable("XDG_DATA_HOME");
    env.userHome = qEnvironmentVariable("HOME");
    return chooseProgramFolder(env);
}

// The lessons of the course for --help, from the lesson list of the program folder named on the
// command line (or the executable's).
QString lessonList(const QStringList& args) {
    const qsizetype at = args.indexOf(QStringLiteral("--home"));
    const QString home = at >= 0 && at + 1 < args.size() ? args[at + 1] : QString();
    const course::Course c =
        course::loadCourse(programFolder(home).folder.dataPath(QStringLiteral("课程")));
    QStringList names;
    for (const course::Lesson& l : c.lessons) names << l.id + QStringLiteral("（") + l.title + u'）';
    return names.isEmpty() ? QStringLiteral("（程序文件夹中没有课程表）") : names.join(QStringLiteral("，"));
}

#ifdef Q_OS_UNIX
// A request to end (a logout, `kill`) ends the tutor as closing its windows does, so that what
// waits in memory for the record is written. The handler only writes a byte to a socket; the
// event loop reads it and quits.
int terminationPipe[2] = {-1, -1};

void onTermination(int) {
    const char c = 1;
    [[maybe_unused]] const ssize_t n = ::write(terminationPipe[0], &c, 1);
}

void quitOnTermination(QCoreApplication& app) {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, terminationPipe) != 0) return;
    auto* notifier = new QSocketNotifier(terminationPipe[1], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [] {
        char c;
        [[maybe_unused]] const ssize_t n = ::read(terminationPipe[1], &c, 1);
        QCoreApplication::quit();
    });
    struct sigaction sa = {};
    sa.sa_handler = onTermination;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);
}
#else
void quitOnTermination(QCoreApplication&) {}
#endif

void print(FILE* to, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), to);
    std::fputc('\n', to);
}

// A message box text on a terminal: its CR line breaks as line ends, without the leading one.
QString terminalText(const QString& message) {
    return QString(message).replace(u'\r', u'\n').trimmed();
}


}  // namespace

int runApp(int argc, char** argv) {
    // --convert and --help need no window; look for them before a display is required.
    QStringList args;
    for (int i = 0; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    const bool headless = args.contains(QStringLiteral("--convert")) ||
                          args.contains(QStringLiteral("--export-keys")) ||
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
    const QCommandLineOption homeOpt(
        QStringLiteral("home"),
        QStringLiteral("以 DIR 作为程序文件夹（默认为程序所在文件夹；安装的程序默认为 "
                       "~/.local/share/molan-tutor）。"),
        QStringLiteral("DIR"));
    // The lesson list is read for --help only: start-up reads nothing of the course.
    const bool wantsHelp = args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"));
    const QCommandLineOption drillOpt(
        QStringLiteral("drill"),
        QStringLiteral("启动后直接进入五笔课程的 LESSON 一课（未解锁的也可以）。") +
            (wantsHelp ? QStringLiteral("课程：") + lessonList(args) : QString()),
        QStringLiteral("LESSON"));
    const QCommandLineOption exportOpt(
        QStringLiteral("export-keys"),
        QStringLiteral("把编码练习的每一次按键写成 CSV 文件 FILE（UTF-8，列为 "
                       "lesson,item,expected,typed,right,ms），不打开窗口。"),
        QStringLiteral("FILE"));
    const QCommandLineOption statsOpt(
        QStringLiteral("export-stats"),
        QStringLiteral("把练习记录里每个字的统计写成 CSV 文件 FILE（UTF-8），不打开窗口。"),
        QStringLiteral("FILE"));
    const QCommandLineOption mistakesOpt(
        QStringLiteral("drill-mistakes"),
        QStringLiteral("用打错最多、打得最慢的字写出“练习文件/错字练习.txt”，打开它练习。"));
    parser.addOption(openOpt);
    parser.addOption(convertOpt);
    parser.addOption(homeOpt);
    parser.addOption(drillOpt);
    parser.addOption(exportOpt);
    parser.addOption(statsOpt);
    parser.addOption(mistakesOpt);
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

    const FolderChoice choice =
        programFolder(parser.isSet(homeOpt) ? parser.value(homeOpt) : QString());
    const ProgramFolder& folder = choice.folder;
    if ((!choice.installed || parser.isSet(homeOpt)) && !QFileInfo(folder.home).isDir()) {
        print(stderr, QStringLiteral("程序文件夹不存在：") + folder.home);
        return 2;
    }
    if (parser.isSet(exportOpt)) {
        QString report;
        const int rc = course::exportKeysCsv(
            folder.homePath(record::kFileName),
            QFileInfo(parser.value(exportOpt)).absoluteFilePath(), &report);
        print(rc == 0 ? stdout : stderr, report);
        return rc;
    }
    if (parser.isSet(statsOpt)) {
        const QString target = QFileInfo(parser.value(statsOpt)).absoluteFilePath();
        QString message;
        const qint64 n =
            record::exportCsv(folder.homePath(record::kFileName), target, &message);
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
    // The file dialogs and message boxes speak the learner's language.
    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                          QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtTranslator);
    quitOnTermination(*app);
    QtPlatform platform;
    QString homeWarning;
    if (choice.installed) {
        QString why;
        if (!prepareHomeFolder(folder, &why)) {
            // Without its own folder the tutor could keep no progress; started from a menu,
            // the learner sees no terminal, so the message box says it too.
            print(stderr, why);
            if (!QFileInfo(folder.home).isDir()) {
                platform.messageBox(nullptr, why, MsgIcon::Stop, MsgButtons::Ok);
                return 2;
            }
            homeWarning = why;
        }
    }
    QApplication::setWindowIcon(Art::appIcon(folder.data));
    Form1 form(platform, folder);
    installCommands(form);
    installDialogs(form);
    // Once the first frame is drawn, the font pages it read are not needed again.
    FirstPaint firstPaint([] { releaseFontPages(); });
    form.installEventFilter(&firstPaint);
    // Sound is loaded when the learner first acts (or a file opens at once): the first sounds
    // come from opening a file, and preparing at start would cost every start its memory.
    FirstInput firstInput([&platform] { platform.prepareSound(); });
    if (parser.isSet(openOpt))
        platform.prepareSound();
    else
        qApp->installEventFilter(&firstInput);
    form.show();
    for (const QString& warning : {homeWarning, form.startupWarning()}) {
        if (warning.isEmpty()) continue;
        QTimer::singleShot(0, &form, [&form, &platform, warning] {
            platform.messageBox(&form, warning, MsgIcon::Exclamation, MsgButtons::Ok);
        });
    }
    if (parser.isSet(drillOpt)) {
        const QString lesson = parser.value(drillOpt);
        QTimer::singleShot(0, &form, [&form, lesson] { form.enterDrill(lesson); });
    }
    if (parser.isSet(openOpt)) {
        const QString file = QFileInfo(parser.value(openOpt)).absoluteFilePath();
        QTimer::singleShot(0, &form, [&form, file] {
            // Exactly the conversion's hand-over: a preset name, no dialog.
            form.CD1_FileName = QDir::toNativeSeparators(file);
            form.Image3_Click();
        });
    }
    if (parser.isSet(mistakesOpt)) {
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
