// A compiled stand-in for a Ghostscript taken over by its document that
// reaches beyond what a conversion hands it. Confined as the real one would
// be, it shows what the sandbox lets such a process do.
//
//   pagora_reaching_ghostscript session <socket path> <udp port>
//       prints "env NAME=value" for each variable it got, then tries every
//       call that would reach the user's session, the kernel or a program of
//       its own, one line each: "allowed <call>" or "refused <call> <errno
//       name>". It connects to the named UNIX socket and sends to the UDP
//       port on 127.0.0.1 ("taken over" both times), and last starts a copy
//       of itself from a memory file (or itself by path, with no memory
//       file), which says "allowed execveat".
//   pagora_reaching_ghostscript descriptors
//       for each descriptor from 3 to 1023 that is open: "fd N <kind>" and,
//       for a regular file, what it reads there: "fd N read <bytes>"
//   pagora_reaching_ghostscript links <path>...
//       makes a symbolic link at each path: "allowed symlink <path>" or
//       "refused symlink <path> <errno name>"
#include "ErrorName.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#ifdef __linux__
#include <arpa/inet.h>
#include <linux/netlink.h>
#include <linux/perf_event.h>
#include <netinet/in.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/un.h>
#endif

extern char **environ;

namespace
{

// For calls that return -1 and set errno; the result itself is given back.
long report(const char *call, long result)
{
    if (result == -1)
        std::printf("refused %s %s\n", call, errorName(errno).c_str());
    else
        std::printf("allowed %s\n", call);
    std::fflush(stdout);
    return result;
}

void printEnvironment()
{
    for (char **entry = environ; *entry != nullptr; ++entry)
        std::printf("env %s\n", *entry);
}

#ifdef __linux__
const char kMessage[] = "taken over";

// The user's session: a named UNIX socket (the session bus, an agent) and a
// datagram to a local port. A call on a socket that could not be made gets
// -1, so that a rule of the filter shows as EPERM rather than EBADF.
int reachSession(const char *path, int port)
{
    const int unixSocket = int(report("socket", ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0)));
    sockaddr_un named{};
    named.sun_family = AF_UNIX;
    std::strncpy(named.sun_path, path, sizeof named.sun_path - 1);
    report("connect", ::connect(unixSocket, reinterpret_cast<sockaddr *>(&named), sizeof named));
    iovec data{const_cast<char *>(kMessage), sizeof kMessage - 1};
    msghdr message{};
    message.msg_iov = &data;
    message.msg_iovlen = 1;
    report("sendmsg", ::sendmsg(unixSocket, &message, MSG_NOSIGNAL));

    const int udp = int(report("socket-udp", ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0)));
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(static_cast<uint16_t>(port));
    local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    report("sendto", ::sendto(udp, kMessage, sizeof kMessage - 1, 0,
                              reinterpret_cast<sockaddr *>(&local), sizeof local));
    mmsghdr messages{};
    messages.msg_hdr.msg_name = &local;
    messages.msg_hdr.msg_namelen = sizeof local;
    messages.msg_hdr.msg_iov = &data;
    messages.msg_hdr.msg_iovlen = 1;
    report("sendmmsg", ::sendmmsg(udp, &messages, 1, 0));
    report("socket-netlink", ::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE));
    int pair[2];
    report("socketpair", ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair));
    return udp;
}

// The calls a server would make; on a socket that could not be made the
// kernel answers EBADF, a rule of the filter EPERM.
void serveOn(int socket)
{
    sockaddr_in any{};
    any.sin_family = AF_INET;
    any.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    report("bind", ::bind(socket, reinterpret_cast<sockaddr *>(&any), sizeof any));
    report("listen", ::listen(socket, 1));
    report("accept", ::accept(-1, nullptr, nullptr));
    report("accept4", ::accept4(-1, nullptr, nullptr, SOCK_CLOEXEC));
    char buffer[16];
    report("recvfrom", ::recvfrom(socket, buffer, sizeof buffer, MSG_DONTWAIT, nullptr, nullptr));
    iovec data{buffer, sizeof buffer};
    msghdr message{};
    message.msg_iov = &data;
    message.msg_iovlen = 1;
    report("recvmsg", ::recvmsg(socket, &message, MSG_DONTWAIT));
    mmsghdr messages{};
    messages.msg_hdr = message;
    report("recvmmsg", ::recvmmsg(socket, &messages, 1, MSG_DONTWAIT, nullptr));
}

