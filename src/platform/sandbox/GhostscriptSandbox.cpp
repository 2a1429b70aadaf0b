#include "platform/sandbox/GhostscriptSandbox.h"

#include "platform/text/PlatformTexts.h"

#include "platform/sandbox/SandboxRules.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <utility>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif
#if defined(Q_OS_LINUX)
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>
#include <elf.h>
#include <fcntl.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <mutex>
#include <sched.h>
#include <seccomp.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <vector>
#endif

#if defined(Q_OS_LINUX)
namespace
{

// The constants and structures of the Landlock interface, spelt out here:
// the system's <linux/landlock.h> may be older than the kernel we run on.
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

int queryAbi()
{
    const long abi = ::syscall(__NR_landlock_create_ruleset, nullptr, 0, kCreateRulesetVersion);
    return abi > 0 ? static_cast<int>(abi) : 0;
}

QString systemError(const QString &what, int error)
{
    return QStringLiteral("%1: %2").arg(what, QString::fromLocal8Bit(std::strerror(error)));
}

// The PT_INTERP entry among the program headers in head, as offset and size
// within the file; {0, 0} when there is none.
template <typename Header, typename ProgramHeader>
std::pair<std::uint64_t, std::uint64_t> interpreterEntry(const char *head, size_t length)
{
    Header header;
    if (length < sizeof header)
        return {0, 0};
    std::memcpy(&header, head, sizeof header);
    if (header.e_phentsize < sizeof(ProgramHeader))
        return {0, 0};
    for (unsigned i = 0; i < header.e_phnum; ++i) {
        const std::uint64_t at = header.e_phoff + std::uint64_t(i) * header.e_phentsize;
        if (at + sizeof(ProgramHeader) > length)
            break;
        ProgramHeader program;
        std::memcpy(&program, head + at, sizeof program);
        if (program.p_type == PT_INTERP)
            return {program.p_offset, program.p_filesz};
    }
    return {0, 0};
}

// The ELF interpreter (ld.so) an executable names, or empty for a static
// one: the kernel opens it for execution too, so it needs the execute right.
QString elfInterpreter(const QString &executable)
{
    const int fd = ::open(QFile::encodeName(executable).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return QString();
    char head[4096];
    const ssize_t length = ::pread(fd, head, sizeof head, 0);
    QString interpreter;
    if (length > EI_CLASS && std::memcmp(head, ELFMAG, SELFMAG) == 0) {
        const auto [offset, size] =
            head[EI_CLASS] == ELFCLASS64
                ? interpreterEntry<Elf64_Ehdr, Elf64_Phdr>(head, size_t(length))
                : interpreterEntry<Elf32_Ehdr, Elf32_Phdr>(head, size_t(length));
        char path[PATH_MAX];
        if (size > 0 && size <= sizeof path &&
            ::pread(fd, path, size, static_cast<off_t>(offset)) == static_cast<ssize_t>(size))
            interpreter = QFile::decodeName(QByteArray(path, qsizetype(::strnlen(path, size))));
    }
    ::close(fd);
    return interpreter;
}

// The folders Ghostscript reads to start, find its resources and fonts, and
// ask fontconfig for substitutes; found by tracing real runs. Libraries need
// only reading: Landlock's execute right governs execve, not mapping code.
QStringList systemReadableFolders(const QString &ghostscript)
{
    const QString home = QDir::homePath();
    QStringList folders{
        QStringLiteral("/usr/lib"),
        QStringLiteral("/usr/lib64"),
        QStringLiteral("/lib"),
        QStringLiteral("/lib64"),
        QStringLiteral("/usr/share/ghostscript"),
        QStringLiteral("/var/lib/ghostscript"),
        QStringLiteral("/usr/share/cups/fonts"),
        QStringLiteral("/usr/share/fonts"),
        // targets of links in Ghostscript's resources: CMaps, ICC profiles
        QStringLiteral("/usr/share/poppler"),
        QStringLiteral("/usr/share/color/icc"),
        QStringLiteral("/usr/local/share/fonts"),
        QStringLiteral("/usr/share/fontconfig"),
        QStringLiteral("/etc/fonts"),
        QStringLiteral("/var/cache/fontconfig"),
        // localtime's target, for the PDF's dates
        QStringLiteral("/usr/share/zoneinfo"),
        // whether and how large huge pages are, which the C library reads
        // before it asks for them for Ghostscript's heap
        QStringLiteral("/sys/kernel/mm/transparent_hugepage"),
        home + QStringLiteral("/.cache/fontconfig"),
        home + QStringLiteral("/.fonts"),
        home + QStringLiteral("/.local/share/fonts"),
    };
    // A Ghostscript installed under its own prefix (/usr/local, /opt/...)
    // keeps its libraries and resources there.
    const QDir prefix = QFileInfo(QFileInfo(ghostscript).path()).dir();
    if (prefix.path() != QLatin1String("/usr")) {
        folders << prefix.filePath(QStringLiteral("lib"))
                << prefix.filePath(QStringLiteral("share/ghostscript"));
    }
    return folders;
}

QStringList systemReadableFiles()
{
    return {
        QStringLiteral("/etc/ld.so.cache"),
        QStringLiteral("/etc/localtime"),
        QStringLiteral("/etc/papersize"),
    };
}

// What every run of one Ghostscript is granted besides its job's paths.
struct SystemGrants {
    QString executable; // as the caller named it
    QByteArray interpreter;
    std::vector<std::pair<QByteArray, std::uint64_t>> paths;
};

// Worked out once per Ghostscript and kept: it needs a dozen look-ups that
// would otherwise be repeated for every conversion.
SystemGrants systemGrants(const QString &executable)
{
    static std::mutex mutex;
    static SystemGrants cached;
    const std::lock_guard<std::mutex> lock(mutex);
    if (cached.executable == executable && !executable.isEmpty())
        return cached;
    SystemGrants grants;
    grants.executable = executable;
    grants.interpreter = QFile::encodeName(elfInterpreter(executable));
    // Its real location tells the prefix of its installation.
    const QString realExecutable = QFileInfo(executable).canonicalFilePath();
    for (const QString &folder : systemReadableFolders(realExecutable))
        grants.paths.emplace_back(QFile::encodeName(folder), kRead);
    for (const QString &file : systemReadableFiles())
        grants.paths.emplace_back(QFile::encodeName(file), kFsReadFile);
    grants.paths.emplace_back(QByteArrayLiteral("/dev/null"),
                              kFsReadFile | kFsWriteFile | kFsTruncate);
    cached = grants;
    return grants;
}

// The process filter's program; empty, with the reason, when there is none.
struct ProcessFilter {
    QByteArray program; // struct sock_filter instructions
    QString errorText;
};

// Calls that would let the child outlive a stop, hide from it, or reach
// into other processes and the kernel; none is needed to convert.
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
};

ProcessFilter buildProcessFilter()
{
    // A kernel that takes filters fails on the missing program, not on the mode.
    if (::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, nullptr) == 0 || errno != EFAULT)
        return {QByteArray(), PlatformTexts::kNoSeccomp.toString()};
    const QString cannot = PlatformTexts::kCannotBuildProcessFilter;
    const scmp_filter_ctx context = ::seccomp_init(SCMP_ACT_ALLOW);
    if (context == nullptr)
        return {QByteArray(), cannot};
    ProcessFilter filter;
    auto failed = [&](const char *call, int result) {
        filter.errorText =
            systemError(cannot + QStringLiteral(" (%1)").arg(QLatin1String(call)), -result);
        return false;
    };
    auto build = [&] {
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
                return failed(name, result);
        }
        // clone makes threads too, told apart by CLONE_THREAD in its flags
        // (the second argument on s390).
        const std::uint32_t native = ::seccomp_arch_native();
        const unsigned flags = native == SCMP_ARCH_S390 || native == SCMP_ARCH_S390X ? 1 : 0;
        if (const int result =
                ::seccomp_rule_add(context, SCMP_ACT_ERRNO(EPERM), SCMP_SYS(clone), 1,
                                   SCMP_CMP(flags, SCMP_CMP_MASKED_EQ, CLONE_THREAD, 0)))
            return failed("clone", result);
        // clone3's flags lie in memory a filter cannot read. ENOSYS, as from
        // a kernel without it, makes the C library take clone instead.
        const int clone3 = ::seccomp_syscall_resolve_name("clone3");
        if (clone3 != __NR_SCMP_ERROR) {
            const int result = ::seccomp_rule_add(context, SCMP_ACT_ERRNO(ENOSYS), clone3, 0);
            if (result != 0 && clone3 >= 0)
                return failed("clone3", result);
        }
        const int memory = ::memfd_create("pagora-filter", MFD_CLOEXEC);
        if (memory < 0)
            return failed("memfd_create", -errno);
        const int exported = ::seccomp_export_bpf(context, memory);
        const off_t size = ::lseek(memory, 0, SEEK_END);
        QByteArray program(qsizetype(size > 0 ? size : 0), Qt::Uninitialized);
        const bool read =
            exported == 0 && size > 0 && ::pread(memory, program.data(), size_t(size), 0) == size;
        ::close(memory);
        if (!read)
            return failed("seccomp_export_bpf", exported != 0 ? exported : -EIO);
        if (size % sizeof(sock_filter) != 0 || size / sizeof(sock_filter) > BPF_MAXINSNS)
            return failed("seccomp_export_bpf", -E2BIG);
        filter.program = program;
        return true;
    };
    build();
    ::seccomp_release(context);
    return filter;
}

