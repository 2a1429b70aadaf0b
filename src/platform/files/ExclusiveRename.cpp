#include "platform/files/ExclusiveRename.h"

#include <cerrno>

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>
#ifdef Q_OS_LINUX
#include <sys/syscall.h>
#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0)
#endif
#endif

bool RenameWithoutReplacing(int fromFolder, const QByteArray &name, int toFolder,
                            const QByteArray &newName)
{
#if defined(Q_OS_LINUX)
    if (::syscall(SYS_renameat2, fromFolder, name.constData(), toFolder, newName.constData(),
                  RENAME_NOREPLACE) == 0)
        return true;
    // A file system without the flag: a second name for the entry, which
    // fails on one that is there, then the first name goes. A folder cannot
    // be moved this way.
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    if (::linkat(fromFolder, name.constData(), toFolder, newName.constData(), 0) != 0)
        return false;
    return ::unlinkat(fromFolder, name.constData(), 0) == 0;
#elif defined(Q_OS_MACOS)
    return ::renameatx_np(fromFolder, name.constData(), toFolder, newName.constData(),
                          RENAME_EXCL) == 0;
#else
    if (::linkat(fromFolder, name.constData(), toFolder, newName.constData(), 0) != 0)
        return false;
    return ::unlinkat(fromFolder, name.constData(), 0) == 0;
#endif
}

QString NumberedName(const QString &name, int number)
{
    if (number <= 1)
        return name;
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    // A leading dot names a hidden file, not a suffix.
    const qsizetype at = dot > 0 ? dot : name.size();
    return name.left(at) + QStringLiteral(" (%1)").arg(number) + name.mid(at);
}
