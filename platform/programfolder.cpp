#include "programfolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace ml {

namespace {

// The one file every program folder has; the window names it at start-up.
const QString kDictionary = QStringLiteral("CiKu.mdb");
const QString kPracticeFolder = QStringLiteral("练习文件");

bool hasDictionary(const QString& folder) {
    return QFileInfo(inFolder(folder, kDictionary)).isFile();
}

QString absolute(const QString& path) {
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

// etc/ beside the prefix's share/, the way installers lay it out: /usr/etc is no place for
// settings, so /usr reads /etc.
QString machineSettingsFor(const QString& executableDir) {
    const QString prefix = QDir::cleanPath(executableDir + QStringLiteral("/.."));
    const QString etc = QFileInfo(prefix).fileName() == QLatin1String("usr")
                            ? QDir::cleanPath(prefix + QStringLiteral("/../etc"))
                            : prefix + QStringLiteral("/etc");
    return inFolder(etc, QString::fromLatin1(kUserFolderName));
}

}  // namespace

QString inFolder(const QString& folder, const QString& relative) {
    QString rel = relative;
    rel.replace(QLatin1Char('\\'), QLatin1Char('/'));
    // The relative part is always taken inside the folder, even when written "\\练习文件\\a.txt".
    while (rel.startsWith(QLatin1Char('/'))) rel.remove(0, 1);
    if (folder.isEmpty()) return rel.isEmpty() ? QString() : QDir::cleanPath(rel);
    if (rel.isEmpty()) return QDir::cleanPath(folder);
    return QDir::cleanPath(folder + QLatin1Char('/') + rel);
}

QString ProgramFolder::settingPath(const QString& relative) const {
    const QString own = homePath(relative);
    if (machine.isEmpty() || QFileInfo::exists(own)) return own;
    const QString shared = inFolder(machine, relative);
    return QFileInfo::exists(shared) ? shared : own;
}

FolderChoice chooseProgramFolder(const FolderEnvironment& env) {
    const QString exeDir = absolute(env.executableDir);
    const QString installedData = inFolder(exeDir, QString::fromLatin1(kInstalledDataDir));
    const bool installed = !hasDictionary(exeDir) && hasDictionary(installedData);
    const QString option = env.homeOption.isEmpty() ? QString() : absolute(env.homeOption);
    if (!installed) return {ProgramFolder(option.isEmpty() ? exeDir : option), false};
    if (!option.isEmpty() && hasDictionary(option)) return {ProgramFolder(option), false};

    QString home = option;
    if (home.isEmpty()) {
        // A relative $XDG_DATA_HOME is to be ignored, as is an empty one.
        QString base = env.xdgDataHome;
        if (base.isEmpty() || QDir::isRelativePath(base)) {
            const QString user = env.userHome.isEmpty() ? QDir::homePath() : env.userHome;
            base = inFolder(user, QStringLiteral(".local/share"));
        }
        home = inFolder(base, QString::fromLatin1(kUserFolderName));
    }
    return {ProgramFolder(home, installedData, machineSettingsFor(exeDir)), true};
}

bool prepareHomeFolder(const ProgramFolder& folder, QString* error) {
    auto fail = [error](const QString& why) {
        if (error) *error = why;
        return false;
    };
    auto cannotMake = [&fail](const QString& dir) {
        return fail(QStringLiteral("无法建立文件夹 %1。").arg(QDir::toNativeSeparators(dir)));
    };
    if (!QFileInfo(folder.home).isDir()) {
        // The learner's progress and texts are theirs alone, as for every folder in
        // $XDG_DATA_HOME.
        if (!QDir().mkpath(folder.home)) return cannotMake(folder.home);
        QFile::setPermissions(folder.home, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    const QString practice = folder.homePath(kPracticeFolder);
    if (QFileInfo::exists(practice)) return true;
    // Made under a temporary name and renamed at the end, so that a first start cut short
    // copies everything again next time instead of leaving a folder with half the texts.
    const QString partial = practice + QStringLiteral(".part");
    QDir(partial).removeRecursively();
    if (!QDir().mkpath(partial)) return cannotMake(practice);
    const QDir bundled(folder.dataPath(kPracticeFolder));
    for (const QFileInfo& text : bundled.entryInfoList(QDir::Files, QDir::Name)) {
        const QString target = partial + QLatin1Char('/') + text.fileName();
        if (!QFile::copy(text.filePath(), target)) {
            QDir(partial).removeRecursively();
            return fail(QStringLiteral("无法把练习文件 %1 复制到 %2。")
                            .arg(text.fileName(), QDir::toNativeSeparators(practice)));
        }
        // Installed data is read-only; the learner's copy is theirs to change.
        QFile::setPermissions(target,
                              QFile::permissions(target) | QFile::WriteOwner | QFile::ReadOwner);
    }
    if (!QDir().rename(partial, practice)) {
        QDir(partial).removeRecursively();
        return cannotMake(practice);
    }
    return true;
}

}  // namespace ml
