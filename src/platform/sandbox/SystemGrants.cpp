#include "platform/sandbox/SystemGrants.h"

#if defined(Q_OS_LINUX)
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <climits>
#include <cstdint>
#include <cstring>
#include <elf.h>
#include <fcntl.h>
#include <mutex>
#include <unistd.h>
#include <utility>

namespace
{

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
// ask fontconfig for substitutes. Libraries need only reading: Landlock's
// execute right governs execve, not mapping code.
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

} // namespace

SystemGrants SystemGrants::forGhostscript(const QString &executable)
{
    static std::mutex mutex;
    static SystemGrants cached;
    const std::lock_guard<std::mutex> lock(mutex);
    if (cached.m_executable == executable && !executable.isEmpty())
        return cached;
    cached = workOut(executable);
    return cached;
}

SystemGrants SystemGrants::workOut(const QString &executable)
{
    SystemGrants grants;
    grants.m_executable = executable;
    grants.m_interpreter = QFile::encodeName(elfInterpreter(executable));
    // Its real location tells the prefix of its installation.
    const QString realExecutable = QFileInfo(executable).canonicalFilePath();
    for (const QString &folder : systemReadableFolders(realExecutable))
        grants.m_paths.push_back({QFile::encodeName(folder), SandboxAccess::ReadFolder});
    for (const QString &file : systemReadableFiles())
        grants.m_paths.push_back({QFile::encodeName(file), SandboxAccess::ReadFile});
    grants.m_paths.push_back({QByteArrayLiteral("/dev/null"), SandboxAccess::ReadWrite});
    return grants;
}

#endif
