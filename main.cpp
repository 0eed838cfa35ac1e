// The tutor's entry point: command line, fonts, the program folder, then the main window.
#include <QApplication>
#include <QTimer>

#include "practice/app.h"

int main(int argc, char** argv) { return ml::runApp(argc, argv); }
