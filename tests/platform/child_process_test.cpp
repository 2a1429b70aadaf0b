#include "platform/ChildProcess.h"
#include "TestFiles.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <unistd.h>

namespace {

ProcessResult runToEnd(ChildProcess &child, const QString &program, const QStringList &arguments)
{
    QSignalSpy finished(&child, &ChildProcess::finished);
    child.start(program, arguments);
    if (!finished.wait(30000))
        return {};
    return finished.first().first().value<ProcessResult>();
}

ProcessResult runShell(ChildProcess &child, const QString &script)
{
    return runToEnd(child, QStringLiteral("/bin/sh"), {QStringLiteral("-c"), script});
}

// True once the process is gone (or only a zombie waiting for init).
bool isGone(pid_t pid)
{
    QFile status(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return ::kill(pid, 0) != 0;
    return status.readAll().contains(") Z ");
}

bool goneWithin(pid_t pid, int milliseconds)
{
    QElapsedTimer clock;
    clock.start();
    while (!isGone(pid)) {
        if (clock.elapsed() > milliseconds)
            return false;
        ::usleep(10000);
    }
    return true;
}

pid_t readPid(const QString &path, int waitMs = 5000)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < waitMs) {
        const QByteArray text = TestFiles::readBytes(path).trimmed();
        if (!text.isEmpty() && text.toInt() > 0)
            return text.toInt();
        ::usleep(10000);
    }
    return 0;
}

} // namespace

TEST(ChildProcess, MergesOutputAndReportsExitCode)
{
    ChildProcess child;
    const ProcessResult result = runShell(child, QStringLiteral("echo out; echo err >&2; exit 3"));
    EXPECT_TRUE(result.started);
    EXPECT_TRUE(result.exitedNormally());
    EXPECT_EQ(result.exitCode, 3);
    EXPECT_EQ(result.output, QByteArray("out\nerr\n"));
}

TEST(ChildProcess, ArgumentsReachTheProgramWithoutAShell)
{
    QTemporaryDir dir;
    const QString planted = dir.filePath(QStringLiteral("planted"));
    const QString hostile = QStringLiteral("a$(touch %1)`touch %1`\"'\\b").arg(planted);
    ChildProcess child;
    const ProcessResult result = runToEnd(child, QStringLiteral("/bin/echo"), {hostile});
    EXPECT_TRUE(result.succeeded());
    EXPECT_EQ(QString::fromUtf8(result.output), hostile + QLatin1Char('\n'));
    EXPECT_FALSE(QFile::exists(planted));
}

TEST(ChildProcess, MissingProgramIsToldAfterStartReturns)
{
    ChildProcess child;
    int told = 0;
    QObject::connect(&child, &ChildProcess::finished, [&] { ++told; });
    QSignalSpy finished(&child, &ChildProcess::finished);
    child.start(QStringLiteral("/nonexistent/gs"), {});
    EXPECT_EQ(told, 0);
    ASSERT_TRUE(finished.wait(5000));
    const auto result = finished.first().first().value<ProcessResult>();
    EXPECT_FALSE(result.started);
    EXPECT_FALSE(result.errorText.isEmpty());
    EXPECT_EQ(told, 1);
}

TEST(ChildProcess, SignalIsACrashNotAnExitCode)
{
    ChildProcess child;
    const ProcessResult result = runShell(child, QStringLiteral("echo before; kill -9 $$"));
    EXPECT_TRUE(result.crashed);
    EXPECT_FALSE(result.succeeded());
    EXPECT_EQ(result.output, QByteArray("before\n"));
}

TEST(ChildProcess, TimeOutAndCancelStopTheChildAndEveryProcessItStarted)
{
    for (const bool cancel : {false, true}) {
        SCOPED_TRACE(cancel ? "cancel" : "time-out");
        QTemporaryDir dir;
        const QString pidFile = dir.filePath(QStringLiteral("child.pid"));
        ChildProcess child;
        child.setTimeout(cancel ? 60000 : 300);
        QSignalSpy finished(&child, &ChildProcess::finished);
        QElapsedTimer clock;
        clock.start();
        // A shell that ignores SIGTERM, with a child of its own: both must go.
        child.start(QStringLiteral("/bin/sh"),
                    {QStringLiteral("-c"),
                     QStringLiteral("trap '' TERM; echo partial; sleep 60 & echo $! > '%1'; wait")
                         .arg(pidFile)});
        const pid_t grandchild = readPid(pidFile);
        ASSERT_GT(grandchild, 0);
        if (cancel)
            child.cancel();
        ASSERT_TRUE(finished.wait(5000));
        EXPECT_LT(clock.elapsed(), 5000);
        const auto result = finished.first().first().value<ProcessResult>();
        EXPECT_EQ(result.timedOut, !cancel);
        EXPECT_EQ(result.cancelled, cancel);
        EXPECT_FALSE(result.succeeded());
        EXPECT_EQ(result.output, QByteArray("partial\n"));
        EXPECT_TRUE(goneWithin(grandchild, 2000));
    }
}

TEST(ChildProcess, WhatTheChildLeftRunningEndsWithIt)
{
    QTemporaryDir dir;
    const QString pidFile = dir.filePath(QStringLiteral("stray.pid"));
    ChildProcess child;
    const ProcessResult result = runShell(
        child, QStringLiteral("sleep 60 >/dev/null 2>&1 & echo $! > '%1'").arg(pidFile));
    EXPECT_TRUE(result.succeeded());
    const pid_t stray = readPid(pidFile);
    ASSERT_GT(stray, 0);
    EXPECT_TRUE(goneWithin(stray, 2000));
}

