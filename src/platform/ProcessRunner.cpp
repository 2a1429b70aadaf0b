#include "platform/ProcessRunner.h"

#include "platform/OutputBuffer.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <csignal>
#include <unistd.h>
#endif

namespace {

// Sends a signal to the child's whole process group: Ghostscript run by a
// script, or a shell's children, go with it.
void signalGroup(QProcess &process, bool kill)
{
#ifdef Q_OS_UNIX
    const qint64 pid = process.processId();
    if (pid > 0)
        ::kill(-static_cast<pid_t>(pid), kill ? SIGKILL : SIGTERM);
#endif
    if (kill)
        process.kill();
    else
        process.terminate();
}

void stop(QProcess &process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    signalGroup(process, false);
    if (!process.waitForFinished(ProcessRunner::kGraceMs)) {
        signalGroup(process, true);
        process.waitForFinished(ProcessRunner::kGraceMs * 4);
    }
#ifdef Q_OS_UNIX
    // Children that outlived the leader still belong to its group.
    const qint64 pid = process.processId();
    if (pid > 0)
        ::kill(-static_cast<pid_t>(pid), SIGKILL);
#endif
}

} // namespace

ProcessResult ProcessRunner::run(const QString &program, const QStringList &arguments)
{
    ProcessResult result;
    OutputBuffer output(m_outputLimit);
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setProcessEnvironment(m_environment);
    process.setInputChannelMode(QProcess::ManagedInputChannel);
#ifdef Q_OS_UNIX
    // Its own process group, so that a time-out can stop everything it started.
    process.setChildProcessModifier([] { ::setpgid(0, 0); });
#endif
    m_cancelRequested = false;

    QEventLoop loop;
    m_loop = &loop;
    QObject::connect(&process, &QProcess::readyRead, &loop,
                     [&] { output.append(process.readAll()); });
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&process, &QProcess::errorOccurred, &loop, [&](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            loop.quit();
    });
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, [&] {
        result.timedOut = true;
        loop.quit();
    });

    process.start(program, arguments);
    process.closeWriteChannel();
    if (!process.waitForStarted(m_timeoutMs)) {
        result.errorText = process.errorString();
        m_loop = nullptr;
        return result;
    }
    result.started = true;
    deadline.start(m_timeoutMs);
    if (m_observer)
        m_observer->runStarted(*this);
    if (process.state() != QProcess::NotRunning && !m_cancelRequested) {
        if (QCoreApplication::instance() != nullptr) {
            loop.exec(m_observer ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
        } else if (!process.waitForFinished(m_timeoutMs)) {
            // Without an application object (a command-line tool) there is no
            // event loop to keep alive, so a plain bounded wait will do.
            result.timedOut = true;
        }
    }
    m_loop = nullptr;
    deadline.stop();

    if (result.timedOut || m_cancelRequested) {
        stop(process);
        result.cancelled = m_cancelRequested && !result.timedOut;
    } else {
        process.waitForFinished(kGraceMs);
    }
    output.append(process.readAll());
    output.finishInto(result);
    if (m_observer)
        m_observer->runFinished();

    if (!result.timedOut && !result.cancelled) {
        result.crashed = process.exitStatus() == QProcess::CrashExit;
        result.exitCode = process.exitCode();
    }
    return result;
}

ProcessResult ProcessRunner::runShell(const QString &commandLine)
{
    return run(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), commandLine});
}

void ProcessRunner::cancel()
{
    m_cancelRequested = true;
    if (m_loop)
        m_loop->quit();
}
