#include "platform/sandbox/SandboxRules.h"

#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <climits>
#include <cstdlib>
#endif

namespace
{

QString realPath(const QString &path)
{
    if (path.isEmpty())
        return QString();
        // Resolves every link on the way; fails for a path that does not exist.
#ifdef Q_OS_UNIX
    // Called for every conversion, so without QFileInfo's extra look-ups.
    char real[PATH_MAX];
    if (::realpath(QFile::encodeName(path).constData(), real) == nullptr)
        return QString();
    return QFile::decodeName(real);
#else
    return QFileInfo(path).canonicalFilePath();
#endif
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
    rules.workspaceDescriptor = workspaceDescriptor;
    rules.readableDescriptors = readableDescriptors;
    return rules;
}

QStringList SandboxRules::foldersOfFontPath(const QString &fontPath)
{
    return fontPath.split(QLatin1Char(':'), Qt::SkipEmptyParts);
}

bool SandboxRules::isConfinable(const QString &program)
{
    QFile file(program);
    if (!file.open(QIODevice::ReadOnly))
        return true;
    return !file.read(2).startsWith("#!");
}
