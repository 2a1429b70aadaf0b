#include "install/GhostscriptLocator.h"

#include "platform/files/FolderItem.h"

QString FindGhostscriptExecutable(const QStringList &candidates)
{
    for (const QString &candidate : candidates) {
        if (FolderItem(candidate).exists())
            return candidate;
    }
    return {};
}
