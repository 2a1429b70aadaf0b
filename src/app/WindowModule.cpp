#include "app/WindowModule.h"

#include "app/CommandLineTexts.h"

#include <QStringList>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include <dlfcn.h>
#include <sys/stat.h>
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

// Whether only this user or the administrator can change the module: it and
// its folder belong to one of them and are not writable by everybody.
bool OnlyOursOrTheSystems(const std::filesystem::path &module)
{
    for (const std::filesystem::path &path : {module, module.parent_path()}) {
        struct stat status {
        };
        if (::stat(path.c_str(), &status) != 0)
            return false;
        if ((status.st_uid != 0 && status.st_uid != ::geteuid()) || (status.st_mode & S_IWOTH) != 0)
            return false;
    }
    return true;
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
    for (const char *relative : {".",
#ifdef Q_OS_MACOS
                                 "../PlugIns",
#endif
                                 PAGORA_WINDOW_MODULE_INSTALLED_DIR})
        candidates.push_back(
            (folder / relative / PAGORA_WINDOW_MODULE_FILE).lexically_normal().string());
    return candidates;
}

} // namespace

int RunWindowModule(int argc, char **argv)
{
    const std::filesystem::path folder = ExecutableFolder();
    QStringList lookedIn;
    for (const std::string &candidate : WindowModuleCandidates(folder)) {
        std::error_code error;
        if (folder.empty() || !std::filesystem::exists(candidate, error)) {
            lookedIn << QString::fromStdString(
                std::filesystem::path(candidate).parent_path().string());
            continue;
        }
        if (!OnlyOursOrTheSystems(candidate))
            return ReportCannotLoad(
                CommandLineTexts::kWindowModuleNotSafe.arg(QString::fromStdString(candidate)));
        // Its own copies of what it shares with the executable stay its own.
        void *module = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
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