// Calls that reach into the kernel past the filter's other rules.
void reachKernel()
{
    // struct io_uring_params: 120 bytes, all zero asks for the defaults.
    unsigned char parameters[120] = {};
    report("io_uring_setup", ::syscall(SYS_io_uring_setup, 1, parameters));
    report("io_uring_enter", ::syscall(SYS_io_uring_enter, -1, 0, 0, 0, nullptr, 0));
    report("io_uring_register", ::syscall(SYS_io_uring_register, -1, 0, nullptr, 0));
    report("userfaultfd", ::syscall(SYS_userfaultfd, O_CLOEXEC));
    perf_event_attr attributes{};
    attributes.type = PERF_TYPE_SOFTWARE;
    attributes.size = sizeof attributes;
    attributes.config = PERF_COUNT_SW_TASK_CLOCK;
    attributes.disabled = 1;
    attributes.exclude_kernel = 1;
    report("perf_event_open", ::syscall(SYS_perf_event_open, &attributes, 0, -1, -1, 0));
}

// A copy of this program in a memory file, which no path and so no rule
// names; started with execveat. Without the memory file it starts itself by
// path, which the execute rule grants, to show the call's own rule.
void startCopy(const char *self)
{
    const int memory = int(report("memfd_create", ::memfd_create("copy", 0)));
    // By its path, which the execute rule lets it read; /proc is not granted.
    const int program = ::open(self, O_RDONLY | O_CLOEXEC);
    if (memory >= 0 && program >= 0) {
        char buffer[65536];
        ssize_t got;
        while ((got = ::read(program, buffer, sizeof buffer)) > 0) {
            if (::write(memory, buffer, size_t(got)) != got)
                break;
        }
    }
    char copied[] = "copied";
    char *arguments[] = {const_cast<char *>(self), copied, nullptr};
    if (memory >= 0)
        ::syscall(SYS_execveat, memory, "", arguments, environ, AT_EMPTY_PATH);
    else
        ::syscall(SYS_execveat, AT_FDCWD, self, arguments, environ, 0);
    report("execveat", -1);
}
#endif

int reachOut(const char *self, const char *path, int port)
{
    printEnvironment();
#ifdef __linux__
    serveOn(reachSession(path, port));
    reachKernel();
    startCopy(self);
#else
    (void)self;
    (void)path;
    (void)port;
#endif
    return 0;
}

const char *kindOf(mode_t mode)
{
    if (S_ISREG(mode))
        return "file";
    if (S_ISDIR(mode))
        return "folder";
    if (S_ISFIFO(mode))
        return "pipe";
    if (S_ISSOCK(mode))
        return "socket";
    return "other";
}

int readDescriptors()
{
    for (int fd = 3; fd < 1024; ++fd) {
        struct stat status {
        };
        if (::fstat(fd, &status) != 0)
            continue;
        std::printf("fd %d %s\n", fd, kindOf(status.st_mode));
        char buffer[128];
        ssize_t got = S_ISREG(status.st_mode) ? ::pread(fd, buffer, sizeof buffer, 0) : -1;
        while (got > 0 && buffer[got - 1] == '\n')
            --got;
        if (got > 0)
            std::printf("fd %d read %.*s\n", fd, int(got), buffer);
    }
    return 0;
}

int makeLinks(int count, char **paths)
{
    for (int i = 0; i < count; ++i) {
        if (::symlink("/etc/passwd", paths[i]) == 0)
            std::printf("allowed symlink %s\n", paths[i]);
        else
            std::printf("refused symlink %s %s\n", paths[i], errorName(errno).c_str());
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "session" && argc > 3)
        return reachOut(argv[0], argv[2], std::atoi(argv[3]));
    if (mode == "copied") {
        std::printf("allowed execveat\n");
        return 0;
    }
    if (mode == "descriptors")
        return readDescriptors();
    if (mode == "links")
        return makeLinks(argc - 2, argv + 2);
    std::fprintf(stderr, "usage: %s session <socket> <port> | descriptors | links <path>...\n",
                 argv[0]);
    return 2;
}
