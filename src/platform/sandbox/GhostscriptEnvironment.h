#pragma once

#include <QProcessEnvironment>
#include <QString>

// The environment a Ghostscript child starts with: this program's, with the
// temporary folder pointed at temporaryFolder (named relative to the folder
// Ghostscript runs in) and, on Linux, its heap on transparent huge pages.
QProcessEnvironment GhostscriptEnvironment(const QString &temporaryFolder);
