#include "platform/sandbox/LandlockRuleset.h"

#if defined(Q_OS_LINUX)
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace
{

#ifndef __NR_landlock_create_ruleset
#define __NR_landlock_create_ruleset 444
#endif
#ifndef __NR_landlock_add_rule
#define __NR_landlock_add_rule 445
#endif
#ifndef __NR_landlock_restrict_self
#define __NR_landlock_restrict_self 446
#endif

constexpr unsigned kCreateRulesetVersion = 1U << 0;
constexpr int kRulePathBeneath = 1;

constexpr std::uint64_t kFsExecute = 1ULL << 0;
constexpr std::uint64_t kFsWriteFile = 1ULL << 1;
constexpr std::uint64_t kFsReadFile = 1ULL << 2;
constexpr std::uint64_t kFsReadDir = 1ULL << 3;
constexpr std::uint64_t kFsRemoveDir = 1ULL << 4;
constexpr std::uint64_t kFsRemoveFile = 1ULL << 5;
[[maybe_unused]] constexpr std::uint64_t kFsMakeChar = 1ULL << 6;
constexpr std::uint64_t kFsMakeDir = 1ULL << 7;
constexpr std::uint64_t kFsMakeReg = 1ULL << 8;
[[maybe_unused]] constexpr std::uint64_t kFsMakeSock = 1ULL << 9;
[[maybe_unused]] constexpr std::uint64_t kFsMakeFifo = 1ULL << 10;
[[maybe_unused]] constexpr std::uint64_t kFsMakeBlock = 1ULL << 11;
constexpr std::uint64_t kFsMakeSym = 1ULL << 12;
constexpr std::uint64_t kFsRefer = 1ULL << 13;    // ABI 2
constexpr std::uint64_t kFsTruncate = 1ULL << 14; // ABI 3
constexpr std::uint64_t kFsIoctlDev = 1ULL << 15; // ABI 5

constexpr std::uint64_t kNetBindTcp = 1ULL << 0;    // ABI 4
constexpr std::uint64_t kNetConnectTcp = 1ULL << 1; // ABI 4

constexpr std::uint64_t kScopeAbstractUnixSocket = 1ULL << 0; // ABI 6
constexpr std::uint64_t kScopeSignal = 1ULL << 1;             // ABI 6

// The attribute grew with the ABI; the kernel takes the size we pass.
struct RulesetAttr {
    std::uint64_t handledAccessFs;
    std::uint64_t handledAccessNet;
    std::uint64_t scoped;
};

struct __attribute__((packed)) PathBeneathAttr {
    std::uint64_t allowedAccess;
    std::int32_t parentFd;
};

// Rights that a rule on a file (not a folder) may carry.
constexpr std::uint64_t kFileRights =
    kFsExecute | kFsWriteFile | kFsReadFile | kFsTruncate | kFsIoctlDev;

constexpr std::uint64_t kRead = kFsReadFile | kFsReadDir;
// Ghostscript's temporary files and its output. No links, FIFOs, sockets or
// devices: whatever it leaves in the workspace is read by Pagora afterwards,
// and a link or a FIFO there could send that read elsewhere or stall it.
constexpr std::uint64_t kWorkspace = kRead | kFsWriteFile | kFsRemoveDir | kFsRemoveFile |
                                     kFsMakeDir | kFsMakeReg | kFsRefer | kFsTruncate;

std::uint64_t rightsFor(SandboxAccess access)
{
    switch (access) {
    case SandboxAccess::ReadFile:
        return kFsReadFile;
    case SandboxAccess::ReadFolder:
        return kRead;
    case SandboxAccess::ReadWrite:
        return kFsReadFile | kFsWriteFile | kFsTruncate;
    case SandboxAccess::Execute:
        return kFsExecute | kFsReadFile;
    case SandboxAccess::Workspace:
        return kWorkspace;
    }
    return 0;
}

std::uint64_t handledFsRights(int abi)
{
    std::uint64_t rights = (kFsMakeSym << 1) - 1; // everything of ABI 1
    if (abi >= 2)
        rights |= kFsRefer;
    if (abi >= 3)
        rights |= kFsTruncate;
    if (abi >= 5)
        rights |= kFsIoctlDev;
    return rights;
}

} // namespace

