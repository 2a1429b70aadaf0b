#include "platform/process/ChildProcess.h"

#include "platform/text/SystemErrorText.h"

#include <QCoreApplication>
#include <QSet>
#include <QTimer>

#include <algorithm>
#include <cstdlib>
#include <mutex>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif
#ifdef Q_OS_LINUX
#include <sys/prctl.h>
#include <sys/syscall.h>
#endif

namespace {

// The children that run now.
QSet<ChildProcess *> &runningChildren()
{
    static QSet<ChildProcess *> children;
    return children;
}

#ifdef Q_OS_UNIX
// The highest descriptor number a process may hold, bounded: the fallbacks
// below try every number up to it.
int descriptorLimit()
{
    struct rlimit limit {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return 65536;
    return static_cast<int>(limit.rlim_cur < 1048576 ? limit.rlim_cur : 1048576);
}

// Closes every descriptor but keep, so that the watcher holds no other
// child's lifeline open (two watchers holding each other's would wait forever)
// and no pipe of QProcess's.
void closeAllBut(int keep)
{
#if defined(Q_OS_LINUX) && defined(SYS_close_range)
    if ((keep == 0 || ::syscall(SYS_close_range, 0u, static_cast<unsigned>(keep - 1), 0u) == 0) &&
        ::syscall(SYS_close_range, static_cast<unsigned>(keep + 1), ~0u, 0u) == 0)
        return;
#endif
    const int highest = descriptorLimit();
    for (int fd = 0; fd < highest; ++fd) {
        if (fd != keep)
            ::close(fd);
    }
}

// The watcher: it leads the child's process group and waits until no one
// holds the write end of its pipe any more (this program ended, or the child
// finished and the end was closed), then ends its whole group, itself
// included. It is this program's own child, so that its end is reaped here.
[[noreturn]] void watch(int readEnd)
{
    ::setpgid(0, 0);
    // The SIGTERM a stop sends the group is not for the watcher: it stays
    // until the SIGKILL that ends the group, or until this program is gone.
    struct sigaction ignore {
    };
    ignore.sa_handler = SIG_IGN;
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signal, &ignore, nullptr);
    struct sigaction standard {};
    standard.sa_handler = SIG_DFL;
    ::sigaction(SIGPIPE, &standard, nullptr);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    closeAllBut(readEnd);
    char byte = 0;
    while (::read(readEnd, &byte, 1) < 0 && errno == EINTR) {
    }
    ::kill(0, SIGKILL);
    ::_exit(0);
}

// Watchers that were ended and wait to be reaped. Each is reaped by its own
// process id: QProcess reaps its children itself, and a wait for any child
// would take their exit from it.
std::mutex g_watchersMutex;
std::vector<pid_t> g_endedWatchers;
bool g_reapingScheduled = false;
constexpr int kReapIntervalMs = 20;

void reapWatchers()
{
    const std::lock_guard<std::mutex> lock(g_watchersMutex);
    std::erase_if(g_endedWatchers, [](pid_t watcher) {
        int status = 0;
        const pid_t reaped = ::waitpid(watcher, &status, WNOHANG);
        return reaped == watcher || (reaped < 0 && errno == ECHILD);
    });
}

// A killed watcher is gone within moments, but not at once: what is not
// reaped now is looked at again shortly, from the event loop.
void scheduleReaping()
{
    const std::lock_guard<std::mutex> lock(g_watchersMutex);
    QCoreApplication *application = QCoreApplication::instance();
    if (g_reapingScheduled || g_endedWatchers.empty() || application == nullptr)
        return;
    g_reapingScheduled = true;
    QTimer::singleShot(kReapIntervalMs, application, [] {
        {
            const std::lock_guard<std::mutex> lock(g_watchersMutex);
            g_reapingScheduled = false;
        }
        reapWatchers();
        scheduleReaping();
    });
}

// On the way out the event loop reaps no more: the last watchers, killed
// already, are waited for briefly, so that none is left for init.
void reapWatchersAtExit()
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        reapWatchers();
        {
            const std::lock_guard<std::mutex> lock(g_watchersMutex);
            if (g_endedWatchers.empty())
                return;
        }
        ::usleep(2000);
    }
}

