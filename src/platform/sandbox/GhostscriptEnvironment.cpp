#include "platform/sandbox/GhostscriptEnvironment.h"

#include <QStringList>

namespace
{

// Handed on as this program has them. PATH as every process expects one,
// though the child may start nothing but Ghostscript; HOME is where fontconfig
// finds the user's fonts and caches, which the sandbox grants by the same
// home; the locale keeps fontconfig's language and the C library's file
// name encoding those of this program. LANGUAGE is left out: it only picks
// gettext catalogues, and Ghostscript has none.
//
// Also left out: FONTCONFIG_FILE and FONTCONFIG_PATH, and the XDG_
// folders. The sandbox grants fontconfig's configuration in the system's
// folders, and the user's fonts and caches at their usual places in HOME,
// only: a configuration of the user's elsewhere could not be read, and
// fontconfig would put its error into every transcript. The installed
// fonts a conversion needs are handed over by descriptor, not found by
// Ghostscript's fontconfig.
bool handedOn(const QString &name)
{
    return name == QLatin1String("PATH") || name == QLatin1String("HOME") ||
           name == QLatin1String("LANG") || name.startsWith(QLatin1String("LC_"));
}

} // namespace

QProcessEnvironment GhostscriptEnvironment(const QString &temporaryFolder)
{
    const QProcessEnvironment own = QProcessEnvironment::systemEnvironment();
    QProcessEnvironment environment;
    for (const QString &name : own.keys()) {
        if (handedOn(name))
            environment.insert(name, own.value(name));
    }
    // Under -dSAFER a document may still write and delete files in the
    // temporary folder: it gets the workspace's own. Named relative to the
    // workspace, where Ghostscript runs, so no path outside reaches it.
    // TMP and TEMP are read on Windows alone.
    environment.insert(QStringLiteral("TMPDIR"), temporaryFolder);
#ifdef Q_OS_LINUX
    // Ghostscript's heap on transparent huge pages, where the system gives
    // them on request: a third of the page faults, about a fifth off every
    // conversion and two at a time nearly twice as fast as one, the same
    // PDF. Tunables of the user's own are dropped with the rest of this
    // program's environment: they were set for the session's programs, not
    // measured for Ghostscript, and a run's speed and memory should not
    // depend on where Pagora was started from.
    environment.insert(QStringLiteral("GLIBC_TUNABLES"), QStringLiteral("glibc.malloc.hugetlb=1"));
#endif
    return environment;
}
