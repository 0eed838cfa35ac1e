#pragma once
// The record's schema, as an ordered list of steps. The file's `PRAGMA user_version` says how
// many steps it has taken; opening it for writing takes the missing ones, each in a transaction of
// its own together with the new version number, so a file is always at one version or the next.
//
// To change the schema, append a step: never edit or reorder one that has shipped, since files out
// there have taken it.

#include <QString>
#include <functional>
#include <vector>

struct sqlite3;

namespace ml::record {

struct Migration {
    int version;      // the file's version once this step is taken: the previous step's + 1
    const char* sql;  // statements to run; may be null when `run` does the work
    // Work that SQL alone cannot express; false (with a reason) rolls the step back.
    std::function<bool(sqlite3*, QString* why)> run = {};
};

const std::vector<Migration>& migrations();
// The version this build writes: that of the last step.
int schemaVersion();

}  // namespace ml::record
