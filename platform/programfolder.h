#pragma once
// The program folder: the folder of the executable, unless --home names another. Everything the
// tutor reads or writes by itself lies in it. An installed tutor splits it in two: the learner's
// own folder, which it writes, and the shared read-only data (dictionary, pictures, sounds, help
// texts) installed for every user.

#include <QString>

namespace ml {

// Joins the program folder and a relative path written with either separator.
QString inFolder(const QString& folder, const QString& relative);

struct ProgramFolder {
    ProgramFolder() = default;
    // A portable program folder: one folder for both.
    ProgramFolder(const QString& both) : home(both), data(both) {}  // NOLINT: implicit on purpose
    ProgramFolder(const QString& home, const QString& data, const QString& machine = {})
        : home(home), data(data), machine(machine) {}

    QString homePath(const QString& relative) const { return inFolder(home, relative); }
    QString dataPath(const QString& relative) const { return inFolder(data, relative); }
    // A setting file the learner may keep in their own folder and a teacher may set for every
    // user of the machine: the learner's file when it exists (or when there is no machine-wide
    // folder), else the machine-wide one when that exists, else the learner's (to be created).
    QString settingPath(const QString& relative) const;

    QString home;     // written: "config", progress, practice files, the record
    QString data;     // read only
    QString machine;  // read only: settings for every user; empty for a portable folder
};

// What start-up knows when it chooses the folders.
struct FolderEnvironment {
    QString homeOption;     // --home DIR; empty when not given
    QString executableDir;  // the folder of the running executable
    QString xdgDataHome;    // $XDG_DATA_HOME
    QString userHome;       // $HOME
};

// The data of an installed tutor, relative to its executable's folder (bin/ → share/).
inline constexpr const char* kInstalledDataDir = "../share/molan-tutor";
// The learner's own folder of an installed tutor, inside $XDG_DATA_HOME.
inline constexpr const char* kUserFolderName = "molan-tutor";

struct FolderChoice {
    ProgramFolder folder;
    // The data is the installed copy, and home the learner's own folder, which may still have to
    // be made (prepareHomeFolder).
    bool installed = false;
};

// The executable's folder is a portable program folder, for everything, unless --home names
// another; that is the build's folder and any copy of it. An executable with no dictionary
// beside it that finds one in kInstalledDataDir is installed: it reads that data and writes into
// --home DIR (or, when DIR holds a dictionary of its own, uses DIR for both) or else into
// $XDG_DATA_HOME/molan-tutor (~/.local/share/molan-tutor), and takes the machine-wide settings
// from etc/molan-tutor of its prefix (/etc/molan-tutor for /usr). Decides only; makes nothing.
FolderChoice chooseProgramFolder(const FolderEnvironment& env);

// Makes an installed tutor's home ready: the folder itself, and on its first use "练习文件" with
// copies of the bundled practice texts that the learner can change and add to. A folder that
// already holds "练习文件" is left as it is. Returns false with a reason when the folder cannot be
// made or a text cannot be copied; "练习文件" then does not exist, so the next start tries again.
bool prepareHomeFolder(const ProgramFolder& folder, QString* error);

}  // namespace ml