void reapWatcher(pid_t watcher)
{
    static const bool atExit = std::atexit(reapWatchersAtExit) == 0;
    Q_UNUSED(atExit);
    if (watcher > 0) {
        const std::lock_guard<std::mutex> lock(g_watchersMutex);
        g_endedWatchers.push_back(watcher);
    }
    reapWatchers();
    scheduleReaping();
}

// Ends the child before its program runs, saying why on its standard error.
[[noreturn]] void childCannot(const char *what)
{
    static const char prefix[] = "pagora: child: cannot ";
    [[maybe_unused]] ssize_t written = ::write(2, prefix, sizeof prefix - 1);
    written = ::write(2, what, std::strlen(what));
    written = ::write(2, "\n", 1);
    ::_exit(127);
}

// Starts the watcher and gives it its pipe; the write end, this program's
// lifeline to it, goes to lifeline. -1 with errno set when it cannot.
pid_t startWatcher(int *lifeline)
{
    int ends[2] = {-1, -1};
    // Neither end may reach an executed program: the watcher alone reads it.
    // Made close-on-exec at once where the system can, so that a child
    // another thread starts meanwhile does not get it either.
#ifdef Q_OS_LINUX
    if (::pipe2(ends, O_CLOEXEC) != 0)
        return -1;
#else
    if (::pipe(ends) != 0)
        return -1;
    ::fcntl(ends[0], F_SETFD, FD_CLOEXEC);
    ::fcntl(ends[1], F_SETFD, FD_CLOEXEC);
#endif
    const pid_t watcher = ::fork();
    if (watcher == 0)
        watch(ends[0]);
    const int forkError = errno;
    ::close(ends[0]);
    if (watcher < 0) {
        ::close(ends[1]);
        errno = forkError;
        return -1;
    }
    // Here as well as in the watcher, so that the group is there before the
    // child is started, whichever of the two runs first.
    ::setpgid(watcher, watcher);
    *lifeline = ends[1];
    return watcher;
}

// What the child applies between fork and exec, copied before the fork so
// that the child itself allocates nothing.
struct ChildTies {
    pid_t watcher;
    pid_t parent;
    quint64 fileSizeLimit;
    int workingFolder;
    std::vector<int> inherited;
    // 0, 1, 2 and the inherited ones, in ascending order, each once.
    std::vector<int> kept;
    ChildProcess::ChildSetup setup;
};

std::vector<int> keptDescriptors(const std::vector<int> &inherited)
{
    std::vector<int> kept{0, 1, 2};
    kept.insert(kept.end(), inherited.cbegin(), inherited.cend());
    std::sort(kept.begin(), kept.end());
    kept.erase(std::unique(kept.begin(), kept.end()), kept.end());
    return kept;
}

// Ties the child's lifetime to this program's: it joins the watcher's group,
// and on Linux it dies with its parent too.
void joinWatcher(pid_t watcher, pid_t parent)
{
    if (::setpgid(0, watcher) != 0)
        childCannot("join its process group");
#ifdef Q_OS_LINUX
    // Belt and braces, should the watcher be killed.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent)
        ::_exit(127);
#else
    (void)parent;
#endif
}

