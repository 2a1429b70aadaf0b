#pragma once

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

// A Landlock ruleset for one Ghostscript child, built in the parent so that
// the child, between fork and exec, only has to make two system calls:
//
//     GhostscriptSandbox sandbox = GhostscriptSandbox::prepare(rules);
//     if (sandbox.failed()) -> show sandbox.errorText() instead of running gs
//     const int fd = sandbox.rulesetFd(); // -1 when not available
//     process.setChildProcessModifier([fd] {
//         ::setpgid(0, 0);
//         if (fd >= 0)
//             GhostscriptSandbox::applyInChild(fd);
//     });
//
// The object owns the ruleset's file descriptor and must outlive the start of
// the process. The descriptor is close-on-exec: the child inherits it across
// fork, uses it before exec, and Ghostscript never sees it. A process start
// that closes inherited descriptors before the modifier runs cannot be used.
//
// Once confined, the child and everything it starts may
// - read the files and folders the rules name, the system's libraries and
//   Ghostscript's resources, fonts and font configuration,
// - create, write and remove files and folders only inside the workspace
//   (no links, pipes, sockets or devices there, so nothing it leaves behind
//   can redirect the caller),
// - execute only the rules' executable and its ELF interpreter,
// - not bind or connect TCP sockets (Landlock ABI 4 and later),
// - not signal processes outside its sandbox nor reach abstract UNIX
//   sockets (ABI 6 and later).
// Symbolic links are followed before the rules are checked: a link inside a
// readable folder that points elsewhere grants nothing.
class GhostscriptSandbox
{
public:
    // What a child that could not confine itself exits with; it writes a
    // line starting with kChildFailurePrefix to its standard error first.
    static constexpr int kChildFailureExitCode = 126;
    static constexpr const char *kChildFailurePrefix = "pagora: sandbox: ";

    static SandboxSupport support();
    // The highest Landlock ABI the kernel offers; 0 without Landlock or off Linux.
    static int landlockAbi();

    // Builds the ruleset for these rules. Their paths need not be resolved:
    // the kernel follows the links in them, and a rule holds for the file or
    // folder a path ends at. Paths in the lists that do not exist are left
    // out; a missing program or workspace is a failure. Without Landlock
    // the result is not available() and the caller decides whether to run
    // unconfined; with Landlock any failure is failed(), with a reason.
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

    // Confines the calling process with the ruleset. For the child between
    // fork and exec: only async-signal-safe system calls, no allocation. It
    // does not return on failure: the process reports on file descriptor 2
    // and ends with kChildFailureExitCode, so Ghostscript never runs
    // unconfined.
    static void applyInChild(int rulesetFd) noexcept;

    // A modifier for QProcess::setChildProcessModifier that applies this
    // sandbox, for callers that need nothing else in the child. Empty
    // function when not ready.
    std::function<void()> childProcessModifier() const;

private:
    enum class State { Unavailable, Failed, Ready };

    GhostscriptSandbox(State state, QString errorText, int rulesetFd = -1, int abi = 0);
    void close();

    State m_state;
    QString m_errorText;
    int m_rulesetFd;
    int m_abi;
};
