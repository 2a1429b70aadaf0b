// A compiled stand-in for a Ghostscript taken over by its document: it
// prints what it can read of the file named by PAGORA_READ, or that it was
// denied, and fails. Confined as the real one would be, it shows what the
// sandbox lets a conversion read.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

int main()
{
    const char *path = std::getenv("PAGORA_READ");
    if (path == nullptr)
        return 2;
    const int fd = ::open(path, O_RDONLY);
    if (fd < 0) {
        std::printf("denied: %s\n", std::strerror(errno));
        return 1;
    }
    char buffer[256];
    const ssize_t got = ::read(fd, buffer, sizeof buffer - 1);
    buffer[got > 0 ? got : 0] = '\0';
    std::printf("read: %s\n", buffer);
    ::close(fd);
    return 1;
}
