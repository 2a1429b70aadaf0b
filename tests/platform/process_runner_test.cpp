#include "platform/ProcessRunner.h"

#include <QElapsedTimer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

TEST(ProcessRunner, MergesOutputAndReportsExitCode)
{
    ProcessRunner runner;
    const ProcessResult result = runner.runShell(QStringLiteral("echo out; echo err >&2; exit 3"));
    EXPECT_TRUE(result.started);
    EXPECT_TRUE(result.exitedNormally());
    EXPECT_EQ(result.exitCode, 3);
    EXPECT_FALSE(result.succeeded());
    EXPECT_EQ(result.output, QByteArray("out\nerr\n"));
}

TEST(ProcessRunner, ArgumentsReachTheProgramWithoutAShell)
{
    QTemporaryDir dir;
    const QString planted = dir.filePath(QStringLiteral("planted"));
    const QString hostile = QStringLiteral("a$(touch %1)`touch %1`\"'\\b").arg(planted);
    ProcessRunner runner;
    const ProcessResult result = runner.run(QStringLiteral("/bin/echo"), {hostile});
    EXPECT_TRUE(result.succeeded());
    EXPECT_EQ(QString::fromUtf8(result.output), hostile + QLatin1Char('\n'));
    EXPECT_FALSE(QFile::exists(planted));
}

TEST(ProcessRunner, MissingProgramIsNotStarted)
{
    ProcessRunner runner;
    const ProcessResult result = runner.run(QStringLiteral("/nonexistent/gs"), {});
    EXPECT_FALSE(result.started);
    EXPECT_FALSE(result.succeeded());
    EXPECT_FALSE(result.errorText.isEmpty());
}

TEST(ProcessRunner, SignalIsACrashNotAnExitCode)
{
    ProcessRunner runner;
    const ProcessResult result = runner.runShell(QStringLiteral("echo before; kill -9 $$"));
    EXPECT_TRUE(result.started);
    EXPECT_TRUE(result.crashed);
    EXPECT_FALSE(result.succeeded());
    EXPECT_EQ(result.output, QByteArray("before\n"));
}

TEST(ProcessRunner, TimeOutStopsTheCommandAndEveryChild)
{
    QTemporaryDir dir;
    const QString pidFile = dir.filePath(QStringLiteral("child.pid"));
    ProcessRunner runner(300);
    QElapsedTimer clock;
    clock.start();
    // The shell starts a child of its own and waits; both must go.
    const ProcessResult result = runner.runShell(
        QStringLiteral("echo partial; sleep 60 & echo $! > '%1'; wait").arg(pidFile));
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_TRUE(result.timedOut);
    EXPECT_FALSE(result.succeeded());
    EXPECT_EQ(result.output, QByteArray("partial\n"));

    QFile file(pidFile);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const pid_t child = file.readAll().trimmed().toInt();
    ASSERT_GT(child, 0);
    // The grandchild was killed with its group (it may linger as a zombie of init
    // for a moment, so allow a short while).
    bool gone = false;
    for (int i = 0; i < 50 && !gone; ++i) {
        QFile status(QStringLiteral("/proc/%1/stat").arg(child));
        gone = !status.open(QIODevice::ReadOnly) || status.readAll().contains(") Z ");
        if (!gone)
            ::usleep(20000);
    }
    EXPECT_TRUE(gone);
}
