#include "platform/files/OutputFolder.h"

#include "platform/files/FileDescriptor.h"
#include "platform/files/FileNameEncoding.h"
#include "platform/text/SystemErrorText.h"

#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <optional>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif
#ifdef Q_OS_LINUX
#include <sys/sendfile.h>
#endif

namespace {

constexpr qsizetype kNameMax = 255;

QString systemError(int error = errno)
{
    return SystemErrorText(error);
}

#ifdef Q_OS_UNIX
class Descriptor
{
public:
    explicit Descriptor(int fd = -1) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

// The permission bits for the placed file: those of the regular file of
// this user's that it replaces (a private PDF stays private), else those of a
// new file. A file another user planted in a shared folder lends it nothing:
// its 0666 would make this user's PDF writable by everybody.
mode_t placedMode(int folder, const QByteArray &name)
{
    struct stat st {};
    if (::fstatat(folder, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISREG(st.st_mode) && st.st_uid == ::geteuid())
        return st.st_mode & 0777;
    return mode_t(NewFileMode());
}

// How much is copied between two looks at the stop flag: a cancel is heard
// within a few milliseconds however large the PDF.
constexpr size_t kCopyBlock = size_t(1) << 20;

bool stopped(const std::atomic<bool> *stop)
{
    if (stop == nullptr || !stop->load())
        return false;
    errno = ECANCELED;
    return true;
}

bool writeAll(int to, const char *bytes, ssize_t size)
{
    for (ssize_t written = 0; written < size;) {
        const ssize_t n = ::write(to, bytes + written, size_t(size - written));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        written += n;
    }
    return true;
}

// Copies the next block; the bytes copied, 0 at the end, -1 on an error.
ssize_t copyBlock(int from, int to)
{
#ifdef Q_OS_LINUX
    const ssize_t sent = ::sendfile(to, from, nullptr, kCopyBlock);
    if (sent >= 0 || (errno != EINVAL && errno != ENOSYS))
        return sent;
#endif
    char buffer[1 << 16];
    ssize_t got;
    do {
        got = ::read(from, buffer, sizeof buffer);
    } while (got < 0 && errno == EINTR);
    if (got <= 0)
        return got;
    return writeAll(to, buffer, got) ? got : -1;
}

bool copyAll(int from, int to, const std::atomic<bool> *stop)
{
    for (;;) {
        if (stopped(stop))
            return false;
        const ssize_t copied = copyBlock(from, to);
        if (copied == 0)
            return true;
        if (copied < 0)
            return false;
    }
}

// A hidden name beside the target that fits the file system's limit.
QByteArray siblingName(const QString &target)
{
    QString stem = target;
    const QString suffix = QStringLiteral(".%1").arg(QRandomGenerator::system()->generate64(), 16,
                                                     16, QLatin1Char('0'));
    while (!stem.isEmpty() && EncodeFileName(QLatin1Char('.') + stem + suffix).size() > kNameMax)
        stem.chop(stem.back().isLowSurrogate() && stem.size() > 1 &&
                          stem.at(stem.size() - 2).isHighSurrogate()
                      ? 2
                      : 1);
    return EncodeFileName(QLatin1Char('.') + stem + suffix);
}

// Where the file goes: the open folder, the target's name in it, the same
// name as text for the hidden names beside it, the file's permission bits,
// and the flag that stops a copy.
struct Destination {
    int folder;
    QByteArray name;
    QString text;
    mode_t mode;
    const std::atomic<bool> *stop;
};

// The copy's bytes and permission bits, written through to the disk before
// it gets the target's name; false too when it was stopped meanwhile, so
// that a cancelled copy never takes the target's name.
bool fillCopy(int file, int copy, const Destination &to)
{
    return copyAll(file, copy, to.stop) && ::fchmod(copy, to.mode) == 0 &&
           ::fsync(copy) == 0 && !stopped(to.stop);
}

bool renameInto(int sourceFolder, const QByteArray &source, int file, const Destination &to,
                QString *error)
{
    // The file was made in this program's private folder, so nobody else
    // can have touched it; the rename replaces the target's entry itself
    // and never writes through a link standing there.
    if (::fchmod(file, to.mode) != 0 ||
        ::renameat(sourceFolder, source.constData(), to.folder, to.name.constData()) != 0) {
        *error = systemError();
        return false;
    }
    return true;
}

#ifdef O_TMPFILE
// An unnamed file gets a name only once it is complete. Whether it was
// placed; nothing when the system has no unnamed files or no /proc to name
// one through, the file then read from its start again for the named way.
std::optional<bool> placeUnnamed(int file, const Destination &to, QString *error)
{
    const Descriptor copy(::openat(to.folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600));
    if (copy.get() < 0)
        return std::nullopt;
    // Stopped before it has a name, the unnamed copy goes with its descriptor.
    if (!fillCopy(file, copy.get(), to)) {
        *error = systemError();
        return false;
    }
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(copy.get());
    const QByteArray sibling = siblingName(to.text);
    if (::linkat(AT_FDCWD, self.constData(), to.folder, sibling.constData(),
                 AT_SYMLINK_FOLLOW) == 0) {
        if (!stopped(to.stop) &&
            ::renameat(to.folder, sibling.constData(), to.folder, to.name.constData()) == 0)
            return true;
        *error = systemError();
        ::unlinkat(to.folder, sibling.constData(), 0);
        return false;
    }
    // No /proc to name it through: the named way.
    ::lseek(file, 0, SEEK_SET);
    return std::nullopt;
}
#endif

// A new name that nobody can have prepared: created exclusively, never
// through a link, and written only through its descriptor.
bool placeNamed(int file, const Destination &to, QString *error)
{
    for (int attempt = 0; attempt < 16; ++attempt) {
        const QByteArray sibling = siblingName(to.text);
        const Descriptor copy(::openat(to.folder, sibling.constData(),
                                       O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (copy.get() < 0) {
            if (errno == EEXIST)
                continue;
            *error = systemError();
            return false;
        }
        if (!fillCopy(file, copy.get(), to) ||
            ::renameat(to.folder, sibling.constData(), to.folder, to.name.constData()) != 0) {
            *error = systemError();
            ::unlinkat(to.folder, sibling.constData(), 0);
            return false;
        }
        return true;
    }
    *error = systemError(EEXIST);
    return false;
}
#endif

} // namespace

bool OutputFolder::open(const QString &folderPath, QString *error)
{
#ifdef Q_OS_UNIX
    // The name's own bytes: Qt's conversion of names loses a byte that is no
    // UTF-8.
    m_folder = ::open(EncodeFileName(AbsoluteFileName(folderPath)).constData(),
                      O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_folder < 0)
        m_openError = systemError();
#else
    Q_UNUSED(folderPath);
    m_openError = QStringLiteral("not supported");
#endif
    if (error != nullptr)
        *error = m_openError;
    return m_openError.isEmpty();
}

OutputFolder::~OutputFolder()
{
#ifdef Q_OS_UNIX
    if (m_folder >= 0)
        ::close(m_folder);
#endif
}

bool OutputFolder::canCreateFiles(QString *error) const
{
    if (!m_openError.isEmpty()) {
        *error = m_openError;
        return false;
    }
#ifdef Q_OS_UNIX
    if (::faccessat(m_folder, ".", W_OK | X_OK, 0) != 0) {
        *error = systemError();
        return false;
    }
#else
    Q_UNUSED(error);
#endif
    return true;
}

bool OutputFolder::isOnFileSystemOf(int sourceFolder) const
{
#ifdef Q_OS_UNIX
    struct stat from {};
    struct stat into {};
    return ::fstat(sourceFolder, &from) == 0 && ::fstat(m_folder, &into) == 0 &&
           from.st_dev == into.st_dev;
#else
    Q_UNUSED(sourceFolder);
    return false;
#endif
}

bool OutputFolder::place(int sourceFolder, const QString &name, const QString &targetName,
                         const std::atomic<bool> *stop, QString *error) const
{
#ifdef Q_OS_UNIX
    const QByteArray source = EncodeFileName(name);
    const QByteArray target = EncodeFileName(targetName);
    const Descriptor file(
        ::openat(sourceFolder, source.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    struct stat from {};
    struct stat into {};
    if (file.get() < 0 || ::fstat(file.get(), &from) != 0 || ::fstat(m_folder, &into) != 0) {
        *error = systemError();
        return false;
    }
    const Destination to{m_folder, target, targetName, placedMode(m_folder, target), stop};
    if (from.st_dev == into.st_dev)
        return renameInto(sourceFolder, source, file.get(), to, error);
#ifdef O_TMPFILE
    if (const std::optional<bool> placed = placeUnnamed(file.get(), to, error))
        return *placed;
#endif
    return placeNamed(file.get(), to, error);
#else
    Q_UNUSED(sourceFolder);
    Q_UNUSED(name);
    Q_UNUSED(targetName);
    Q_UNUSED(stop);
    *error = QStringLiteral("not supported");
    return false;
#endif
}
