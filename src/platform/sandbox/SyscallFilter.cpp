#include "platform/sandbox/SyscallFilter.h"

#if defined(Q_OS_LINUX)
#include "platform/text/PlatformTexts.h"
#include "platform/text/SystemErrorText.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sched.h>
#include <seccomp.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace
{

// Calls that would let the child outlive a stop, hide from it, or reach
// into other processes, the kernel or the user's session; none is needed
// to convert. They fail with EPERM rather than end the process, so that
// Ghostscript's transcript says what was refused.
const char *const kDeniedCalls[] = {
    "fork",
    "vfork",
    "setsid",
    "setpgid",
    "ptrace",
    "process_vm_readv",
    "process_vm_writev",
    "kexec_load",
    "kexec_file_load",
    "bpf",
    "mount",
    "umount2",
    "pivot_root",
    "fsopen",
    "fsconfig",
    "fsmount",
    "fspick",
    "move_mount",
    "open_tree",
    "mount_setattr",
    "unshare",
    "setns",
    "keyctl",
    "add_key",
    "request_key",
    // Ghostscript needs no socket: without them it cannot reach the user's
    // session (the session bus, an ssh agent, X11, a local UDP port), which
    // Landlock leaves open for named UNIX sockets and UDP. The calls on a
    // socket are refused too, for one that reached it some other way.
    "socket",
    "socketpair",
    "socketcall", // the one entry for all of them on some 32-bit systems
    "connect",
    "bind",
    "listen",
    "accept",
    "accept4",
    "sendto",
    "sendmsg",
    "sendmmsg",
    "recvfrom",
    "recvmsg",
    "recvmmsg",
    // io_uring does its work, connects and opens included, outside the
    // calls this filter sees.
    "io_uring_setup",
    "io_uring_enter",
    "io_uring_register",
    // A memory file is a file no Landlock rule names, and execveat starts
    // one: a program of the document's own instead of Ghostscript.
    "memfd_create",
    "execveat",
    // Kernel surfaces that a converter has no use for and exploits like.
    "userfaultfd",
    "perf_event_open",
};

// A step of building the filter that went wrong: the libseccomp or system
// call, and its result (a negative errno). No call: every step went well.
struct Failure {
    const char *call = nullptr;
    int result = 0;
};

Failure denyCalls(scmp_filter_ctx context)
{
    // The rules are in this architecture's numbers: a call of another
    // one (int 0x80 on x86-64) ends the process rather than pass them.
    ::seccomp_attr_set(context, SCMP_FLTATR_ACT_BADARCH, SCMP_ACT_KILL_PROCESS);
    for (const char *name : kDeniedCalls) {
        const int call = ::seccomp_syscall_resolve_name(name);
        if (call == __NR_SCMP_ERROR)
            continue; // newer than this libseccomp: the kernel's checks stand
        const int result = ::seccomp_rule_add(context, SCMP_ACT_ERRNO(EPERM), call, 0);
        // A negative number is a call this architecture does not have.
        if (result != 0 && call >= 0)
            return {name, result};
    }
    return {};
}

Failure denyNewProcesses(scmp_filter_ctx context)
{
    // clone makes threads too, told apart by CLONE_THREAD in its flags
    // (the second argument on s390).
    const std::uint32_t native = ::seccomp_arch_native();
    const unsigned flags = native == SCMP_ARCH_S390 || native == SCMP_ARCH_S390X ? 1 : 0;
    if (const int result = ::seccomp_rule_add(context, SCMP_ACT_ERRNO(EPERM), SCMP_SYS(clone), 1,
                                              SCMP_CMP(flags, SCMP_CMP_MASKED_EQ, CLONE_THREAD, 0)))
        return {"clone", result};
    // clone3's flags lie in memory a filter cannot read. ENOSYS, as from
    // a kernel without it, makes the C library take clone instead.
    const int clone3 = ::seccomp_syscall_resolve_name("clone3");
    if (clone3 != __NR_SCMP_ERROR) {
        const int result = ::seccomp_rule_add(context, SCMP_ACT_ERRNO(ENOSYS), clone3, 0);
        if (result != 0 && clone3 >= 0)
            return {"clone3", result};
    }
    return {};
}

// libseccomp writes the program to a descriptor; a memory file keeps it off
// the disk.
Failure exportProgram(scmp_filter_ctx context, QByteArray *program)
{
    const int memory = ::memfd_create("pagora-filter", MFD_CLOEXEC);
    if (memory < 0)
        return {"memfd_create", -errno};
    const int exported = ::seccomp_export_bpf(context, memory);
    const off_t size = ::lseek(memory, 0, SEEK_END);
    QByteArray exportedProgram(qsizetype(size > 0 ? size : 0), Qt::Uninitialized);
    const bool read = exported == 0 && size > 0 &&
                      ::pread(memory, exportedProgram.data(), size_t(size), 0) == size;
    ::close(memory);
    if (!read)
        return {"seccomp_export_bpf", exported != 0 ? exported : -EIO};
    if (size % sizeof(sock_filter) != 0 || size / sizeof(sock_filter) > BPF_MAXINSNS)
        return {"seccomp_export_bpf", -E2BIG};
    *program = exportedProgram;
    return {};
}

} // namespace

const SyscallFilter &SyscallFilter::forChildren()
{
    static const SyscallFilter filter = build();
    return filter;
}

SyscallFilter SyscallFilter::build()
{
    SyscallFilter filter;
    // A kernel that takes filters fails on the missing program, not on the mode.
    if (::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, nullptr) == 0 || errno != EFAULT) {
        filter.m_errorText = PlatformTexts::kNoSeccomp.toString();
        return filter;
    }
    const scmp_filter_ctx context = ::seccomp_init(SCMP_ACT_ALLOW);
    if (context == nullptr) {
        filter.m_errorText = PlatformTexts::kCannotBuildProcessFilter;
        return filter;
    }
    Failure failure = denyCalls(context);
    if (failure.call == nullptr)
        failure = denyNewProcesses(context);
    if (failure.call == nullptr)
        failure = exportProgram(context, &filter.m_program);
    ::seccomp_release(context);
    if (failure.call != nullptr) {
        filter.m_errorText = PlatformTexts::kCannotBuildProcessFilterAt.arg(
            QLatin1String(failure.call), SystemErrorText(-failure.result));
    }
    return filter;
}

#endif
