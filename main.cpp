// The tutor's entry point. The executable needs Qt Core alone, so that --convert loads no GUI
// library; the window, with Qt's GUI libraries and all it needs, is a module loaded to show it.
#include "app/cli.h"

int main(int argc, char** argv) {
    int rc = 0;
    if (ml::runConvertOnly(argc, argv, &rc)) return rc;
    return ml::runWindowModule(argc, argv);
}
