#pragma once

#include "platform/ProcessResult.h"

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

class ProcessRunner;

// Told when a child starts and ends, so that a busy indicator can be shown and
// the run cancelled from within the wait.
class RunObserver
{
public:
    virtual ~RunObserver() = default;
    virtual void runStarted(ProcessRunner &runner) = 0;
    virtual void runFinished() = 0;
};

// Runs one command to its end or its time-out. While it waits, the calling
// thread keeps handling events other than user input (repaints, timers), so a
// window stays painted. At the time-out the command and every process it
// started are stopped: terminate, a short grace, then kill the process group.
class ProcessRunner
{
public:
    static constexpr int kDefaultTimeoutMs = 10000;
    static constexpr int kGraceMs = 500;

    explicit ProcessRunner(int timeoutMs = kDefaultTimeoutMs) : m_timeoutMs(timeoutMs) {}

    void setTimeout(int milliseconds) { m_timeoutMs = milliseconds; }
    int timeout() const { return m_timeoutMs; }
    // Keeps at most this many bytes of output, half from its start and half
    // from its end; 0 keeps everything. The rest is still read, so a command
    // that talks without end cannot stall on a full pipe nor fill the memory.
    void setOutputLimit(qint64 bytes) { m_outputLimit = bytes; }
    void setEnvironment(const QProcessEnvironment &environment) { m_environment = environment; }
    // With an observer the wait lets user input through as well: the observer
    // is then in charge of keeping it away from anything but its own controls.
    void setObserver(RunObserver *observer) { m_observer = observer; }

    // A program with its arguments, without any shell.
    ProcessResult run(const QString &program, const QStringList &arguments);
    // A command line for /bin/sh -c.
    ProcessResult runShell(const QString &commandLine);

    // Stops the running command from inside the wait (an observer's button).
    void cancel();

private:
    int m_timeoutMs;
    qint64 m_outputLimit = 0;
    QProcessEnvironment m_environment = QProcessEnvironment::systemEnvironment();
    RunObserver *m_observer = nullptr;
    bool m_cancelRequested = false;
    class QEventLoop *m_loop = nullptr;
};