void limitFileSize(quint64 bytes)
{
    if (bytes > 0) {
        struct rlimit limit {
        };
        limit.rlim_cur = limit.rlim_max = static_cast<rlim_t>(bytes);
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
}

// Only the child's copies lose close-on-exec: the caller's stay as they are.
void keepAcrossExec(const std::vector<int> &inherited)
{
    for (const int descriptor : inherited) {
        const int flags = ::fcntl(descriptor, F_GETFD);
        if (descriptor <= 2 || flags < 0 || ::fcntl(descriptor, F_SETFD, flags & ~FD_CLOEXEC) != 0)
            childCannot("inherit a descriptor");
    }
}

// Descriptors first to last (last may be ~0U) close at exec.
void closeAtExec(unsigned first, unsigned last)
{
#if defined(Q_OS_LINUX) && defined(SYS_close_range)
    // CLOSE_RANGE_CLOEXEC, spelt out as older <linux/close_range.h> lack it;
    // a kernel before 5.11 answers ENOSYS or EINVAL.
    constexpr unsigned kCloseRangeCloexec = 1U << 2;
    if (::syscall(SYS_close_range, first, last, kCloseRangeCloexec) == 0)
        return;
#endif
    const unsigned highest = static_cast<unsigned>(descriptorLimit());
    for (unsigned fd = first; fd <= last && fd < highest; ++fd)
        ::fcntl(static_cast<int>(fd), F_SETFD, FD_CLOEXEC);
}

// Whatever this program holds without close-on-exec (what the shell that
// started it left open, a library's descriptor) must not reach the
// program, as Landlock does not check reads on a descriptor already open.
// Marked rather than closed: the set-up after this still uses some of them
// before exec (the Landlock ruleset, QProcess's pipe that reports a failed
// exec).
void closeOthersAtExec(const std::vector<int> &kept)
{
    unsigned next = 0;
    for (const int descriptor : kept) {
        const unsigned current = static_cast<unsigned>(descriptor);
        if (current > next)
            closeAtExec(next, current - 1);
        next = current + 1;
    }
    closeAtExec(next, ~0U);
}

// Runs in the child between fork and exec: async-signal-safe calls only.
// The group and the watcher are in place before the caller's setup, which
// may deny the child setpgid and new processes.
void enterChild(const ChildTies &ties)
{
    joinWatcher(ties.watcher, ties.parent);
    limitFileSize(ties.fileSizeLimit);
    if (ties.workingFolder >= 0 && ::fchdir(ties.workingFolder) != 0)
        childCannot("enter its working folder");
    keepAcrossExec(ties.inherited);
    closeOthersAtExec(ties.kept);
    if (ties.setup)
        ties.setup();
}
#endif

} // namespace

ChildProcess::ChildProcess(QObject *parent) : QObject(parent), m_process(new QProcess(this))
{
    m_process->setProcessChannelMode(QProcess::MergedChannels);
    m_deadline.setSingleShot(true);
    m_grace.setSingleShot(true);
    connect(m_process, &QProcess::readyRead, this,
            [this] { m_output.append(m_process->readAll()); });
    connect(m_process, &QProcess::started, this, &ChildProcess::onStarted);
    connect(m_process, &QProcess::finished, this, &ChildProcess::onFinished);
    connect(m_process, &QProcess::errorOccurred, this, &ChildProcess::onError);
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        m_result.timedOut = true;
        stopAll();
    });
    connect(&m_grace, &QTimer::timeout, this, [this] { signalAll(SIGKILL); });
}

ChildProcess::~ChildProcess()
{
    if (m_running) {
        m_process->disconnect(this);
        signalAll(SIGKILL);
        runningChildren().remove(this);
        // The killed child is reaped from the event loop, not waited for
        // here: the process object outlives this one until it has finished.
        // Should the application go first, it takes the object with it.
        m_process->setParent(QCoreApplication::instance());
        connect(m_process, &QProcess::finished, m_process, &QObject::deleteLater);
    }
    closeLifeline();
#ifdef Q_OS_UNIX
    reapWatcher(static_cast<pid_t>(std::exchange(m_group, 0)));
#endif
}