// The same for every child, so built once.
const ProcessFilter &processFilter()
{
    static const ProcessFilter filter = buildProcessFilter();
    return filter;
}

// Adds rules to a ruleset under construction; owns nothing.
class RulesetBuilder
{
public:
    RulesetBuilder(int rulesetFd, std::uint64_t handled) : m_fd(rulesetFd), m_handled(handled) {}

    // Grants rights on what the caller has open as descriptor, which must be
    // a folder (kind S_IFDIR, everything beneath it too) or a regular file
    // (S_IFREG, with a file's rights only). Returns errno, 0 on success.
    int grantDescriptor(int descriptor, std::uint64_t rights, mode_t kind)
    {
        struct stat st {
        };
        if (descriptor < 0)
            return EBADF;
        if (::fstat(descriptor, &st) != 0)
            return errno;
        if ((st.st_mode & S_IFMT) != kind)
            return kind == S_IFDIR ? ENOTDIR : S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        if (kind != S_IFDIR)
            rights &= kFileRights;
        return addRule(descriptor, rights);
    }

    // Grants rights on path and, for a folder, everything beneath it. The
    // rights a file cannot carry are dropped for a file. Returns errno, 0
    // on success.
    int grant(const QString &path, std::uint64_t rights, bool folderOnly = false)
    {
        return grant(QFile::encodeName(path), rights, folderOnly);
    }

