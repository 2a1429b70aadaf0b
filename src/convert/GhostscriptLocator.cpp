#include "convert/GhostscriptLocator.h"

#include "platform/FolderItem.h"
#include "platform/ProcessRunner.h"

QString FindGhostscriptExecutable(const QStringList &candidates)
{
    for (const QString &candidate : candidates) {
        if (FolderItem(candidate).exists())
            return candidate;
    }
    return {};
}

bool IsGhostscriptInstalled(const QStringList &candidates)
{
    for (const QString &candidate : candidates) {
        ProcessRunner shell;
        const QString command = QLatin1Char('"') + candidate + QStringLiteral("\" -version");
        const ProcessResult result = shell.runShell(command);
        if (!result.succeeded())
            continue;
        if (QString::fromUtf8(result.output).contains(QLatin1String("Ghostscript"), Qt::CaseInsensitive))
            return true;
    }
    return false;
}
