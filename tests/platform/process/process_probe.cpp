// A stand-in for a Ghostscript taken over by its document, for the tests of
// the child's confinement and lifetime.
//
//   pagora_process_probe calls   tries each call that would start a process,
//                                hide from a stop or reach into another
//                                process or the kernel, one line each:
//                                "<call> ok" or "<call> <errno name>"
//   pagora_process_probe leave group|session
//                                ignores SIGTERM, moves into the process group
//                                of its parent (group) or a session of its
//                                own (session), says "left <how>" and sleeps
//                                for a minute
//   pagora_process_probe noop    exits at once (what "spawn" starts)

#include "ErrorName.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <system_error>
#include <thread>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#ifdef __linux__
#include <cstdint>
#include <sched.h>
#include <sys/mount.h>
#include <sys/ptrace.h>
#include <sys/syscall.h>
#include <sys/uio.h>
#endif

extern char **environ;

namespace
{

void report(const char *call, int error)
{
    std::printf("%s %s\n", call, error == 0 ? "ok" : errorName(error).c_str());
    std::fflush(stdout);
}

// For calls that return -1 and set errno.
void reportResult(const char *call, long result)
{
    report(call, result == -1 ? errno : 0);
}

// A new process that ends at once: waited for, so that none is left.
void reportChild(const char *call, pid_t pid)
{
    if (pid < 0) {
        report(call, errno);
        return;
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    report(call, 0);
}

int tryCalls(const char *self)
{
    reportChild("fork", [] {
        const pid_t pid = ::fork();
        if (pid == 0)
            ::_exit(0);
        return pid;
    }());
    reportChild("vfork", [] {
        const pid_t pid = ::vfork();
        if (pid == 0)
            ::_exit(0);
        return pid;
    }());
    {
        pid_t pid = -1;
        char noop[] = "noop";
        char *arguments[] = {const_cast<char *>(self), noop, nullptr};
        const int error = ::posix_spawn(&pid, self, nullptr, nullptr, arguments, environ);
        if (error != 0) {
            errno = error;
            pid = -1;
        }
        reportChild("spawn", pid);
    }
    {
        // pthread_create: clone3 first, clone with CLONE_THREAD where the
        // kernel says it has no clone3.
        int error = 0;
        try {
            bool ran = false;
            std::thread thread([&ran] { ran = true; });
            thread.join();
            error = ran ? 0 : EINVAL;
        } catch (const std::system_error &failure) {
            error = failure.code().value();
        }
        report("thread", error);
    }
#ifdef __linux__
    reportChild("clone", [] {
        const long pid = ::syscall(SYS_clone, SIGCHLD, 0, 0, 0, 0);
        if (pid == 0)
            ::_exit(0);
        return static_cast<pid_t>(pid);
    }());
    reportChild("clone3", [] {
        // The first version of the kernel's struct clone_args.
        struct {
            std::uint64_t flags, pidfd, childTid, parentTid, exitSignal, stack, stackSize, tls;
        } arguments{};
        arguments.exitSignal = SIGCHLD;
        const long pid = ::syscall(SYS_clone3, &arguments, sizeof arguments);
        if (pid == 0)
            ::_exit(0);
        return static_cast<pid_t>(pid);
    }());
    // Its own group again: allowed, and it leaves setsid possible after it.
    reportResult("setpgid", ::setpgid(0, ::getpgrp()));
    reportResult("setsid", ::setsid());
    // Not traced by itself: ESRCH where the call reaches the kernel.
    reportResult("ptrace", ::ptrace(PTRACE_PEEKUSER, ::getpid(), nullptr, nullptr));
    {
        static char here[8] = "here";
        char buffer[8] = {};
        iovec local{buffer, sizeof buffer};
        iovec remote{here, sizeof here};
        reportResult("process_vm_readv", ::process_vm_readv(::getpid(), &local, 1, &remote, 1, 0));
        reportResult("process_vm_writev",
                     ::process_vm_writev(::getpid(), &local, 1, &remote, 1, 0));
    }
    // Flags no kernel knows: nothing is loaded or unloaded.
    reportResult("kexec_load", ::syscall(SYS_kexec_load, 0, 0, nullptr, ~0UL));
    reportResult("kexec_file_load", ::syscall(SYS_kexec_file_load, -1, -1, 0, "", ~0UL));
    reportResult("bpf", ::syscall(SYS_bpf, -1, nullptr, 0));
    reportResult("mount", ::mount("none", "/nonexistent/pagora-probe", "tmpfs", 0, nullptr));
    reportResult("unshare", ::unshare(0));
    reportResult("setns", ::setns(-1, 0));
    // KEYCTL_GET_KEYRING_ID of the session keyring, without creating one
    reportResult("keyctl", ::syscall(SYS_keyctl, 0, -3, 0));
#endif
    return 0;
}

int leave(const std::string &how)
{
    ::signal(SIGTERM, SIG_IGN);
    const int result = how == "session" ? ::setsid() : ::setpgid(0, ::getpgid(::getppid()));
    std::printf("%s %s\n", result == -1 ? "stayed" : "left", how.c_str());
    std::fflush(stdout);
    for (int second = 0; second < 60; ++second)
        ::sleep(1);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "calls")
        return tryCalls(argv[0]);
    if (mode == "leave" && argc > 2)
        return leave(argv[2]);
    if (mode == "noop")
        return 0;
    std::fprintf(stderr, "usage: %s calls | leave group|session | noop\n", argv[0]);
    return 2;
}