    int grant(const QByteArray &path, std::uint64_t rights, bool folderOnly = false)
    {
        // O_PATH follows links: the rule sits on the file or folder itself,
        // which is what Landlock checks on every later access.
        const int fd = ::open(path.constData(), O_PATH | O_CLOEXEC);
        if (fd < 0)
            return errno;
        struct stat st {
        };
        int error = 0;
        if (::fstat(fd, &st) != 0) {
            error = errno;
        } else {
            if (!S_ISDIR(st.st_mode)) {
                if (folderOnly) {
                    ::close(fd);
                    return ENOTDIR;
                }
                rights &= kFileRights;
            }
            error = addRule(fd, rights);
        }
        ::close(fd);
        return error;
    }

private:
    int addRule(int fd, std::uint64_t rights)
    {
        PathBeneathAttr attr{rights & m_handled, fd};
        if (attr.allowedAccess != 0 &&
            ::syscall(__NR_landlock_add_rule, m_fd, kRulePathBeneath, &attr, 0) != 0)
            return errno;
        return 0;
    }

    int m_fd;
    std::uint64_t m_handled;
};

} // namespace
#endif

SandboxSupport GhostscriptSandbox::support()
{
#if defined(Q_OS_LINUX)
    return landlockAbi() > 0 ? SandboxSupport::Landlock : SandboxSupport::LinuxWithoutLandlock;
#elif defined(Q_OS_MACOS)
    return QFileInfo::exists(QStringLiteral("/usr/bin/sandbox-exec")) ? SandboxSupport::SandboxExec
                                                                      : SandboxSupport::None;
#else
    return SandboxSupport::None;
#endif
}

int GhostscriptSandbox::landlockAbi()
{
#if defined(Q_OS_LINUX)
    return queryAbi();
#else
    return 0;
#endif
}

