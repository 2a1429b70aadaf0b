#include "platform/TemporaryFolder.h"

#include <QDir>
#include <QDateTime>
#include <QFile>

#include <stdexcept>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

#ifdef Q_OS_UNIX
// True when path is a real folder (not a link) that only this user can enter.
bool isPrivateFolder(const QByteArray &path)
{
    struct stat st {};
    if (::lstat(path.constData(), &st) != 0)
        return false;
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::geteuid())
        return false;
    if ((st.st_mode & 077) != 0 && ::chmod(path.constData(), 0700) != 0)
        return false;
    return true;
}

// Where temporary files go: $TMPDIR when it names an absolute path, else
// /tmp. A relative TMPDIR would put the folder wherever the program happened
// to be started (as root from "/": "/pagora-0").
QString temporaryBase()
{
    const QString fromEnvironment = qEnvironmentVariable("TMPDIR");
    if (fromEnvironment.startsWith(QLatin1Char('/')))
        return QDir::cleanPath(fromEnvironment);
    return QStringLiteral("/tmp");
}

// The folder made when the usual name is taken by somebody else: made once per
// run of the program and removed when it ends, not one more for every call.
struct FallbackFolder {
    QString path;
    ~FallbackFolder()
    {
        if (!path.isEmpty())
            QDir(path).removeRecursively();
    }
};

QString makePrivateFolder()
{
    const QString base = temporaryBase();
#ifdef Q_OS_MACOS
    // macOS hands every user a temporary folder of their own.
    if (isPrivateFolder(QFile::encodeName(QDir::tempPath())))
        return QDir::tempPath();
#endif
    const QString uid = QString::number(::geteuid());
    const QByteArray wanted = QFile::encodeName(base + QStringLiteral("/pagora-") + uid);
    if (::mkdir(wanted.constData(), 0700) == 0 || errno == EEXIST) {
        if (isPrivateFolder(wanted))
            return QFile::decodeName(wanted);
    }
    static FallbackFolder fallback;
    if (fallback.path.startsWith(base + QLatin1Char('/')) &&
        isPrivateFolder(QFile::encodeName(fallback.path)))
        return fallback.path;
    if (!fallback.path.isEmpty())
        QDir(fallback.path).removeRecursively();
    // The usual name is taken by somebody else, or is a link: make a fresh one.
    QByteArray pattern = QFile::encodeName(base + QStringLiteral("/pagora-") + uid +
                                           QStringLiteral("-XXXXXX"));
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error(std::string("no private temporary folder: ") +
                                 std::strerror(errno));
    fallback.path = QFile::decodeName(pattern);
    return fallback.path;
}
#endif

} // namespace

FolderItem TemporaryFolder()
{
#ifdef Q_OS_UNIX
    // Checked on every call: the folder may have been removed since.
    return FolderItem(makePrivateFolder());
#else
    return FolderItem(QDir::tempPath());
#endif
}
