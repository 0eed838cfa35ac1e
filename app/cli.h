#pragma once
// The executable needs Qt Core alone: `--convert SOURCE TARGET` runs here, without loading any
// GUI library; everything else (the window, --help) is the module "molan-tutor-window", loaded
// only then.

#include <QString>
#include <cstdio>

namespace ml {

// Runs `--convert SOURCE TARGET` when that is all the arguments ask for, and sets *exitCode;
// false (nothing done) for any other command line.
bool runConvertOnly(int argc, char** argv, int* exitCode);

// Loads the window module beside the executable (or in ../lib/molan-tutor) and runs the tutor
// there; returns the process exit code. Says on stderr what is missing when it cannot.
int runWindowModule(int argc, char** argv);

}  // namespace ml