GhostscriptSandbox GhostscriptSandbox::prepare(const SandboxRules &given, int abiCeiling)
{
#if defined(Q_OS_LINUX)
    const ProcessFilter &filter = processFilter();
    const int abi = std::min(queryAbi(), std::max(abiCeiling, 0));
    if (abi == 0) {
        // The filter alone still keeps the child one process, if the kernel
        // takes it; the caller decides whether that is enough.
        GhostscriptSandbox sandbox(State::Unavailable,
                                   PlatformTexts::kNoLandlock);
        sandbox.m_filter = filter.program;
        return sandbox;
    }

    // No realpath here: opening a path follows its links just the same, and
    // the rule then sits on the file or folder the path ends at.
    const SandboxRules &rules = given;
    if (rules.executable.isEmpty() || (rules.workspace.isEmpty() && rules.workspaceDescriptor < 0))
        return GhostscriptSandbox(State::Failed,
                                  PlatformTexts::kNothingToConfine);
    // Every kernel with Landlock has seccomp filters; one without is not
    // trusted to confine at all.
    if (filter.program.isEmpty())
        return GhostscriptSandbox(State::Failed, filter.errorText);

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
    if (fd < 0)
        return GhostscriptSandbox(
            State::Failed, systemError(PlatformTexts::kCannotCreateRuleset, errno));
    GhostscriptSandbox sandbox(State::Ready, QString(), static_cast<int>(fd), abi);
    sandbox.m_filter = filter.program;
    RulesetBuilder builder(sandbox.m_rulesetFd, attr.handledAccessFs);

    auto fail = [&](const QString &path, int error) {
        sandbox.close();
        sandbox.m_state = State::Failed;
        sandbox.m_abi = 0;
        sandbox.m_filter.clear();
        sandbox.m_errorText =
            systemError(PlatformTexts::kCannotGrant.arg(path), error);
        return std::move(sandbox);
    };
    // What is not there is simply not granted; of the system's own paths
    // also what this user may not reach anyway.
    auto optional = [](int error) { return error == 0 || error == ENOENT || error == ENOTDIR; };
    auto optionalSystem = [&](int error) {
        return optional(error) || error == EACCES || error == ELOOP;
    };

    const SystemGrants system = systemGrants(rules.executable);
    if (const int error = builder.grant(rules.executable, kFsExecute | kFsReadFile))
        return fail(rules.executable, error);
    if (!system.interpreter.isEmpty()) {
        if (const int error = builder.grant(system.interpreter, kFsExecute | kFsReadFile))
            return fail(QFile::decodeName(system.interpreter), error);
    }
    // A descriptor holds the folder that was checked, whatever its path
    // leads to by now.
    auto descriptorName = [](int descriptor, const QString &path) {
        const QString name = PlatformTexts::kDescriptor.arg(descriptor);
        return path.isEmpty() ? name : QStringLiteral("%1 (%2)").arg(path, name);
    };
    if (rules.workspaceDescriptor >= 0) {
        if (const int error =
                builder.grantDescriptor(rules.workspaceDescriptor, kWorkspace, S_IFDIR))
            return fail(descriptorName(rules.workspaceDescriptor, rules.workspace), error);
    } else if (const int error = builder.grant(rules.workspace, kWorkspace, true)) {
        return fail(rules.workspace, error);
    }
    for (const int descriptor : rules.readableDescriptors) {
        if (const int error = builder.grantDescriptor(descriptor, kFsReadFile, S_IFREG))
            return fail(descriptorName(descriptor, QString()), error);
    }
    for (const QString &file : rules.readableFiles) {
        if (const int error = builder.grant(file, kFsReadFile); !optional(error))
            return fail(file, error);
    }
    for (const QStringList *folders : {&rules.readableFolders, &rules.fontFolders}) {
        for (const QString &folder : *folders) {
            if (const int error = builder.grant(folder, kRead); !optional(error))
                return fail(folder, error);
        }
    }
    for (const auto &[path, rights] : system.paths) {
        if (const int error = builder.grant(path, rights); !optionalSystem(error))
            return fail(QFile::decodeName(path), error);
    }
    return sandbox;
#else
    Q_UNUSED(given);
    Q_UNUSED(abiCeiling);
    return GhostscriptSandbox(State::Unavailable, PlatformTexts::kLandlockOnlyOnLinux);
#endif
}

