#pragma once

#include <QProcessEnvironment>
#include <QString>

// The environment a Ghostscript child starts with, built rather than handed
// on: PATH, HOME and the locale (LANG, LC_ALL and every other LC_ variable)
// as this program has them, TMPDIR pointed at temporaryFolder (named
// relative to the folder Ghostscript runs in) and, on Linux, GLIBC_TUNABLES
// asking for huge pages for its heap. Nothing else of this program's
// environment reaches it: no agent or bus address, no GS_OPTIONS or GS_LIB,
// no LD_PRELOAD.
QProcessEnvironment GhostscriptEnvironment(const QString &temporaryFolder);
