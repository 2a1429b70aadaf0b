#include "platform/files/TemporaryFolder.h"

#include "platform/files/FolderTree.h"
#include "platform/text/PlatformTexts.h"
#include "platform/text/ProgramFailure.h"
#include "platform/text/SystemErrorText.h"

#include <QDir>
#include <QFile>
#include <QMutex>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <deque>
#include <stdexcept>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

// Links followed on the way to a folder, at most, as the kernel's own limit.
constexpr int kMostLinks = 40;

// Owns a descriptor and closes it when it goes, unless it was given up.
class Held
{
public:
    explicit Held(int descriptor = -1) : m_descriptor(descriptor) {}
    Held(Held &&other) noexcept : m_descriptor(other.release()) {}
    Held &operator=(Held &&other) noexcept
    {
        std::swap(m_descriptor, other.m_descriptor);
        return *this;
    }
    ~Held()
    {
        if (m_descriptor >= 0)
            ::close(m_descriptor);
    }
    int get() const { return m_descriptor; }
    int release() { return std::exchange(m_descriptor, -1); }

private:
    int m_descriptor;
};

// True when only root and this user can add, rename or remove entries of
// the folder: with the sticky bit, others may write it but touch only
// entries of their own.
bool othersCannotChange(const struct stat &st)
{
    return (st.st_uid == 0 || st.st_uid == ::geteuid()) &&
           ((st.st_mode & (S_IWGRP | S_IWOTH)) == 0 || (st.st_mode & S_ISVTX) != 0);
}

