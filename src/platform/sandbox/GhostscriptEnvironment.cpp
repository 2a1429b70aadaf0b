#include "platform/sandbox/GhostscriptEnvironment.h"

QProcessEnvironment GhostscriptEnvironment(const QString &temporaryFolder)
{
    // Under -dSAFER a document may still write and delete files in the
    // temporary folder: it gets the workspace's own. Named relative to the
    // workspace, where Ghostscript runs, so no path outside reaches it.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"TMPDIR", "TEMP", "TMP"})
        environment.insert(QString::fromLatin1(name), temporaryFolder);
#ifdef Q_OS_LINUX
    // Ghostscript's heap on transparent huge pages, where the system gives
    // them on request: a third of the page faults, about a fifth off every
    // conversion and two at a time nearly twice as fast as one, the same
    // PDF. A choice of the user's own stays, ours comes after theirs.
    const QString tunablesName = QStringLiteral("GLIBC_TUNABLES");
    const QString hugePages = QStringLiteral("glibc.malloc.hugetlb=1");
    const QString tunables = environment.value(tunablesName);
    if (!tunables.contains(QLatin1String("glibc.malloc.hugetlb")))
        environment.insert(tunablesName, tunables.isEmpty()
                                             ? hugePages
                                             : tunables + QLatin1Char(':') + hugePages);
#endif
    return environment;
}
