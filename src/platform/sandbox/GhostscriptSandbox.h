#pragma once

#include "platform/sandbox/ChildConfinement.h"

#include <QByteArray>
#include <QString>

#include <climits>
#include <functional>

struct SandboxRules;

// Which confinement the operating system offers a Ghostscript child.
enum class SandboxSupport {
    Landlock,             // Linux with Landlock: GhostscriptSandbox confines it
    LinuxWithoutLandlock, // Linux whose kernel lacks Landlock or has it switched off
    SandboxExec,          // macOS: start it through sandbox-exec (SandboxExecProfile.h)
    None,                 // elsewhere only -dSAFER stands in the way
};

// The confinement of one Ghostscript child, built in the parent so that the
// child, between fork and exec, only has to make a few system calls: a
// Landlock ruleset (LandlockRuleset.h) and a seccomp filter
// (SyscallFilter.h), applied by ChildConfinement.h.
//
//     GhostscriptSandbox sandbox = GhostscriptSandbox::prepare(rules);
//     if (sandbox.failed()) -> show sandbox.errorText() instead of running gs
//     child.setChildSetup(sandbox.childProcessModifier()); // empty: nothing
//
// The object owns the ruleset's file descriptor and the filter's program and
// must outlive the start of the process. The descriptor is close-on-exec:
// the child inherits it across fork, uses it before exec, and Ghostscript
// never sees it. A process start that closes inherited descriptors before
// the modifier runs cannot be used.
//
// Once confined, the child and everything it starts may
// - read the files and folders the rules name, the system's libraries and
//   Ghostscript's resources, fonts and font configuration (SystemGrants.h),
// - create, write and remove files and folders only inside the workspace
//   (no links, pipes, sockets or devices there, so nothing it leaves behind
//   can redirect the caller),
// - execute only the rules' executable and its ELF interpreter,
// - not bind or connect TCP sockets (Landlock ABI 4 and later),
// - not signal processes outside its sandbox nor reach abstract UNIX
//   sockets (ABI 6 and later).
// Symbolic links are followed before the rules are checked: a link inside a
// readable folder that points elsewhere grants nothing.
//
// The filter keeps the child one process for its whole life, so that
// stopping it stops everything it did: no fork, vfork or clone of a process
// (threads are fine), no new session or process group to hide in, and none
// of the calls that reach into other processes or the kernel (ptrace,
// process_vm_readv/writev, kexec, bpf, mount and the new mount interface,
// unshare, setns, keyctl, io_uring, userfaultfd, perf_event_open). It keeps
// the child away from the user's session, which Landlock leaves open over
// UDP and named UNIX sockets: no socket call at all. And Ghostscript stays
// the only program: no memfd_create or execveat, which would start one no
// rule names. All of them fail with EPERM. System calls of another
// architecture (32-bit ones on a 64-bit system) end the process. On Linux
// without Landlock the filter is still applied, alone: the sandbox is then
// not available(), yet its childProcessModifier() is not empty.
class GhostscriptSandbox
{
public:
    // The child's side has its own unit; callers know it by these names.
    using ChildConfinement = ::ChildConfinement;
    static constexpr int kChildFailureExitCode = ChildConfinement::kFailureExitCode;
    static constexpr const char *kChildFailurePrefix = ChildConfinement::kFailurePrefix;

    static SandboxSupport support();
    // The highest Landlock ABI the kernel offers; 0 without Landlock or off Linux.
    static int landlockAbi();

    // Builds the ruleset and the filter for these rules. Their paths need
    // not be resolved: the kernel follows the links in them, and a rule
    // holds for the file or folder a path ends at. Paths in the lists that
    // do not exist are left out; a missing program or workspace, or a
    // descriptor that is not an open folder (workspace) or regular file
    // (readable), is a failure. Without Landlock the result is not
    // available() and the caller decides whether to run with the filter
    // alone; with Landlock any failure is failed(), with a reason.
    // abiCeiling builds the ruleset as a kernel offering at most that ABI
    // would get it, so that the rules of older kernels can be run here.
    static GhostscriptSandbox prepare(const SandboxRules &rules, int abiCeiling = INT_MAX);

    GhostscriptSandbox(GhostscriptSandbox &&other) noexcept;
    GhostscriptSandbox &operator=(GhostscriptSandbox &&other) noexcept;
    GhostscriptSandbox(const GhostscriptSandbox &) = delete;
    GhostscriptSandbox &operator=(const GhostscriptSandbox &) = delete;
    ~GhostscriptSandbox();

    bool available() const { return m_state != State::Unavailable; }
    bool failed() const { return m_state == State::Failed; }
    bool ready() const { return m_state == State::Ready; }
    QString errorText() const { return m_errorText; }
    int rulesetFd() const { return m_rulesetFd; }
    // The ABI the ruleset was built for (0 when not ready).
    int abi() const { return m_abi; }
    // Whether the child gets the process filter (ready, or Linux without
    // Landlock).
    bool filtered() const { return !m_filter.isEmpty(); }
    ChildConfinement childConfinement() const;

    // Confines the calling process; see ChildConfinement::apply().
    static void applyInChild(const ChildConfinement &confinement) noexcept { confinement.apply(); }

    // A function for the child set-up (ChildProcess::setChildSetup or
    // QProcess::setChildProcessModifier) that applies this sandbox. Empty
    // when there is nothing to apply (failed, or no confinement here).
    std::function<void()> childProcessModifier() const;

private:
    enum class State { Unavailable, Failed, Ready };

    GhostscriptSandbox(State state, QString errorText, int rulesetFd = -1, int abi = 0);
    void close();

    State m_state;
    QString m_errorText;
    int m_rulesetFd;
    int m_abi;
    // The filter's program, shared by every sandbox of this process (it is
    // the same for all) and kept alive by each.
    QByteArray m_filter;
};
