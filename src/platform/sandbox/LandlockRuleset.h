#pragma once

#include "platform/files/FileDescriptor.h"
#include "platform/sandbox/SandboxAccess.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

// A Landlock ruleset under construction, built in the parent before the
// fork; the child only hands its descriptor to restrictSelf(). The ruleset
// handles every right the ABI it is built for knows, so whatever no rule
// grants is refused: files and folders, and from ABI 4 on TCP bind and
// connect (no rule grants a port), from ABI 6 on signals to processes
// outside the sandbox and abstract UNIX sockets.
//
// The kernel's interface is spelt out in LandlockRuleset.cpp rather than
// taken from <linux/landlock.h>, which may be older than the kernel we run
// on. Linux only: defined there alone, and called only there.
class LandlockRuleset
{
public:
    // The highest ABI the kernel offers; 0 without Landlock.
    static int kernelAbi();

    // Confines the calling thread with the ruleset rulesetFd holds, and with
    // it everything it starts. One system call, async-signal-safe; false
    // with errno set when the kernel refuses.
    static bool restrictSelf(int rulesetFd) noexcept;

    // Creates an empty ruleset for abi (1 or more, at most kernelAbi()).
    explicit LandlockRuleset(int abi);

    // 0 when the ruleset was created, else errno.
    int error() const { return m_error; }
    // Gives up the ruleset's descriptor (close-on-exec) to the caller.
    int release() { return m_ruleset.release(); }

    // The grants return errno, 0 on success. The rights a file cannot carry
    // (listing, creating, removing) are dropped on a file.
    //
    // On what path leads to, and for a folder everything beneath it; the
    // links in path are followed.
    int grant(const QString &path, SandboxAccess access);
    int grant(const QByteArray &path, SandboxAccess access);
    // The same, refused with ENOTDIR unless path leads to a folder.
    int grantFolder(const QString &path, SandboxAccess access);
    // On a folder (everything beneath it too) or a regular file the caller
    // has open; anything else is refused (ENOTDIR, EISDIR, EINVAL).
    int grantOpenFolder(int descriptor, SandboxAccess access);
    int grantOpenFile(int descriptor, SandboxAccess access);

private:
    int grantPath(const QByteArray &path, SandboxAccess access, bool folderOnly);
    int grantOpen(int descriptor, SandboxAccess access, bool folder);
    int addRule(int fd, std::uint64_t rights);

    FileDescriptor m_ruleset;
    int m_error = 0;
    std::uint64_t m_handled = 0;
};
