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

QString makePrivateFolder()
{
    const QString base = QDir::tempPath();
#ifdef Q_OS_MACOS
    // macOS hands every user a temporary folder of their own.
    if (isPrivateFolder(QFile::encodeName(base)))
        return base;
#endif
    const QString uid = QString::number(::geteuid());
    const QByteArray wanted = QFile::encodeName(base + QStringLiteral("/pagora-") + uid);
    if (::mkdir(wanted.constData(), 0700) == 0 || errno == EEXIST) {
        if (isPrivateFolder(wanted))
            return QFile::decodeName(wanted);
    }
    // The usual name is taken by somebody else, or is a link: make a fresh one.
    QByteArray pattern = QFile::encodeName(base + QStringLiteral("/pagora-") + uid +
                                           QStringLiteral("-XXXXXX"));
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error(std::string("no private temporary folder: ") +
                                 std::strerror(errno));
    return QFile::decodeName(pattern);
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

ScratchFolder::ScratchFolder()
{
    QByteArray pattern =
        QFile::encodeName(TemporaryFolder().child(QStringLiteral("run-XXXXXX")).nativePath());
#ifdef Q_OS_UNIX
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error(std::string("cannot make a scratch folder: ") +
                                 std::strerror(errno));
#else
    pattern.replace("XXXXXX", QByteArray::number(QDateTime::currentMSecsSinceEpoch()));
    QDir().mkpath(QFile::decodeName(pattern));
#endif
    m_path = QFile::decodeName(pattern);
}

ScratchFolder::~ScratchFolder()
{
    QDir(m_path).removeRecursively();
}
