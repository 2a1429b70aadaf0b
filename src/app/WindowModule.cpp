#include "app/WindowModule.h"

#include "app/CommandLineTexts.h"

#include <QStringList>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#ifndef Q_OS_MACOS
#include <sys/xattr.h>
#endif
#include <unistd.h>

#ifdef Q_OS_MACOS
#include <mach-o/dyld.h>
#endif

namespace
{

// The executable's folder, links resolved; empty when the system does not
// say. Never the working folder: a module found there could be anybody's.
std::filesystem::path ExecutableFolder()
{
    std::error_code error;
#ifdef Q_OS_MACOS
    uint32_t size = 0;
    _NSGetExecutablePath(nullptr, &size);
    std::string path(size, '\0');
    if (_NSGetExecutablePath(path.data(), &size) != 0)
        return {};
    path.resize(path.find('\0') == std::string::npos ? path.size() : path.find('\0'));
    const std::filesystem::path executable = std::filesystem::canonical(path, error);
#else
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
#endif
    return error ? std::filesystem::path() : executable.parent_path();
}

// Whether only this user or the administrator can change what the
// descriptor names: it belongs to one of them, neither its group nor others
// may write to it, and no access list grants anyone else writing. A folder of
// the administrator's with the sticky bit (like /tmp) may be writable by all:
// there nobody else can rename or replace our entries.
bool OnlyOursOrTheSystems(int descriptor, bool isFolder)
{
    struct stat status {
    };
    if (::fstat(descriptor, &status) != 0)
        return false;
    if (isFolder ? !S_ISDIR(status.st_mode) : !S_ISREG(status.st_mode))
        return false;
    if (status.st_uid != 0 && status.st_uid != ::geteuid())
        return false;
    const bool stickyOfTheSystems = isFolder && status.st_uid == 0 && (status.st_mode & S_ISVTX);
    if ((status.st_mode & (S_IWGRP | S_IWOTH)) != 0 && !stickyOfTheSystems)
        return false;
#ifndef Q_OS_MACOS
    // The access list as the kernel keeps it: a 4-byte version, then 8-byte
    // entries of tag, permissions and id. Beyond the owner, group and other
    // entries, any entry lets somebody in; a mask, group or other entry that
    // grants writing does too.
    unsigned char list[4 + 8 * 32];
    const ssize_t size = ::fgetxattr(descriptor, "system.posix_acl_access", list, sizeof list);
    if (size < 0)
        return errno == ENODATA || errno == ENOTSUP;
    if (size < 4 || (size - 4) % 8 != 0 || (size - 4) / 8 > 3)
        return false;
    for (ssize_t offset = 4; offset < size; offset += 8) {
        const unsigned tag = list[offset] | (list[offset + 1] << 8);
        const unsigned permissions = list[offset + 2] | (list[offset + 3] << 8);
        const bool othersTag = tag == 0x04 || tag == 0x10 || tag == 0x20;
        if (tag != 0x01 && !othersTag)
            return false;
        if (othersTag && (permissions & 0x02) != 0 && !stickyOfTheSystems)
            return false;
    }
#endif
    return true;
}

// Opens the module through descriptors from / down, each folder checked as it
// is opened and no link followed, so the file checked is the file loaded. -1
// when a folder or the module can be changed by other users; -2 when it is
// not there.
int OpenCheckedModule(const std::filesystem::path &module)
{
    int folder = ::open("/", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0)
        return -2;
    const std::filesystem::path relative = module.relative_path();
    const std::filesystem::path name = relative.filename();
    for (const std::filesystem::path &part : relative.parent_path()) {
        if (!OnlyOursOrTheSystems(folder, true)) {
            ::close(folder);
            return -1;
        }
        const int next =
            ::openat(folder, part.c_str(), O_RDONLY | O_NOFOLLOW | O_DIRECTORY | O_CLOEXEC);
        const int openError = errno;
        ::close(folder);
        if (next < 0)
            return openError == ENOENT ? -2 : -1;
        folder = next;
    }
    if (!OnlyOursOrTheSystems(folder, true)) {
        ::close(folder);
        return -1;
    }
    const int file = ::openat(folder, name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    const int openError = errno;
    ::close(folder);
    if (file < 0)
        return openError == ENOENT ? -2 : -1;
    if (!OnlyOursOrTheSystems(file, false)) {
        ::close(file);
        return -1;
    }
    return file;
}

int ReportCannotLoad(const QString &reason)
{
    const QString text = CommandLineTexts::kUsageErrorHead +
                         CommandLineTexts::kCannotLoadWindow.arg(reason) + QLatin1Char('\n');
    std::fputs(text.toLocal8Bit().constData(), stderr);
    return 1;
}

// Where the module is looked for, in order: beside the executable (the build
// folder), in the bundle's PlugIns folder (macOS) and in the installed
// library folder, each relative to the executable's own folder.
std::vector<std::string> WindowModuleCandidates(const std::filesystem::path &folder)
{
    std::vector<std::string> candidates;
#ifdef Q_OS_MACOS
    // In a bundle, only its own PlugIns folder.
    for (const char *relative : {"../PlugIns"}) {
#else
    for (const char *relative : {".", PAGORA_WINDOW_MODULE_INSTALLED_DIR}) {
#endif
        std::error_code error;
        // Links in the installed path resolved here; the walk that opens the
        // module follows none.
        const std::filesystem::path resolved =
            std::filesystem::weakly_canonical(folder / relative, error);
        candidates.push_back(((error ? (folder / relative) : resolved) / PAGORA_WINDOW_MODULE_FILE)
                                 .lexically_normal()
                                 .string());
    }
    return candidates;
}

} // namespace

int RunWindowModule(int argc, char **argv)
{
    const std::filesystem::path folder = ExecutableFolder();
    QStringList lookedIn;
    for (const std::string &candidate : WindowModuleCandidates(folder)) {
        const int descriptor = folder.empty() ? -2 : OpenCheckedModule(candidate);
        if (descriptor == -2) {
            lookedIn << QString::fromStdString(
                std::filesystem::path(candidate).parent_path().string());
            continue;
        }
        if (descriptor < 0)
            return ReportCannotLoad(
                CommandLineTexts::kWindowModuleNotSafe.arg(QString::fromStdString(candidate)));
#ifdef Q_OS_MACOS
        ::close(descriptor);
        const std::string loaded = candidate;
#else
        // The descriptor checked, not the name: it may name another file by now.
        const std::string loaded = "/proc/self/fd/" + std::to_string(descriptor);
#endif
        // Its own copies of what it shares with the executable stay its own.
        void *module = dlopen(loaded.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (module == nullptr)
            return ReportCannotLoad(QString::fromLocal8Bit(dlerror()));
        auto windowMain = reinterpret_cast<WindowMainFunction>(dlsym(module, "PagoraWindowMain"));
        if (windowMain == nullptr)
            return ReportCannotLoad(QString::fromLocal8Bit(dlerror()));
        // The module stays loaded until the program ends: Qt's objects made
        // by it live until then.
        return windowMain(argc, argv);
    }
    return ReportCannotLoad(CommandLineTexts::kWindowModuleNotFound.arg(
        QStringLiteral(PAGORA_WINDOW_MODULE_FILE), lookedIn.join(QStringLiteral(", "))));
}
