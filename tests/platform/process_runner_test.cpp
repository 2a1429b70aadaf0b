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

class OutputLimit : public testing::TestWithParam<qint64>
{
};

TEST_P(OutputLimit, KeepsTheBeginningAndTheEndAndCountsWhatIsLeftOut)
{
    // 300000 lines of "Grüße\n" (8 bytes) between a first and a last line: at
    // any limit the cut falls somewhere inside a two-byte "ü" or "ß" now and then.
    const qint64 total = 7 + 300000 * 8 + 5;
    ProcessRunner runner;
    runner.setOutputLimit(GetParam());
    const ProcessResult result =
        runner.runShell(QStringLiteral("echo Anfang; yes 'Grüße' | head -n 300000; echo Ende"));

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

TEST(ProcessRunner, OutputWithinTheLimitIsKeptWhole)
{
    ProcessRunner runner;
    runner.setOutputLimit(12);
    const ProcessResult result = runner.runShell(QStringLiteral("printf 'twelve bytes'"));
    EXPECT_EQ(result.output, QByteArray("twelve bytes"));
    EXPECT_EQ(result.omittedBytes, 0);
    EXPECT_EQ(result.omittedAt, -1);
}
