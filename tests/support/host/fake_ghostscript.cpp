// A compiled stand-in for Ghostscript, so that the probe confines it as it
// would the real one: it answers as Ghostscript does and, before that, tries
// to create the file named by PAGORA_ESCAPE (a place outside its workspace),
// saying whether it could. Usage: pagora_fake_ghostscript -version
#include <cstdio>
#include <cstdlib>

#include <fcntl.h>
#include <unistd.h>

int main()
{
    if (const char *escape = std::getenv("PAGORA_ESCAPE")) {
        const int fd = ::open(escape, O_WRONLY | O_CREAT | O_TRUNC, 0600);
        std::printf(fd >= 0 ? "wrote outside\n" : "kept inside\n");
        if (fd >= 0)
            ::close(fd);
    }
    std::printf("GPL Ghostscript 10.00.0 (stand-in)\n");
    return 0;
}