GhostscriptSandbox::GhostscriptSandbox(State state, QString errorText, int rulesetFd, int abi)
    : m_state(state), m_errorText(std::move(errorText)), m_rulesetFd(rulesetFd), m_abi(abi)
{
}

GhostscriptSandbox::GhostscriptSandbox(GhostscriptSandbox &&other) noexcept
    : m_state(other.m_state), m_errorText(std::move(other.m_errorText)),
      m_rulesetFd(std::exchange(other.m_rulesetFd, -1)), m_abi(other.m_abi),
      m_filter(std::move(other.m_filter))
{
    other.m_state = State::Failed;
}

GhostscriptSandbox &GhostscriptSandbox::operator=(GhostscriptSandbox &&other) noexcept
{
    if (this != &other) {
        close();
        m_state = other.m_state;
        m_errorText = std::move(other.m_errorText);
        m_rulesetFd = std::exchange(other.m_rulesetFd, -1);
        m_abi = other.m_abi;
        m_filter = std::move(other.m_filter);
        other.m_state = State::Failed;
    }
    return *this;
}

GhostscriptSandbox::~GhostscriptSandbox()
{
    close();
}

void GhostscriptSandbox::close()
{
#ifdef Q_OS_UNIX
    if (m_rulesetFd >= 0)
        ::close(m_rulesetFd);
#endif
    m_rulesetFd = -1;
}

#ifdef Q_OS_UNIX
namespace
{

// Reports a failure in the child without allocating and ends it.
[[noreturn]] void childFails(const char *what, int error) noexcept
{
    char line[160];
    size_t length = 0;
    auto append = [&](const char *text) {
        while (*text != '\0' && length < sizeof line - 1)
            line[length++] = *text++;
    };
    append(GhostscriptSandbox::kChildFailurePrefix);
    append(what);
    append(" failed, errno ");
    char digits[12];
    int count = 0;
    unsigned value = error < 0 ? 0U : static_cast<unsigned>(error);
    do {
        digits[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0 && count < static_cast<int>(sizeof digits));
    while (count > 0 && length < sizeof line - 1)
        line[length++] = digits[--count];
    line[length++] = '\n';
    [[maybe_unused]] const ssize_t written = ::write(2, line, length);
    ::_exit(GhostscriptSandbox::kChildFailureExitCode);
}

} // namespace
#endif

void GhostscriptSandbox::applyInChild(const ChildConfinement &confinement) noexcept
{
#if defined(Q_OS_LINUX)
    // Without no_new_privs an unprivileged process may restrict itself
    // neither way, and a set-user-ID program could shed the restriction.
    if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0)
        childFails("PR_SET_NO_NEW_PRIVS", errno);
    if (confinement.rulesetFd >= 0 &&
        ::syscall(__NR_landlock_restrict_self, confinement.rulesetFd, 0) != 0)
        childFails("landlock_restrict_self", errno);
    if (confinement.filter != nullptr) {
        sock_fprog program{};
        program.len = confinement.filterLength;
        program.filter = static_cast<sock_filter *>(const_cast<void *>(confinement.filter));
        if (::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program, 0, 0) != 0)
            childFails("seccomp filter", errno);
    }
#elif defined(Q_OS_UNIX)
    // Nothing here can confine; carrying on would run Ghostscript unconfined.
    Q_UNUSED(confinement);
    childFails("confinement (not on this system)", 0);
#else
    Q_UNUSED(confinement);
#endif
}

GhostscriptSandbox::ChildConfinement GhostscriptSandbox::childConfinement() const
{
    ChildConfinement confinement;
    if (failed())
        return confinement;
    confinement.rulesetFd = m_rulesetFd;
#if defined(Q_OS_LINUX)
    if (!m_filter.isEmpty()) {
        confinement.filter = m_filter.constData();
        confinement.filterLength =
            static_cast<unsigned short>(size_t(m_filter.size()) / sizeof(sock_filter));
    }
#endif
    return confinement;
}

std::function<void()> GhostscriptSandbox::childProcessModifier() const
{
    const ChildConfinement confinement = childConfinement();
    if (confinement.rulesetFd < 0 && confinement.filter == nullptr)
        return {};
    return [confinement] { applyInChild(confinement); };
}