void ChildProcess::start(const QString &program, const QStringList &arguments)
{
    Q_ASSERT(!m_running);
    m_result = ProcessResult();
    m_output = OutputBuffer(m_outputLimit);
    m_running = true;
    m_pid = 0;
    m_process->setProcessEnvironment(m_environment);
    m_process->setWorkingDirectory(m_workingDirectory);
    m_process->setInputChannelMode(QProcess::ManagedInputChannel);

#ifdef Q_OS_UNIX
    reapWatchers();
    // The watcher comes first, so that the child can join its group: a
    // group that lives as long as the watcher is not reaped, so its number
    // stays the child's to signal even once the child is gone.
    const pid_t watcher = startWatcher(&m_lifeline);
    if (watcher < 0) {
        m_result.errorText = SystemErrorText(errno);
        QMetaObject::invokeMethod(this, &ChildProcess::finish, Qt::QueuedConnection);
        return;
    }
    m_group = watcher;
    const ChildTies ties{.watcher = watcher,
                         .parent = ::getpid(),
                         .fileSizeLimit = m_fileSizeLimit,
                         .workingFolder = m_workingFolder,
                         .inherited = m_inherited,
                         .kept = keptDescriptors(m_inherited),
                         .setup = m_childSetup};
    m_process->setChildProcessModifier([ties] { enterChild(ties); });
#endif

    m_process->start(program, arguments);
    m_pid = m_process->processId();
    runningChildren().insert(this);
    m_process->closeWriteChannel();
}

void ChildProcess::onStarted()
{
    m_result.started = true;
    m_deadline.start(m_timeoutMs);
}

void ChildProcess::onError(QProcess::ProcessError error)
{
    if (error != QProcess::FailedToStart || !m_running)
        return;
    m_result.errorText = m_process->errorString();
    // Told after start() has returned, as every other outcome is.
    QMetaObject::invokeMethod(this, &ChildProcess::finish, Qt::QueuedConnection);
}

void ChildProcess::onFinished(int exitCode, QProcess::ExitStatus status)
{
    m_output.append(m_process->readAll());
    if (!m_result.timedOut && !m_result.cancelled) {
        m_result.crashed = status == QProcess::CrashExit;
        m_result.exitCode = exitCode;
    }
    finish();
}

void ChildProcess::finish()
{
    if (!m_running)
        return;
    m_running = false;
    m_deadline.stop();
    m_grace.stop();
    runningChildren().remove(this);
#ifdef Q_OS_UNIX
    // Whatever the child left running in its group ends now, the watcher
    // with it, even one stopped by the child; closing its pipe alone would
    // leave the work to the watcher.
    if (m_group > 0)
        ::kill(-static_cast<pid_t>(m_group), SIGKILL);
    closeLifeline();
    reapWatcher(static_cast<pid_t>(std::exchange(m_group, 0)));
#endif
    m_output.finishInto(m_result);
    m_pid = 0;
    emit finished(m_result);
}

void ChildProcess::cancel()
{
    if (!m_running || m_result.timedOut)
        return;
    m_result.cancelled = true;
    stopAll();
}

bool ChildProcess::isRunning() const
{
    return m_running;
}

qint64 ChildProcess::processId() const
{
    return m_pid;
}

void ChildProcess::stopAll()
{
    signalAll(SIGTERM);
    m_grace.start(kGraceMs);
}

void ChildProcess::signalAll(int signal)
{
#ifdef Q_OS_UNIX
    // The child's number is its own until QProcess has reaped it, and the
    // group's until the watcher is reaped, which happens only after finish.
    if (m_pid > 0 && m_process->state() != QProcess::NotRunning)
        ::kill(static_cast<pid_t>(m_pid), signal);
    if (m_group > 0)
        ::kill(-static_cast<pid_t>(m_group), signal);
#else
    if (signal == SIGKILL)
        m_process->kill();
    else
        m_process->terminate();
#endif
}

void ChildProcess::closeLifeline()
{
#ifdef Q_OS_UNIX
    if (m_lifeline >= 0)
        ::close(m_lifeline);
#endif
    m_lifeline = -1;
}

void StopAllChildProcesses()
{
    for (ChildProcess *child : std::as_const(runningChildren()))
        child->signalAll(SIGKILL);
}
