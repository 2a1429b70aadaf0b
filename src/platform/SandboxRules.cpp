#include "platform/SandboxRules.h"

#include <QFileInfo>

namespace
{

QString realPath(const QString &path)
{
    if (path.isEmpty())
        return QString();
    // canonicalFilePath() resolves every link on the way and is empty for a
    // path that does not exist.
    return QFileInfo(path).canonicalFilePath();
}

QStringList realPaths(const QStringList &paths)
{
    QStringList result;
    for (const QString &path : paths) {
        const QString real = realPath(path);
        if (!real.isEmpty() && !result.contains(real))
            result << real;
    }
    return result;
}

} // namespace

SandboxRules SandboxRules::resolved() const
{
    SandboxRules rules;
    rules.executable = realPath(executable);
    rules.workspace = realPath(workspace);
    rules.readableFiles = realPaths(readableFiles);
    rules.readableFolders = realPaths(readableFolders);
    rules.fontFolders = realPaths(fontFolders);
    return rules;
}

QStringList SandboxRules::foldersOfFontPath(const QString &fontPath)
{
    return fontPath.split(QLatin1Char(':'), Qt::SkipEmptyParts);
}
