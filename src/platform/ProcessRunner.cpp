#include "platform/ProcessRunner.h"

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

// The length of bytes without a UTF-8 sequence cut off at its end.
qsizetype completeUtf8Prefix(const QByteArray &bytes)
{
    qsizetype lead = bytes.size();
    while (lead > 0 && bytes.size() - lead < 4 &&
           (static_cast<uchar>(bytes.at(lead - 1)) & 0xc0) == 0x80)
        --lead;
    if (lead == 0)
        return bytes.size();
    const uchar first = static_cast<uchar>(bytes.at(lead - 1));
    const qsizetype needed = first >= 0xf0 ? 4 : first >= 0xe0 ? 3 : first >= 0xc0 ? 2 : 1;
    return bytes.size() - (lead - 1) < needed ? lead - 1 : bytes.size();
}

// Gathers a command's output, keeping its first and last bytes once there is
// more than the limit.
class OutputBuffer
{
public:
    explicit OutputBuffer(qint64 limit)
        : m_headLimit(limit / 2), m_tailLimit(limit - limit / 2), m_limited(limit > 0)
    {
    }

    void append(QByteArray bytes)
    {
        if (!m_limited || m_head.size() + bytes.size() <= m_headLimit) {
            m_head += bytes;
            return;
        }
        const qsizetype room = std::max<qsizetype>(0, m_headLimit - m_head.size());
        m_head += bytes.left(room);
        m_tail += bytes.mid(room);
        // Trimmed only now and then, so a stream of small reads costs no more
        // than copying each byte a few times.
        if (m_tail.size() > 2 * m_tailLimit)
            trimTail();
    }

    void finishInto(ProcessResult &result)
    {
        trimTail();
        if (m_omitted > 0) {
            // Cut at a character, not inside a UTF-8 sequence.
            for (int i = 0;
                 i < 3 && !m_tail.isEmpty() && (static_cast<uchar>(m_tail.front()) & 0xc0) == 0x80;
                 ++i) {
                m_tail.remove(0, 1);
                ++m_omitted;
            }
            const qsizetype headEnd = completeUtf8Prefix(m_head);
            m_omitted += m_head.size() - headEnd;
            m_head.truncate(headEnd);
            result.omittedAt = m_head.size();
        }
        result.omittedBytes = m_omitted;
        result.output = m_head + m_tail;
    }

private:
    void trimTail()
    {
        if (m_tail.size() <= m_tailLimit)
            return;
        const qsizetype excess = m_tail.size() - m_tailLimit;
        m_tail.remove(0, excess);
        m_omitted += excess;
    }

    qint64 m_headLimit;
    qint64 m_tailLimit;
    bool m_limited;
    QByteArray m_head;
    QByteArray m_tail;
    qint64 m_omitted = 0;
};

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
