#include "platform/files/JobWorkspace.h"

#include "platform/files/FolderTree.h"
#include "platform/text/PlatformTexts.h"
#include "platform/text/ProgramFailure.h"
#include "platform/text/SystemErrorText.h"

#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <stdexcept>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

const QByteArray kPrefix = QByteArrayLiteral("job-");
const char kLockName[] = ".lock";
// A workspace without its lock younger than this may be being made.
constexpr time_t kUnlockedGraceSeconds = 60;

// Names the private folder the workspace was to go into.
[[noreturn]] void fail(const QString &base)
{
    throw ProgramFailure(PlatformTexts::kNoWorkspace.arg(base, SystemErrorText(errno)));
}

QByteArray randomName()
{
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QByteArray name = kPrefix;
    for (int i = 0; i < 10; ++i)
        name += letters[QRandomGenerator::global()->bounded(int(sizeof letters - 1))];
    return name;
}

// The name as the file system takes it, or empty (errno EINVAL) when it is
// not a plain name in the folder.
QByteArray plainName(const QString &name)
{
    const QByteArray encoded = QFile::encodeName(name);
    if (encoded.isEmpty() || encoded == "." || encoded == ".." || encoded.contains('/') ||
        encoded.contains('\0')) {
        errno = EINVAL;
        return {};
    }
    return encoded;
}

void closeDescriptor(int &descriptor)
{
    if (descriptor >= 0)
        ::close(descriptor);
    descriptor = -1;
}

} // namespace

JobWorkspace::JobWorkspace()
{
    const int base = m_base.descriptor();
    for (int attempt = 0;; ++attempt) {
        m_name = randomName();
        if (::mkdirat(base, m_name.constData(), 0700) == 0)
            break;
        if (errno != EEXIST || attempt > 100)
            fail(m_base.path());
    }
    m_path = m_base.path() + QLatin1Char('/') + QFile::decodeName(m_name);
    m_folder = OpenSubfolder(base, m_name.constData());
    struct stat st = {};
    if (m_folder < 0 || ::fstat(m_folder, &st) != 0 || st.st_uid != ::geteuid() ||
        (st.st_mode & 077) != 0) {
        const int error = m_folder < 0 ? errno : EPERM;
        if (m_folder < 0)
            ::unlinkat(base, m_name.constData(), AT_REMOVEDIR);
        release();
        errno = error;
        fail(m_base.path());
    }
    // Held as long as this object lives; it goes with the process however it ends.
    m_lock =
        ::openat(m_folder, kLockName, O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (m_lock < 0 || ::flock(m_lock, LOCK_EX | LOCK_NB) != 0 ||
        ::mkdirat(m_folder, QFile::encodeName(temporaryName()).constData(), 0700) != 0) {
        const int error = errno;
        release();
        errno = error;
        fail(m_base.path());
    }
}

JobWorkspace::~JobWorkspace()
{
    release();
}

void JobWorkspace::release()
{
    // Through the descriptors held since the folder was made: should its
    // name, or the private folder's, lead elsewhere by now, that is left be.
    if (m_folder >= 0)
        RemoveFolder(m_base.descriptor(), m_name.constData(), m_folder);
    closeDescriptor(m_folder);
    closeDescriptor(m_lock);
}

QString JobWorkspace::filePath(const QString &name) const
{
    return m_path + QLatin1Char('/') + name;
}

int JobWorkspace::openFile(const QString &name, int flags, int mode) const
{
    const QByteArray plain = plainName(name);
    if (plain.isEmpty())
        return -1;
    return ::openat(m_folder, plain.constData(), flags | O_NOFOLLOW | O_CLOEXEC, mode);
}

QString JobWorkspace::writeFile(const QString &name, const QByteArray &bytes) const
{
    removeFile(name);
    errno = 0;
    const int file = openFile(name, O_WRONLY | O_CREAT | O_EXCL);
    qsizetype written = 0;
    while (file >= 0 && written < bytes.size()) {
        const ssize_t done =
            ::write(file, bytes.constData() + written, size_t(bytes.size() - written));
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            break;
        written += done;
    }
    const int error = errno != 0 ? errno : EIO;
    if (file >= 0)
        ::close(file);
    if (file < 0 || written < bytes.size())
        return SystemErrorText(error);
    return {};
}

bool JobWorkspace::removeFile(const QString &name) const
{
    const QByteArray plain = plainName(name);
    return !plain.isEmpty() && (::unlinkat(m_folder, plain.constData(), 0) == 0 || errno == ENOENT);
}

bool JobWorkspace::makeLink(const QString &target, const QString &name) const
{
    const QByteArray plain = plainName(name);
    return !plain.isEmpty() &&
           ::symlinkat(QFile::encodeName(target).constData(), m_folder, plain.constData()) == 0;
}

qint64 JobWorkspace::bytesUsed() const
{
    return FolderDiskUse(m_folder);
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
    try {
        const PrivateFolder base;
        for (const QByteArray &name : FolderEntries(base.descriptor())) {
            if (!name.startsWith(kPrefix))
                continue;
            // A link by that name is no workspace and fails to open.
            const int folder = OpenSubfolder(base.descriptor(), name.constData());
            if (folder < 0)
                continue;
            const int lock =
                ::openat(folder, kLockName, O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
            const int lockError = errno;
            // A workspace without its lock was cut off while it was being made,
            // unless it is being made right now.
            struct stat st = {};
            const bool stale = lock >= 0
                                   ? ::flock(lock, LOCK_EX | LOCK_NB) == 0
                                   : lockError == ENOENT && ::fstat(folder, &st) == 0 &&
                                         st.st_mtime < ::time(nullptr) - kUnlockedGraceSeconds;
            if (stale)
                RemoveFolder(base.descriptor(), name.constData(), folder);
            if (lock >= 0)
                ::close(lock);
            ::close(folder);
        }
    } catch (const std::exception &) {
        // Without a private folder there is nothing of ours to clear.
    }
}
