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
    ProgramFolder(const QString& home, const QString& data) : home(home), data(data) {}

    QString homePath(const QString& relative) const { return inFolder(home, relative); }
    QString dataPath(const QString& relative) const { return inFolder(data, relative); }

    QString home;  // written: "config", progress, practice files, the record
    QString data;  // read only
};

}  // namespace ml
