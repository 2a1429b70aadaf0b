#pragma once

#include <QString>

struct CommandLine;

// Pagora --watch W...: watches each folder until SIGTERM or SIGINT, one line
// per file on standard output; returns the exit status (0 after a signal, 2
// when a folder cannot be watched). Needs the application object.
int RunWatchFolders(const CommandLine &command, const QString &ghostscriptPath);
