#include "platform/files/FolderTree.h"

#include <cerrno>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

// Deeper folders are not walked: each level holds two descriptors. Nothing
// this program runs makes folders deeper than a few.
constexpr int kDeepestFolder = 64;
// Removing entries while the folder is read may hide others on some file
// systems: the folder is read again until it is empty.
constexpr int kRemovalPasses = 3;

// Closes the descriptor when it goes.
struct Held {
    int descriptor;
    explicit Held(int fd) : descriptor(fd) {}
    Held(const Held &) = delete;
    Held &operator=(const Held &) = delete;
    ~Held()
    {
        if (descriptor >= 0)
            ::close(descriptor);
    }
};

// Calls visit(name, status) for every entry of folder, links not followed;
// false when an entry could not be read or visit returned false. An entry
// that is gone by the time it is looked at is passed over.
template <typename Visit> bool forEachEntry(int folder, Visit visit)
{
    // A description of its own: the directory stream moves its offset.
    const int own = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (own < 0)
        return false;
    DIR *entries = ::fdopendir(own);
    if (entries == nullptr) {
        ::close(own);
        return false;
    }
    bool complete = true;
    while (const dirent *entry = ::readdir(entries)) {
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0)
            continue;
        struct stat st = {};
        if (::fstatat(folder, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno != ENOENT)
                complete = false;
            continue;
        }
        if (!visit(entry->d_name, st))
            complete = false;
    }
    ::closedir(entries);
    return complete;
}

bool removeContents(int folder, int depth)
{
    return forEachEntry(folder, [folder, depth](const char *name, const struct stat &st) {
        if (!S_ISDIR(st.st_mode))
            return ::unlinkat(folder, name, 0) == 0 || errno == ENOENT;
        const Held inner(OpenSubfolder(folder, name));
        if (inner.descriptor < 0)
            return errno == ENOENT;
        if (depth >= kDeepestFolder)
            return false;
        for (int pass = 0; pass < kRemovalPasses; ++pass) {
            removeContents(inner.descriptor, depth + 1);
            if (::unlinkat(folder, name, AT_REMOVEDIR) == 0 || errno == ENOENT)
                return true;
            if (errno != ENOTEMPTY && errno != EEXIST)
                return false;
        }
        return false;
    });
}

qint64 diskUse(int folder, int depth)
{
    qint64 total = 0;
    const bool read = forEachEntry(folder, [&](const char *name, const struct stat &st) {
        total += qint64(st.st_blocks) * 512;
        if (!S_ISDIR(st.st_mode))
            return true;
        const Held inner(OpenSubfolder(folder, name));
        if (inner.descriptor < 0)
            return errno == ENOENT;
        if (depth >= kDeepestFolder)
            return false;
        const qint64 below = diskUse(inner.descriptor, depth + 1);
        total += qMax<qint64>(below, 0);
        return below >= 0;
    });
    return read ? total : -1;
}

} // namespace

int OpenSubfolder(int parent, const char *name)
{
    return ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

QList<QByteArray> FolderEntries(int folder)
{
    QList<QByteArray> names;
    forEachEntry(folder, [&names](const char *name, const struct stat &) {
        names.append(QByteArray(name));
        return true;
    });
    return names;
}

bool RemoveFolderContents(int folder)
{
    return removeContents(folder, 0);
}

bool RemoveFolder(int parent, const char *name, int folder)
{
    struct stat held = {};
    if (::fstat(folder, &held) != 0)
        return false;
    for (int pass = 0; pass < kRemovalPasses; ++pass) {
        removeContents(folder, 0);
        // The name is removed only while it still stands for this folder.
        struct stat named = {};
        if (::fstatat(parent, name, &named, AT_SYMLINK_NOFOLLOW) != 0)
            return errno == ENOENT && RemoveFolderContents(folder);
        if (named.st_dev != held.st_dev || named.st_ino != held.st_ino)
            return RemoveFolderContents(folder);
        if (::unlinkat(parent, name, AT_REMOVEDIR) == 0)
            return true;
        if (errno != ENOTEMPTY && errno != EEXIST)
            return false;
    }
    return false;
}

qint64 FolderDiskUse(int folder)
{
    return diskUse(folder, 0);
}
