#include "platform/files/TrustedFile.h"

#include "platform/files/FileNameEncoding.h"

#include <QByteArrayList>

#include <cerrno>
#include <deque>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

// Links followed on the way, at most, as the kernel's own limit.
constexpr int kMostLinks = 40;

// A folder is only passed through: it need not be readable, only searchable.
#if defined(O_PATH)
constexpr int kFolderAccess = O_PATH;
#elif defined(O_SEARCH)
constexpr int kFolderAccess = O_SEARCH;
#else
constexpr int kFolderAccess = O_RDONLY;
#endif

bool isTrustedOwner(uid_t owner)
{
    return owner == 0 || owner == ::geteuid();
}

bool readTarget(int folder, const char *name, QByteArray *target)
{
    char buffer[4096];
    const ssize_t length = ::readlinkat(folder, name, buffer, sizeof buffer);
    if (length < 0)
        return false;
    if (length == 0 || length == ssize_t(sizeof buffer)) {
        errno = length == 0 ? ENOENT : ENAMETOOLONG;
        return false;
    }
    *target = QByteArray(buffer, length);
    return true;
}

// Reads the link name in folder, with the status of the link itself. Where
// the system can open a link as it is, the owner and the target come from the
// same descriptor; elsewhere a link replaced while it was read is not read.
bool readLink(int folder, const QByteArray &name, struct stat *status, QByteArray *target)
{
#if defined(O_PATH)
    const FileDescriptor link(::openat(folder, name.constData(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
    if (!link.isValid() || ::fstat(link.get(), status) != 0)
        return false;
    if (!S_ISLNK(status->st_mode)) {
        errno = EAGAIN;
        return false;
    }
    return readTarget(link.get(), "", target);
#else
    struct stat after {
    };
    if (::fstatat(folder, name.constData(), status, AT_SYMLINK_NOFOLLOW) != 0 ||
        !readTarget(folder, name.constData(), target) ||
        ::fstatat(folder, name.constData(), &after, AT_SYMLINK_NOFOLLOW) != 0)
        return false;
    if (after.st_dev != status->st_dev || after.st_ino != status->st_ino ||
        after.st_uid != status->st_uid || !S_ISLNK(after.st_mode)) {
        errno = EAGAIN;
        return false;
    }
    return true;
#endif
}

// A walk from "/": the folders entered so far, held open, with their names,
// and the names still to walk.
class FileWalk
{
public:
    TrustedFile open(const QByteArray &path)
    {
        if (!path.startsWith('/'))
            return refuse(TrustedFile::Refusal::CannotOpen, EINVAL);
        if (!restart())
            return refuse(TrustedFile::Refusal::CannotOpen, errno);
        const QList<QByteArray> names = path.split('/');
        m_pending.assign(names.cbegin(), names.cend());
        while (!m_pending.empty()) {
            const QByteArray name = m_pending.front();
            m_pending.pop_front();
            if (name.isEmpty() || name == ".")
                continue;
            if (name == "..") {
                climb();
                continue;
            }
            struct stat status {
            };
            if (::fstatat(folder(), name.constData(), &status, AT_SYMLINK_NOFOLLOW) != 0)
                return refuse(TrustedFile::Refusal::CannotOpen, errno);
            if (S_ISLNK(status.st_mode)) {
                if (const TrustedFile::Refusal refusal = follow(name);
                    refusal != TrustedFile::Refusal::None)
                    return refuse(refusal, errno);
            } else if (S_ISDIR(status.st_mode)) {
                if (!enter(name))
                    return refuse(TrustedFile::Refusal::CannotOpen, errno);
            } else {
                return openFile(name, status);
            }
        }
        // The path ends at a folder.
        return refuse(TrustedFile::Refusal::NotRegularFile);
    }

private:
    int folder() const { return m_folders.back().get(); }

    bool restart()
    {
        m_folders.clear();
        m_names.clear();
        m_folders.emplace_back(::open("/", kFolderAccess | O_DIRECTORY | O_CLOEXEC));
        return m_folders.back().isValid();
    }

    // Never above "/", as the kernel does.
    void climb()
    {
        if (m_folders.size() > 1) {
            m_folders.pop_back();
            m_names.pop_back();
        }
    }

    bool enter(const QByteArray &name)
    {
        FileDescriptor next(::openat(folder(), name.constData(),
                                     kFolderAccess | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!next.isValid())
            return false;
        m_folders.push_back(std::move(next));
        m_names.push_back(name);
        return true;
    }

    // The link's target is walked next: a relative one from the link's
    // folder, an absolute one from "/" again.
    TrustedFile::Refusal follow(const QByteArray &name)
    {
        struct stat link {
        };
        QByteArray target;
        if (++m_links > kMostLinks) {
            errno = ELOOP;
            return TrustedFile::Refusal::CannotOpen;
        }
        if (!readLink(folder(), name, &link, &target))
            return TrustedFile::Refusal::CannotOpen;
        if (!isTrustedOwner(link.st_uid))
            return TrustedFile::Refusal::ForeignLink;
        if (target.startsWith('/') && !restart())
            return TrustedFile::Refusal::CannotOpen;
        const QList<QByteArray> names = target.split('/');
        m_pending.insert(m_pending.begin(), names.cbegin(), names.cend());
        return TrustedFile::Refusal::None;
    }

    // The last name: what was looked at is opened and checked again on its
    // descriptor, since it may have been replaced in between.
    TrustedFile openFile(const QByteArray &name, const struct stat &seen)
    {
        for (const QByteArray &rest : m_pending) {
            if (!rest.isEmpty())
                return refuse(TrustedFile::Refusal::CannotOpen, ENOTDIR);
        }
        if (!S_ISREG(seen.st_mode))
            return refuse(TrustedFile::Refusal::NotRegularFile);
        TrustedFile opened;
        opened.file = FileDescriptor(::openat(
            folder(), name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        struct stat status {
        };
        if (!opened.file.isValid() || ::fstat(opened.file.get(), &status) != 0)
            return refuse(TrustedFile::Refusal::CannotOpen, errno);
        if (!S_ISREG(status.st_mode))
            return refuse(TrustedFile::Refusal::NotRegularFile);
        if (!isTrustedOwner(status.st_uid))
            return refuse(TrustedFile::Refusal::ForeignFile);
        // Whoever inherits the descriptor gets it in its usual blocking mode.
        const int flags = ::fcntl(opened.file.get(), F_GETFL);
        if (flags < 0 || ::fcntl(opened.file.get(), F_SETFL, flags & ~O_NONBLOCK) != 0)
            return refuse(TrustedFile::Refusal::CannotOpen, errno);
        QByteArray path;
        for (const QByteArray &folderName : m_names)
            path += '/' + folderName;
        opened.path = DecodeFileName(path + '/' + name);
        return opened;
    }

    static TrustedFile refuse(TrustedFile::Refusal refusal, int error = 0)
    {
        TrustedFile refused;
        refused.refusal = refusal;
        refused.error = refusal == TrustedFile::Refusal::CannotOpen ? error : 0;
        return refused;
    }

    std::vector<FileDescriptor> m_folders;
    std::vector<QByteArray> m_names;
    std::deque<QByteArray> m_pending;
    int m_links = 0;
};

} // namespace

TrustedFile OpenTrustedFile(const QString &path)
{
    return FileWalk().open(EncodeFileName(path));
}