// True when folder is a folder of this user that nobody else may enter,
// its mode tightened to 0700 first if tighten.
bool isOwnPrivate(int folder, bool tighten)
{
    struct stat st = {};
    if (::fstat(folder, &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid())
        return false;
    return (st.st_mode & 077) == 0 || (tighten && ::fchmod(folder, 0700) == 0);
}

// A walk down from "/": the folders entered so far, held open, with their
// names, and the names still to walk.
class TrustedWalk
{
public:
    // Enters "/" and walks the names of path from there.
    bool walk(const QByteArray &path, bool create)
    {
        if (!enter(::open("/", O_RDONLY | O_DIRECTORY | O_CLOEXEC)))
            return false;
        const QList<QByteArray> given = path.split('/');
        m_pending.assign(given.cbegin(), given.cend());
        while (!m_pending.empty()) {
            const QByteArray name = m_pending.front();
            m_pending.pop_front();
            if (name.isEmpty() || name == ".")
                continue;
            if (name == "..")
                climb();
            else if (!step(name, create))
                return false;
        }
        return true;
    }

    // The path walked, links resolved.
    QByteArray path() const
    {
        QByteArray walked("/");
        for (const QByteArray &name : m_names)
            walked += (walked.size() > 1 ? "/" : "") + name;
        return walked;
    }

    int release() { return m_folders.back().release(); }

private:
    // Holds the descriptor, and accepts it only as a folder no other user
    // can change.
    bool enter(int descriptor)
    {
        if (descriptor < 0)
            return false;
        m_folders.emplace_back(descriptor);
        struct stat st = {};
        if (::fstat(descriptor, &st) != 0)
            return false;
        if (!S_ISDIR(st.st_mode) || !othersCannotChange(st)) {
            errno = EPERM;
            return false;
        }
        return true;
    }

    // Never above "/", as the kernel does.
    void climb()
    {
        if (m_folders.size() > 1) {
            m_folders.pop_back();
            m_names.pop_back();
        }
    }

    // Into the folder name in the current one, made first if missing and
    // create; what does not open as a folder may be a link to follow.
    bool step(const QByteArray &name, bool create)
    {
        const int parent = m_folders.back().get();
        int descriptor = OpenSubfolder(parent, name.constData());
        if (descriptor < 0 && errno == ENOENT && create) {
            if (::mkdirat(parent, name.constData(), 0700) != 0 && errno != EEXIST)
                return false;
            descriptor = OpenSubfolder(parent, name.constData());
        }
        if (descriptor < 0)
            return followLink(parent, name);
        if (!enter(descriptor))
            return false;
        m_names.push_back(name);
        return true;
    }

    // Follows the link name in parent: its target's names are walked next,
    // from "/" again for an absolute one. A name that is no link keeps the
    // error of the failed open.
    bool followLink(int parent, const QByteArray &name)
    {
        const int error = errno;
        struct stat link = {};
        if (::fstatat(parent, name.constData(), &link, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISLNK(link.st_mode)) {
            errno = error;
            return false;
        }
        // In a sticky folder the link's owner could point it elsewhere.
        if (link.st_uid != 0 && link.st_uid != ::geteuid()) {
            errno = EPERM;
            return false;
        }
        char target[4096];
        const ssize_t length = ::readlinkat(parent, name.constData(), target, sizeof target);
        if (++m_links > kMostLinks || length <= 0 || length == ssize_t(sizeof target)) {
            errno = ELOOP;
            return false;
        }
        const QByteArray to(target, length);
        const QList<QByteArray> parts = to.split('/');
        m_pending.insert(m_pending.begin(), parts.cbegin(), parts.cend());
        if (to.startsWith('/')) {
            m_folders.resize(1);
            m_names.clear();
        }
        return true;
    }

    std::vector<Held> m_folders;
    std::vector<QByteArray> m_names;
    std::deque<QByteArray> m_pending;
    int m_links = 0;
};

// Opens the folder at the absolute path, walking from "/" one folder at a
// time, each opened without following a link and checked on its descriptor
// to be one no other user can change; a link on the way is followed only
// when it belongs to root or this user. With create, missing folders are
// made (mode 0700). The path walked, links resolved, goes to resolved.
// -1 with errno set when the way is not safe or not there.
int openTrustedFolder(const QByteArray &path, bool create, QByteArray *resolved)
{
    if (!path.startsWith('/')) {
        errno = EINVAL;
        return -1;
    }
    TrustedWalk way;
    if (!way.walk(path, create))
        return -1;
    *resolved = way.path();
    return way.release();
}

QByteArray absoluteVariable(const char *name)
{
    const QByteArray value = qgetenv(name);
    return value.startsWith('/') ? value : QByteArray();
}

QByteArray homeFolder()
{
    QByteArray home = absoluteVariable("HOME");
    if (home.isEmpty()) {
        passwd entry{};
        passwd *found = nullptr;
        char buffer[4096];
        if (::getpwuid_r(::geteuid(), &entry, buffer, sizeof buffer, &found) == 0 &&
            found != nullptr && found->pw_dir != nullptr)
            home = QByteArray(found->pw_dir);
    }
    return home.startsWith('/') ? home : QByteArray();
}

// Where the private folder goes: the folder it goes in, held open, and its
// usual name there.
struct Location {
    Held base;
    QByteArray path;
    QByteArray name;
};

Location chooseLocation()
{
    const QByteArray ownName = "pagora-" + QByteArray::number(::geteuid());
    // A relative TMPDIR would put the folder wherever the program happened to
    // be started (as root from "/": "/pagora-0").
    QByteArray wanted = absoluteVariable("TMPDIR");
    if (wanted.isEmpty())
        wanted = "/tmp";
    Location where;
    where.base = Held(openTrustedFolder(wanted, false, &where.path));
    if (where.base.get() >= 0) {
        where.name = ownName;
        return where;
    }
    const QByteArray runtime = absoluteVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty()) {
        where.base = Held(openTrustedFolder(runtime, false, &where.path));
        if (where.base.get() >= 0 && isOwnPrivate(where.base.get(), false)) {
            where.name = ownName;
            return where;
        }
    }
    QByteArray cache = absoluteVariable("XDG_CACHE_HOME");
    if (cache.isEmpty() && !homeFolder().isEmpty())
        cache = homeFolder() + "/.cache";
    if (!cache.isEmpty()) {
        where.base = Held(openTrustedFolder(cache, true, &where.path));
        if (where.base.get() >= 0) {
            where.name = "pagora";
            return where;
        }
    }
    throw ProgramFailure(PlatformTexts::kNoOwnTemporaryFolder.arg(QFile::decodeName(wanted)));
}

// The folder name in base, made if missing: a descriptor of it when it is
// this user's own private folder, else -1.
int openPrivate(int base, const QByteArray &name)
{
    if (::mkdirat(base, name.constData(), 0700) != 0 && errno != EEXIST)
        return -1;
    Held folder(OpenSubfolder(base, name.constData()));
    if (folder.get() < 0 || !isOwnPrivate(folder.get(), true))
        return -1;
    return folder.release();
}

bool sameFolder(int one, int other)
{
    struct stat a = {};
    struct stat b = {};
    return ::fstat(one, &a) == 0 && ::fstat(other, &b) == 0 && a.st_dev == b.st_dev &&
           a.st_ino == b.st_ino;
}

// The folder made when the usual name is somebody else's: made once per run
// of the program, not once for every call, and removed when it ends.
struct Fallback {
    QMutex mutex;
    Held base;
    QByteArray name;

    ~Fallback() { forget(); }
    void forget()
    {
        if (base.get() >= 0) {
            const Held folder(OpenSubfolder(base.get(), name.constData()));
            if (folder.get() >= 0 && isOwnPrivate(folder.get(), false))
                RemoveFolder(base.get(), name.constData(), folder.get());
        }
        base = Held();
        name.clear();
    }
};

QByteArray randomSuffix()
{
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QByteArray suffix;
    for (int i = 0; i < 8; ++i)
        suffix += letters[QRandomGenerator::global()->bounded(int(sizeof letters - 1))];
    return suffix;
}

int openFallback(const Location &where, QByteArray *name)
{
    static Fallback made;
    const QMutexLocker lock(&made.mutex);
    if (made.base.get() >= 0 && sameFolder(made.base.get(), where.base.get())) {
        const int folder = openPrivate(where.base.get(), made.name);
        if (folder >= 0) {
            *name = made.name;
            return folder;
        }
    }
    made.forget();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray candidate = where.name + '-' + randomSuffix();
        if (::mkdirat(where.base.get(), candidate.constData(), 0700) != 0) {
            if (errno == EEXIST)
                continue;
            return -1;
        }
        Held folder(OpenSubfolder(where.base.get(), candidate.constData()));
        if (folder.get() < 0 || !isOwnPrivate(folder.get(), true))
            return -1;
        made.base = Held(::fcntl(where.base.get(), F_DUPFD_CLOEXEC, 0));
        made.name = candidate;
        *name = candidate;
        return folder.release();
    }
    errno = EEXIST;
    return -1;
}

} // namespace

PrivateFolder::PrivateFolder()
{
#ifdef Q_OS_MACOS
    // macOS hands every user a temporary folder of their own; one the user
    // chose instead is not made private behind their back.
    QByteArray systemPath;
    Held system(openTrustedFolder(QFile::encodeName(QDir::tempPath()), false, &systemPath));
    if (system.get() >= 0 && isOwnPrivate(system.get(), false)) {
        m_descriptor = system.release();
        m_path = QFile::decodeName(systemPath);
        return;
    }
#endif
    const Location where = chooseLocation();
    QByteArray name = where.name;
    m_descriptor = openPrivate(where.base.get(), name);
    if (m_descriptor < 0)
        m_descriptor = openFallback(where, &name);
    if (m_descriptor < 0) {
        const QString why = SystemErrorText(errno);
        throw ProgramFailure(
            PlatformTexts::kNoPrivateTemporaryFolder.arg(QFile::decodeName(where.path), why));
    }
    m_path = QFile::decodeName(where.path == "/" ? "/" + name : where.path + '/' + name);
}

PrivateFolder::~PrivateFolder()
{
    if (m_descriptor >= 0)
        ::close(m_descriptor);
}

FolderItem TemporaryFolder()
{
    return FolderItem(PrivateFolder().path());
}
