#include "platform/files/FileDescriptor.h"

#include "platform/files/FileNameEncoding.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

void FileDescriptor::reset()
{
    if (m_descriptor >= 0)
        ::close(m_descriptor);
    m_descriptor = -1;
}

FileDescriptor OpenRegularFile(const QString &path, OpenFailure *failure, bool linksRefused)
{
    const auto failWith = [failure](OpenFailure::Kind kind, int error = 0) {
        if (failure != nullptr)
            *failure = {kind, error};
        return FileDescriptor();
    };
    FileDescriptor file(::open(EncodeFileName(path).constData(),
                               O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC |
                                   (linksRefused ? O_NOFOLLOW : 0)));
    if (!file.isValid())
        return failWith(OpenFailure::Kind::CannotOpen, errno);
    struct stat st {};
    if (::fstat(file.get(), &st) != 0)
        return failWith(OpenFailure::Kind::CannotOpen, errno);
    if (S_ISDIR(st.st_mode))
        return failWith(OpenFailure::Kind::Folder);
    if (!S_ISREG(st.st_mode))
        return failWith(OpenFailure::Kind::NotRegularFile);
    // Reads of a regular file never wait anyway; whoever inherits the
    // descriptor gets it in its usual blocking mode.
    const int flags = ::fcntl(file.get(), F_GETFL);
    if (flags < 0 || ::fcntl(file.get(), F_SETFL, flags & ~O_NONBLOCK) != 0)
        return failWith(OpenFailure::Kind::CannotOpen, errno);
    if (failure != nullptr)
        *failure = {};
    return file;
}

qint64 FileSize(int descriptor)
{
    struct stat st {};
    return ::fstat(descriptor, &st) == 0 ? qint64(st.st_size) : -1;
}

unsigned NewFileMode()
{
#ifdef Q_OS_UNIX
    static const mode_t mode = [] {
        const mode_t mask = ::umask(0077);
        ::umask(mask);
        return mode_t(0666 & ~mask);
    }();
    return mode;
#else
    return 0666;
#endif
}
