#include "platform/ChildProcess.h"

#include <QCoreApplication>
#include <QSet>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>
#endif
#ifdef Q_OS_LINUX
#include <sys/prctl.h>
#include <sys/syscall.h>
#endif

namespace {

// The process groups of the children that run now.
QSet<qint64> &runningGroups()
{
    static QSet<qint64> groups;
    return groups;
}

#ifdef Q_OS_UNIX
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
    struct rlimit limit {};
    int highest = 1024;
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY)
        highest = static_cast<int>(limit.rlim_cur < 65536 ? limit.rlim_cur : 65536);
    for (int fd = 0; fd < highest; ++fd) {
        if (fd != keep)
            ::close(fd);
    }
}

// The watcher: it waits until no one holds the write end of its pipe any more
// (this program ended, or the child finished and the end was closed), then
// ends its whole process group, itself included.
[[noreturn]] void watch(int readEnd)
{
    struct sigaction standard {};
    standard.sa_handler = SIG_DFL;
    for (int signal : {SIGTERM, SIGINT, SIGHUP, SIGPIPE})
        ::sigaction(signal, &standard, nullptr);
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
        stopGroup();
    });
    connect(&m_grace, &QTimer::timeout, this, [this] { signalGroup(SIGKILL); });
}

ChildProcess::~ChildProcess()
{
    if (m_running) {
        m_process->disconnect(this);
        signalGroup(SIGKILL);
        runningGroups().remove(m_pid);
        // The killed child is reaped from the event loop, not waited for
        // here: the process object outlives this one until it has finished.
        // Should the application go first, it takes the object with it.
        m_process->setParent(QCoreApplication::instance());
        connect(m_process, &QProcess::finished, m_process, &QObject::deleteLater);
    }
    closeLifeline();
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
    int ends[2] = {-1, -1};
    if (::pipe(ends) != 0) {
        m_result.errorText = QString::fromLocal8Bit(std::strerror(errno));
        QMetaObject::invokeMethod(this, &ChildProcess::finish, Qt::QueuedConnection);
        return;
    }
    // Neither end may reach an executed program: the watcher alone reads it.
    ::fcntl(ends[0], F_SETFD, FD_CLOEXEC);
    ::fcntl(ends[1], F_SETFD, FD_CLOEXEC);
    m_lifeline = ends[1];
    const int readEnd = ends[0];
    const pid_t parent = ::getpid();
    const quint64 fileSizeLimit = m_fileSizeLimit;
    const ChildSetup setup = m_childSetup;
    m_process->setChildProcessModifier([readEnd, parent, fileSizeLimit, setup] {
        ::setpgid(0, 0);
        const pid_t watcher = ::fork();
        if (watcher == 0)
            watch(readEnd);
        if (watcher < 0)
            ::_exit(127);
        ::close(readEnd);
#ifdef Q_OS_LINUX
        // Belt and braces for the child itself, should the watcher be killed.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent)
            ::_exit(127);
#else
        (void)parent;
#endif
        if (fileSizeLimit > 0) {
            struct rlimit limit {};
            limit.rlim_cur = limit.rlim_max = static_cast<rlim_t>(fileSizeLimit);
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        if (setup)
            setup();
    });
#endif

    m_process->start(program, arguments);
#ifdef Q_OS_UNIX
    ::close(readEnd);
#endif
    m_pid = m_process->processId();
    if (m_pid > 0)
        runningGroups().insert(m_pid);
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
    runningGroups().remove(m_pid);
    // The watcher now ends whatever the child left running in its group.
    closeLifeline();
    m_output.finishInto(m_result);
    m_pid = 0;
    emit finished(m_result);
}

void ChildProcess::cancel()
{
    if (!m_running || m_result.timedOut)
        return;
    m_result.cancelled = true;
    stopGroup();
}

bool ChildProcess::isRunning() const
{
    return m_running;
}

qint64 ChildProcess::processId() const
{
    return m_pid;
}

void ChildProcess::stopGroup()
{
    signalGroup(SIGTERM);
    m_grace.start(kGraceMs);
}

void ChildProcess::signalGroup(int signal)
{
#ifdef Q_OS_UNIX
    // The group lives as long as its watcher, which outlives the child, so
    // the number cannot belong to anybody else yet.
    if (m_pid > 0)
        ::kill(-static_cast<pid_t>(m_pid), signal);
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
#ifdef Q_OS_UNIX
    for (const qint64 group : std::as_const(runningGroups()))
        ::kill(-static_cast<pid_t>(group), SIGKILL);
#endif
}
