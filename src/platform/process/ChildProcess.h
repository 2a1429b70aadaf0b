#pragma once

#include "platform/process/OutputBuffer.h"
#include "platform/process/ProcessResult.h"

#include <QList>
#include <QObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTimer>

#include <functional>
#include <vector>

// One child program, driven by QProcess's signals: nothing here ever waits,
// so the thread that started it goes on handling its events. The child runs
// in a process group of its own, led by a small watcher that this program
// starts (and reaps) first: the watcher ends the whole group as soon as this
// program is gone, however it ended (a crash or SIGKILL included). When the
// child has finished, its group is killed, so that nothing it started
// lingers. At the time-out or on cancel() the child and its group get
// SIGTERM and, after a short grace, SIGKILL: the child's own process id too,
// so one that left its group is stopped all the same. finished() is emitted
// exactly once per start().
class ChildProcess : public QObject
{
    Q_OBJECT

public:
    static constexpr int kDefaultTimeoutMs = 10000;
    static constexpr int kGraceMs = 500;

    // Runs in the child between fork and exec, after the lifetime tie, the
    // working folder and the inherited descriptors are in place (every
    // other descriptor still open, to close at exec): only async-signal-safe
    // calls (no allocation, no Qt). It returns only when the child may go
    // on to exec; otherwise it calls _exit itself.
    using ChildSetup = std::function<void()>;

    explicit ChildProcess(QObject *parent = nullptr);
    ~ChildProcess() override;

    void setTimeout(int milliseconds) { m_timeoutMs = milliseconds; }
    // Keeps at most this many bytes of output, half from its start and half
    // from its end; 0 keeps everything.
    void setOutputLimit(qint64 bytes) { m_outputLimit = bytes; }
    void setEnvironment(const QProcessEnvironment &environment) { m_environment = environment; }
    void setWorkingDirectory(const QString &folder) { m_workingDirectory = folder; }
    // An open folder the child changes into (fchdir) before its program
    // starts: after the working directory, before the child setup, so that
    // the program works in the very folder that was checked, not in what its
    // path leads to by then. The descriptor stays the caller's and must stay
    // open until start() has returned; -1: none.
    void setWorkingFolder(int descriptor) { m_workingFolder = descriptor; }
    // Open descriptors (above 2) the program gets under the same numbers, so
    // that it can open them as /dev/fd/N. Only the child's copies lose
    // close-on-exec; they stay the caller's and must stay open until start()
    // has returned. They and 0-2 are all the program gets: every other
    // descriptor, close-on-exec or not (one this program inherited itself),
    // closes when the program starts.
    void setInheritedDescriptors(const QList<int> &descriptors)
    {
        m_inherited.assign(descriptors.cbegin(), descriptors.cend());
    }
    // The same for one descriptor; -1: none.
    void setInheritedDescriptor(int descriptor)
    {
        setInheritedDescriptors(descriptor >= 0 ? QList<int>{descriptor} : QList<int>{});
    }
    // The largest file the child may write (RLIMIT_FSIZE); 0: no limit.
    void setFileSizeLimit(quint64 bytes) { m_fileSizeLimit = bytes; }
    void setChildSetup(ChildSetup setup) { m_childSetup = std::move(setup); }

    // A program with its arguments, without any shell.
    void start(const QString &program, const QStringList &arguments);
    // Stops the running child; finished() then reports it cancelled.
    void cancel();
    bool isRunning() const;
    // The child's process id while it runs, 0 otherwise.
    qint64 processId() const;

signals:
    void finished(const ProcessResult &result);

private:
    void onStarted();
    void onFinished(int exitCode, QProcess::ExitStatus status);
    void onError(QProcess::ProcessError error);
    void stopAll();
    // The child itself while it is not reaped, and its group.
    void signalAll(int signal);
    void closeLifeline();
    void finish();

    friend void StopAllChildProcesses();

    // Owned by this object while the child runs under it; one that is
    // still running when this object goes is handed on to be reaped.
    QProcess *m_process;
    QTimer m_deadline;
    QTimer m_grace;
    OutputBuffer m_output;
    ProcessResult m_result;
    int m_timeoutMs = kDefaultTimeoutMs;
    qint64 m_outputLimit = 0;
    quint64 m_fileSizeLimit = 0;
    QProcessEnvironment m_environment = QProcessEnvironment::systemEnvironment();
    QString m_workingDirectory;
    int m_workingFolder = -1;
    std::vector<int> m_inherited;
    ChildSetup m_childSetup;
    qint64 m_pid = 0;
    // The watcher, a child of this program: its process id names the group,
    // which cannot be taken by anybody else until the watcher is reaped.
    qint64 m_group = 0;
    int m_lifeline = -1; // the write end of the watcher's pipe
    bool m_running = false;
};

// Ends every child, and its process group, this program still has: called on
// the way out, after SIGTERM, SIGINT or SIGHUP, before the program quits.
void StopAllChildProcesses();
