// The tutor's entry point; everything else is in the libraries (app/ puts them together).
#include "app/app.h"

int main(int argc, char** argv) { return ml::runApp(argc, argv); }
