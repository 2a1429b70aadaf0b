#pragma once

#include "platform/OutputBuffer.h"
#include "platform/ProcessResult.h"

#include <QObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTimer>

#include <functional>

// One child program, driven by QProcess's signals: nothing here ever waits,
// so the thread that started it goes on handling its events. The child runs
// in a process group of its own, and a small watcher inside that group ends
// the whole group as soon as this program is gone, however it ended (a crash
// or SIGKILL included), and after the child has finished, so that nothing it
// started lingers. At the time-out or on cancel() the group gets SIGTERM and,
// after a short grace, SIGKILL. finished() is emitted exactly once per start().
class ChildProcess : public QObject
{
    Q_OBJECT

public:
    static constexpr int kDefaultTimeoutMs = 10000;
    static constexpr int kGraceMs = 500;

    // Runs in the child between fork and exec, after the lifetime tie is in
    // place: only async-signal-safe calls (no allocation, no Qt). It returns
    // only when the child may go on to exec; otherwise it calls _exit itself.
    using ChildSetup = std::function<void()>;

    explicit ChildProcess(QObject *parent = nullptr);
    ~ChildProcess() override;

    void setTimeout(int milliseconds) { m_timeoutMs = milliseconds; }
    // Keeps at most this many bytes of output, half from its start and half
    // from its end; 0 keeps everything.
    void setOutputLimit(qint64 bytes) { m_outputLimit = bytes; }
    void setEnvironment(const QProcessEnvironment &environment) { m_environment = environment; }
    void setWorkingDirectory(const QString &folder) { m_workingDirectory = folder; }
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
    void stopGroup();
    void signalGroup(int signal);
    void closeLifeline();
    void finish();

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
    ChildSetup m_childSetup;
    qint64 m_pid = 0;
    int m_lifeline = -1; // the write end of the watcher's pipe
    bool m_running = false;
};

// Ends every child process group this program still has: called on the way
// out, from the handler of SIGTERM, SIGINT or SIGHUP, before the program quits.
void StopAllChildProcesses();
