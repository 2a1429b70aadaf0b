#pragma once

#include <QByteArray>
#include <QString>

// The seccomp filter a confined child applies last, as a program of
// struct sock_filter instructions. libseccomp allocates while it builds one,
// which the child must not, so it is built in the parent and exported.
//
// It denies, with EPERM, the calls that would let the child outlive a stop
// of it, hide from it, or reach into other processes, the kernel or the
// user's session: fork, vfork and clone of a process (a clone with
// CLONE_THREAD, a thread, is fine), a new session or process group, ptrace
// and its relatives, kexec, bpf, the old and the new mount interface,
// unshare, setns, the keyring, every socket call (socket, socketpair,
// connect, bind, listen, accept, send and receive, socketcall), io_uring,
// memfd_create, execveat, userfaultfd and perf_event_open.
// clone3, whose flags lie in memory a filter cannot read, fails with ENOSYS,
// on which the C library falls back to clone. A call of another
// architecture (32-bit ones on a 64-bit system) ends the process, as the
// rules are in this architecture's numbers.
//
// Linux only: defined there alone, and called only there.
class SyscallFilter
{
public:
    // The same for every child, so built once per process, when first asked.
    static const SyscallFilter &forChildren();

    // Empty when the kernel takes no filters or one could not be built.
    QByteArray program() const { return m_program; }
    QString errorText() const { return m_errorText; }

private:
    static SyscallFilter build();

    QByteArray m_program;
    QString m_errorText;
};
