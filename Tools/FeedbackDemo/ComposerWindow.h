#pragma once

#include <QCommandLineParser>

// The composer in a window, presented through the sheet host, driven by the command line (see
// CMakeLists.txt). Returns the process exit code.
int runComposerWindow(const QCommandLineParser &parser);