int LandlockRuleset::kernelAbi()
{
    const long abi = ::syscall(__NR_landlock_create_ruleset, nullptr, 0, kCreateRulesetVersion);
    return abi > 0 ? static_cast<int>(abi) : 0;
}

bool LandlockRuleset::restrictSelf(int rulesetFd) noexcept
{
    return ::syscall(__NR_landlock_restrict_self, rulesetFd, 0) == 0;
}

LandlockRuleset::LandlockRuleset(int abi)
{
    RulesetAttr attr{handledFsRights(abi), 0, 0};
    size_t attrSize = sizeof attr.handledAccessFs;
    if (abi >= 4) {
        // No rule grants a port: every bind and connect over TCP is refused.
        attr.handledAccessNet = kNetBindTcp | kNetConnectTcp;
        attrSize += sizeof attr.handledAccessNet;
    }
    if (abi >= 6) {
        attr.scoped = kScopeAbstractUnixSocket | kScopeSignal;
        attrSize += sizeof attr.scoped;
    }
    const long fd = ::syscall(__NR_landlock_create_ruleset, &attr, attrSize, 0);
    if (fd < 0) {
        m_error = errno;
        return;
    }
    m_ruleset = FileDescriptor(static_cast<int>(fd));
    m_handled = attr.handledAccessFs;
}

int LandlockRuleset::grant(const QString &path, SandboxAccess access)
{
    return grantPath(QFile::encodeName(path), access, false);
}

int LandlockRuleset::grant(const QByteArray &path, SandboxAccess access)
{
    return grantPath(path, access, false);
}

int LandlockRuleset::grantFolder(const QString &path, SandboxAccess access)
{
    return grantPath(QFile::encodeName(path), access, true);
}

int LandlockRuleset::grantOpenFolder(int descriptor, SandboxAccess access)
{
    return grantOpen(descriptor, access, true);
}

int LandlockRuleset::grantOpenFile(int descriptor, SandboxAccess access)
{
    return grantOpen(descriptor, access, false);
}

int LandlockRuleset::grantPath(const QByteArray &path, SandboxAccess access, bool folderOnly)
{
    // O_PATH follows links: the rule sits on the file or folder itself,
    // which is what Landlock checks on every later access.
    const FileDescriptor file(::open(path.constData(), O_PATH | O_CLOEXEC));
    if (!file.isValid())
        return errno;
    struct stat st {
    };
    if (::fstat(file.get(), &st) != 0)
        return errno;
    std::uint64_t rights = rightsFor(access);
    if (!S_ISDIR(st.st_mode)) {
        if (folderOnly)
            return ENOTDIR;
        rights &= kFileRights;
    }
    return addRule(file.get(), rights);
}

int LandlockRuleset::grantOpen(int descriptor, SandboxAccess access, bool folder)
{
    struct stat st {
    };
    if (descriptor < 0)
        return EBADF;
    if (::fstat(descriptor, &st) != 0)
        return errno;
    if (folder && !S_ISDIR(st.st_mode))
        return ENOTDIR;
    if (!folder && !S_ISREG(st.st_mode))
        return S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    std::uint64_t rights = rightsFor(access);
    if (!folder)
        rights &= kFileRights;
    return addRule(descriptor, rights);
}

int LandlockRuleset::addRule(int fd, std::uint64_t rights)
{
    PathBeneathAttr attr{rights & m_handled, fd};
    if (attr.allowedAccess != 0 &&
        ::syscall(__NR_landlock_add_rule, m_ruleset.get(), kRulePathBeneath, &attr, 0) != 0)
        return errno;
    return 0;
}

#endif
