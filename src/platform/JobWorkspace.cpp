#include "platform/JobWorkspace.h"

#include "platform/TemporaryFolder.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <stdexcept>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

const QString kPrefix = QStringLiteral("job-");
const char kLockName[] = ".lock";

[[noreturn]] void fail(const char *what)
{
    throw std::runtime_error(std::string(what) + ": " + std::strerror(errno));
}

} // namespace

JobWorkspace::JobWorkspace()
{
#ifdef Q_OS_UNIX
    QByteArray pattern =
        QFile::encodeName(TemporaryFolder().child(kPrefix + QStringLiteral("XXXXXX")).nativePath());
    if (::mkdtemp(pattern.data()) == nullptr)
        fail("no workspace");
    m_path = QFile::decodeName(pattern);
    m_folder = ::open(pattern.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (m_folder < 0) {
        const int error = errno;
        QDir(m_path).removeRecursively();
        errno = error;
        fail("no workspace");
    }
    // Held as long as this object lives; it goes with the process however it ends.
    m_lock = ::openat(m_folder, kLockName, O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                      0600);
    if (m_lock < 0 || ::flock(m_lock, LOCK_EX | LOCK_NB) != 0 ||
        ::mkdirat(m_folder, QFile::encodeName(temporaryName()).constData(), 0700) != 0) {
        const int error = errno;
        release();
        errno = error;
        fail("no workspace");
    }
#else
    m_path = TemporaryFolder().child(kPrefix + QString::number(qHash(this))).nativePath();
    QDir().mkpath(m_path + QStringLiteral("/tmp"));
#endif
}

JobWorkspace::~JobWorkspace()
{
    release();
}

void JobWorkspace::release()
{
    if (!m_path.isEmpty())
        QDir(m_path).removeRecursively();
#ifdef Q_OS_UNIX
    if (m_folder >= 0)
        ::close(m_folder);
    if (m_lock >= 0)
        ::close(m_lock);
#endif
    m_folder = m_lock = -1;
    m_path.clear();
}

QString JobWorkspace::filePath(const QString &name) const
{
    return m_path + QLatin1Char('/') + name;
}

QString JobWorkspace::inputName(const QString &inputPath)
{
    // Ghostscript reads an ".eps" input as a figure; the name keeps that.
    return inputPath.endsWith(QLatin1String(".eps"), Qt::CaseInsensitive)
               ? QStringLiteral("input.eps")
               : QStringLiteral("input.ps");
}

void RemoveStaleWorkspaces()
{
#ifdef Q_OS_UNIX
    QString base;
    try {
        base = TemporaryFolder().nativePath();
    } catch (const std::exception &) {
        return;
    }
    const QStringList names = QDir(base).entryList({kPrefix + QLatin1Char('*')},
                                                   QDir::Dirs | QDir::Hidden | QDir::NoSymLinks);
    for (const QString &name : names) {
        const QString path = base + QLatin1Char('/') + name;
        const int folder =
            ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (folder < 0)
            continue;
        const int lock = ::openat(folder, kLockName, O_RDWR | O_NOFOLLOW | O_CLOEXEC);
        // A workspace without its lock was cut off while it was being made,
        // unless it is being made right now.
        struct stat st {};
        const bool stale = lock >= 0 ? ::flock(lock, LOCK_EX | LOCK_NB) == 0
                                     : errno == ENOENT && ::fstat(folder, &st) == 0 &&
                                           st.st_mtime < ::time(nullptr) - 60;
        if (stale)
            QDir(path).removeRecursively();
        if (lock >= 0)
            ::close(lock);
        ::close(folder);
    }
#endif
}
