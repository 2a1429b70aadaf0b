#include "support/ChildProcess.h"

#include <QtGlobal>

#include <chrono>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;
#endif

#ifdef Q_OS_UNIX
namespace {

double seconds(const timeval &time)
{
    return double(time.tv_sec) + double(time.tv_usec) / 1e6;
}

} // namespace
#endif

ChildRun RunChild(const std::vector<std::string> &argv, const std::string &stdoutPath,
                  const std::string &stderrPath)
{
    ChildRun run;
#ifdef Q_OS_UNIX
    std::vector<char *> arguments;
    for (const std::string &argument : argv)
        arguments.push_back(const_cast<char *>(argument.c_str()));
    arguments.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, stdoutPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    if (stderrPath == stdoutPath)
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
    else
        posix_spawn_file_actions_addopen(&actions, 2, stderrPath.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);

    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned =
        posix_spawnp(&pid, arguments[0], &actions, nullptr, arguments.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return run;
    run.started = true;

    int status = 0;
    struct rusage usage {
    };
    while (::wait4(pid, &status, 0, &usage) < 0) {
        if (errno != EINTR)
            return run;
    }
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.cpuSeconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    if (WIFEXITED(status))
        run.exitCode = WEXITSTATUS(status);
#ifdef Q_OS_MACOS
    run.peakRssMiB = double(usage.ru_maxrss) / (1024.0 * 1024.0); // bytes there
#else
    run.peakRssMiB = double(usage.ru_maxrss) / 1024.0; // KiB on Linux
#endif
#else
    Q_UNUSED(argv);
    Q_UNUSED(stdoutPath);
    Q_UNUSED(stderrPath);
#endif
    return run;
}

double ProcessorSeconds()
{
#ifdef Q_OS_UNIX
    double total = 0;
    for (const int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
        struct rusage usage {
        };
        ::getrusage(who, &usage);
        total += seconds(usage.ru_utime) + seconds(usage.ru_stime);
    }
    return total;
#else
    return 0;
#endif
}
