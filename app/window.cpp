// The entry point of the window module, which the executable loads to show the window.
#include <QtGlobal>

#include "app/app.h"

extern "C" Q_DECL_EXPORT int ml_run_window(int argc, char** argv) { return ml::runApp(argc, argv); }