// The program that started the child is killed outright (no handler runs):
// the child and what it started still end within two seconds.
TEST(ChildProcess, ChildEndsWhenItsProgramIsKilled)
{
    QTemporaryDir dir;
    const QString childPidFile = dir.filePath(QStringLiteral("child.pid"));
    const QString grandchildPidFile = dir.filePath(QStringLiteral("grandchild.pid"));
    QProcess host;
    host.start(QStringLiteral(PAGORA_CHILD_HOST),
               {childPidFile, QStringLiteral("/bin/sh"), QStringLiteral("-c"),
                QStringLiteral("trap '' TERM HUP; sleep 60 & echo $! > '%1'; wait")
                    .arg(grandchildPidFile)});
    ASSERT_TRUE(host.waitForStarted(5000));
    const pid_t child = readPid(childPidFile);
    const pid_t grandchild = readPid(grandchildPidFile);
    ASSERT_GT(child, 0);
    ASSERT_GT(grandchild, 0);

    ::kill(static_cast<pid_t>(host.processId()), SIGKILL);
    ASSERT_TRUE(host.waitForFinished(5000));
    EXPECT_TRUE(goneWithin(child, 2000));
    EXPECT_TRUE(goneWithin(grandchild, 2000));
}

TEST(ChildProcess, FileSizeLimitStopsARunawayWriter)
{
    QTemporaryDir dir;
    const QString big = dir.filePath(QStringLiteral("big"));
    ChildProcess child;
    child.setFileSizeLimit(1024 * 1024);
    const ProcessResult result =
        runShell(child, QStringLiteral("head -c 5000000 /dev/zero > '%1'").arg(big));
    EXPECT_FALSE(result.succeeded());
    EXPECT_LE(QFileInfo(big).size(), 1024 * 1024);
}

TEST(ChildProcess, RunsInTheGivenFolder)
{
    QTemporaryDir dir;
    ChildProcess child;
    child.setWorkingDirectory(dir.path());
    const ProcessResult result = runToEnd(child, QStringLiteral("/bin/pwd"), {});
    EXPECT_EQ(QString::fromUtf8(result.output.trimmed()), QFileInfo(dir.path()).canonicalFilePath());
}

class OutputLimit : public testing::TestWithParam<qint64>
{
};

TEST_P(OutputLimit, KeepsTheBeginningAndTheEndAndCountsWhatIsLeftOut)
{
    // 300000 lines of "Grüße\n" (8 bytes) between a first and a last line: at
    // any limit the cut falls somewhere inside a two-byte "ü" or "ß" now and then.
    const qint64 total = 7 + 300000 * 8 + 5;
    ChildProcess child;
    child.setOutputLimit(GetParam());
    const ProcessResult result =
        runShell(child, QStringLiteral("echo Anfang; yes 'Grüße' | head -n 300000; echo Ende"));

    ASSERT_TRUE(result.succeeded());
    EXPECT_LE(result.output.size(), GetParam());
    EXPECT_GE(result.output.size(), GetParam() - 6); // at most one character each side
    EXPECT_EQ(result.output.size() + result.omittedBytes, total);
    EXPECT_TRUE(result.output.startsWith("Anfang\nGr"));
    EXPECT_TRUE(result.output.endsWith("Grüße\nEnde\n"));
    const QString head = QString::fromUtf8(result.output.left(result.omittedAt));
    const QString tail = QString::fromUtf8(result.output.mid(result.omittedAt));
    EXPECT_FALSE(head.contains(QChar::ReplacementCharacter));
    EXPECT_FALSE(tail.contains(QChar::ReplacementCharacter));
}

INSTANTIATE_TEST_SUITE_P(Limits, OutputLimit, testing::Values(1000, 1001, 1002, 1003, 64 * 1024));

TEST(ChildProcess, OutputWithinTheLimitIsKeptWhole)
{
    ChildProcess child;
    child.setOutputLimit(12);
    const ProcessResult result = runShell(child, QStringLiteral("printf 'twelve bytes'"));
    EXPECT_EQ(result.output, QByteArray("twelve bytes"));
    EXPECT_EQ(result.omittedBytes, 0);
    EXPECT_EQ(result.omittedAt, -1);
}

// Destroyed while its child runs (a job dropped as the program quits): the
// destructor does not wait, and the child with what it started still goes.
TEST(ChildProcess, DestroyedWhileRunningEndsTheChildWithoutWaiting)
{
    QTemporaryDir dir;
    const QString pidFile = dir.filePath(QStringLiteral("grandchild.pid"));
    auto child = std::make_unique<ChildProcess>();
    child->start(QStringLiteral("/bin/sh"),
                 {QStringLiteral("-c"),
                  QStringLiteral("trap '' TERM; sleep 60 & echo $! > '%1'; wait").arg(pidFile)});
    const pid_t grandchild = readPid(pidFile);
    ASSERT_GT(grandchild, 0);
    const pid_t pid = static_cast<pid_t>(child->processId());

    QElapsedTimer clock;
    clock.start();
    child.reset();
    EXPECT_LT(clock.elapsed(), 100);
    // Reaped from the event loop.
    QElapsedTimer reaped;
    reaped.start();
    while (::kill(pid, 0) == 0 && reaped.elapsed() < 2000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_NE(::kill(pid, 0), 0);
    EXPECT_TRUE(goneWithin(grandchild, 2000));
}
