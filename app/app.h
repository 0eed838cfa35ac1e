#pragma once

namespace ml {
// Parses the command line and runs the tutor; returns the process exit code.
int runApp(int argc, char** argv);
}
