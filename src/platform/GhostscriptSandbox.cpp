#include "platform/GhostscriptSandbox.h"

#include "platform/SandboxRules.h"

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
#include <mutex>
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

// Adds rules to a ruleset under construction; owns nothing.
class RulesetBuilder
{
public:
    RulesetBuilder(int rulesetFd, std::uint64_t handled) : m_fd(rulesetFd), m_handled(handled) {}

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
            PathBeneathAttr attr{rights & m_handled, fd};
            if (attr.allowedAccess != 0 &&
                ::syscall(__NR_landlock_add_rule, m_fd, kRulePathBeneath, &attr, 0) != 0)
                error = errno;
        }
        ::close(fd);
        return error;
    }

private:
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
    const int abi = std::min(queryAbi(), std::max(abiCeiling, 0));
    if (abi == 0)
        return GhostscriptSandbox(State::Unavailable,
                                  QStringLiteral("Landlock is not available in this kernel"));

    // No realpath here: opening a path follows its links just the same, and
    // the rule then sits on the file or folder the path ends at.
    const SandboxRules &rules = given;
    if (rules.executable.isEmpty() || rules.workspace.isEmpty())
        return GhostscriptSandbox(State::Failed,
                                  QStringLiteral("no program or no workspace to confine"));

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
            State::Failed, systemError(QStringLiteral("cannot create a Landlock ruleset"), errno));
    GhostscriptSandbox sandbox(State::Ready, QString(), static_cast<int>(fd), abi);
    RulesetBuilder builder(sandbox.m_rulesetFd, attr.handledAccessFs);

    auto fail = [&](const QString &path, int error) {
        sandbox.close();
        sandbox.m_state = State::Failed;
        sandbox.m_abi = 0;
        sandbox.m_errorText =
            systemError(QStringLiteral("cannot grant access to %1").arg(path), error);
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
    if (const int error = builder.grant(rules.workspace, kWorkspace, true))
        return fail(rules.workspace, error);
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
    return GhostscriptSandbox(State::Unavailable, QStringLiteral("Landlock exists only on Linux"));
#endif
}

GhostscriptSandbox::GhostscriptSandbox(State state, QString errorText, int rulesetFd, int abi)
    : m_state(state), m_errorText(std::move(errorText)), m_rulesetFd(rulesetFd), m_abi(abi)
{
}

GhostscriptSandbox::GhostscriptSandbox(GhostscriptSandbox &&other) noexcept
    : m_state(other.m_state), m_errorText(std::move(other.m_errorText)),
      m_rulesetFd(std::exchange(other.m_rulesetFd, -1)), m_abi(other.m_abi)
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

void GhostscriptSandbox::applyInChild(int rulesetFd) noexcept
{
#if defined(Q_OS_LINUX)
    // Without no_new_privs an unprivileged process may not restrict itself,
    // and a set-user-ID program could shed the restriction.
    if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0)
        childFails("PR_SET_NO_NEW_PRIVS", errno);
    if (::syscall(__NR_landlock_restrict_self, rulesetFd, 0) != 0)
        childFails("landlock_restrict_self", errno);
#elif defined(Q_OS_UNIX)
    // Nothing here can confine; carrying on would run Ghostscript unconfined.
    Q_UNUSED(rulesetFd);
    childFails("Landlock (not on this system)", 0);
#else
    Q_UNUSED(rulesetFd);
#endif
}

std::function<void()> GhostscriptSandbox::childProcessModifier() const
{
    if (!ready())
        return {};
    const int fd = m_rulesetFd;
    return [fd] { applyInChild(fd); };
}
