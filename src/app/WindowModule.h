#pragma once

// The window lives in a module of its own ("pagora_window"), loaded when the
// program opens a window; the executable itself needs Qt's core alone.
using WindowMainFunction = int (*)(int argc, char **argv);

// Loads the module and runs its window with the program's arguments; returns
// the window's exit status. A module that cannot be loaded is reported on
// standard error, status 1.
int RunWindowModule(int argc, char **argv);
