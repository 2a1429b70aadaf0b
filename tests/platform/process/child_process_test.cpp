#include "platform/process/ChildProcess.h"
#include "platform/sandbox/GhostscriptSandbox.h"
#include "platform/sandbox/SandboxRules.h"
#include "TestFiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#ifdef Q_OS_LINUX
#include <sys/prctl.h>
#endif

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

// What /proc tells of a process: its state, group and session.
struct ProcessState {
    bool exists = false;
    char state = '?';
    pid_t group = 0;
    pid_t session = 0;
};

ProcessState stateOf(pid_t pid)
{
    QFile file(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    // "pid (name) state parent group session ...": the name may hold blanks.
    const QByteArray text = file.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 4)
        return {};
    return {true, fields[0].isEmpty() ? '?' : fields[0].at(0), fields[2].toInt(),
            fields[3].toInt()};
}

// Lets the event loop run until done() holds or milliseconds have passed.
bool processEventsUntil(const std::function<bool()> &done, int milliseconds)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > milliseconds)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        ::usleep(5000);
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

// Also when the child stopped the group's watcher first (an unconfined
// wrapper script can): the group is killed when the child has finished, not
// only by the watcher.
TEST(ChildProcess, WhatTheChildLeftRunningEndsWithIt)
{
    for (const bool stopWatcher : {false, true}) {
        SCOPED_TRACE(stopWatcher ? "watcher stopped" : "watcher running");
        QTemporaryDir dir;
        const QString pidFile = dir.filePath(QStringLiteral("stray.pid"));
        const QString groupFile = dir.filePath(QStringLiteral("group"));
        const QString stop =
            QStringLiteral("read -r a b c d group rest < /proc/$$/stat; echo $group > '%1'; "
                           "kill -STOP $group; for i in $(seq 100); do "
                           "read -r a b state rest < /proc/$group/stat; "
                           "[ $state = T ] && break; sleep 0.01; done; echo watcher $state; ")
                .arg(groupFile);
        ChildProcess child;
        const ProcessResult result = runShell(
            child, (stopWatcher ? stop : QString()) +
                       QStringLiteral("sleep 60 >/dev/null 2>&1 & echo $! > '%1'").arg(pidFile));
        const pid_t watcher = stopWatcher ? readPid(groupFile) : 0;
        const auto resume = qScopeGuard([watcher] {
            if (watcher > 0)
                ::kill(watcher, SIGCONT);
        });
        EXPECT_TRUE(result.succeeded());
        const pid_t stray = readPid(pidFile);
        ASSERT_GT(stray, 0);
        if (stopWatcher) {
            ASSERT_EQ(result.output, "watcher T\n");
        }
        EXPECT_TRUE(goneWithin(stray, 2000));
    }
}

// A child that ignores SIGTERM and leaves its group, for this program's own
// or a session of its own, is still stopped: by its process id.
TEST(ChildProcess, TimeOutAndCancelStopAChildThatLeftItsGroup)
{
    for (const char *how : {"group", "session"}) {
        for (const bool cancel : {false, true}) {
            SCOPED_TRACE(std::string(how) + (cancel ? ", cancel" : ", time-out"));
            ChildProcess child;
            child.setTimeout(cancel ? 60000 : 1500);
            QSignalSpy finished(&child, &ChildProcess::finished);
            QElapsedTimer clock;
            clock.start();
            child.start(QStringLiteral(PAGORA_PROCESS_PROBE),
                        {QStringLiteral("leave"), QString::fromLatin1(how)});
            const pid_t pid = static_cast<pid_t>(child.processId());
            ASSERT_GT(pid, 0);
            const bool left = processEventsUntil(
                [&] {
                    const ProcessState state = stateOf(pid);
                    return std::string(how) == "group" ? state.group == ::getpgrp()
                                                       : state.session == pid;
                },
                1000);
            ASSERT_TRUE(left) << "the stand-in did not leave its group in time";
            ASSERT_TRUE(finished.isEmpty());
            if (cancel)
                child.cancel();
            ASSERT_TRUE(finished.wait(5000));
            // the time-out, the grace, and a margin for a busy machine
            EXPECT_LT(clock.elapsed(), (cancel ? 0 : 1500) + ChildProcess::kGraceMs + 1000);
            const auto result = finished.first().first().value<ProcessResult>();
            EXPECT_EQ(result.timedOut, !cancel);
            EXPECT_EQ(result.cancelled, cancel);
            EXPECT_EQ(result.output, "left " + QByteArray(how) + '\n');
            EXPECT_TRUE(goneWithin(pid, 1000));
        }
    }
}

// Every run's watcher is reaped here: none is left for init, which need not
// reap it soon or at all. Nothing of a job's process group remains once it
// has finished, whichever way it ended. This program stands in for an init
// that never reaps: what is orphaned meanwhile becomes its child.
TEST(ChildProcess, LeavesNothingOfItsGroupBehind)
{
#ifdef Q_OS_LINUX
    ASSERT_EQ(::prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
    const auto restore = qScopeGuard([] { ::prctl(PR_SET_CHILD_SUBREAPER, 0); });
#endif
    enum class End { Exit, TimeOut, Cancel };
    const QString script =
        QStringLiteral("read -r a b c d group rest < /proc/$$/stat; echo $group");
    QList<pid_t> groups;
    for (int round = 0; round < 3; ++round) {
        for (const End end : {End::Exit, End::TimeOut, End::Cancel}) {
            ChildProcess child;
            child.setTimeout(end == End::TimeOut ? 200 : 10000);
            QSignalSpy finished(&child, &ChildProcess::finished);
            child.start(QStringLiteral("/bin/sh"),
                        {QStringLiteral("-c"),
                         end == End::Exit ? script : script + QStringLiteral("; exec sleep 60")});
            if (end == End::Cancel) {
                processEventsUntil([] { return false; }, 100);
                child.cancel();
            }
            ASSERT_TRUE(finished.wait(5000));
            const QByteArray output = finished.first().first().value<ProcessResult>().output;
            ASSERT_GT(output.trimmed().toInt(), 0) << output.toStdString();
            groups << output.trimmed().toInt();
        }
    }
    QString remaining;
    const bool none = processEventsUntil(
        [&] {
            remaining.clear();
            const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
            for (const QString &entry : entries) {
                const ProcessState state = stateOf(entry.toInt());
                if (entry.toInt() > 0 && state.exists && groups.contains(state.group))
                    remaining +=
                        QStringLiteral("%1 (%2) ").arg(entry).arg(QLatin1Char(state.state));
            }
            return remaining.isEmpty();
        },
        2000);
    EXPECT_TRUE(none) << "left in the groups of finished children: " << remaining.toStdString();
}

TEST(ChildProcess, InheritedDescriptorsReachTheProgramUnderTheirNumbers)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("input"));
    TestFiles::writeBytes(path, "inherited\n");
    const int given = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    const int kept = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    ASSERT_GT(given, 2);
    ASSERT_GT(kept, 2);
    ChildProcess child;
    child.setInheritedDescriptors({given});
    const ProcessResult result =
        runShell(child, QStringLiteral("cat /dev/fd/%1; { cat <&%2; } 2>/dev/null || echo closed")
                            .arg(given)
                            .arg(kept));
    EXPECT_TRUE(result.succeeded());
    EXPECT_EQ(result.output, QByteArray("inherited\nclosed\n"));
    // Only the child's copy lost close-on-exec.
    EXPECT_TRUE(::fcntl(given, F_GETFD) & FD_CLOEXEC);

    // One that is not open: the program does not run at all. A number far
    // above the ones in use, as start() opens descriptors of its own.
    ::close(kept);
    const int notOpen = 900;
    ASSERT_LT(::fcntl(notOpen, F_GETFD), 0);
    child.setInheritedDescriptors({notOpen});
    const ProcessResult missing = runShell(child, QStringLiteral("echo ran"));
    EXPECT_EQ(missing.exitCode, 127);
    EXPECT_TRUE(missing.output.startsWith("pagora: child: cannot")) << missing.output.toStdString();
    EXPECT_FALSE(missing.output.contains("ran"));
    ::close(given);
}

// Landlock does not check reads on a descriptor already open: one this
// program holds without close-on-exec (as "exec 7<~/.ssh/id_test" in the
// shell that started it leaves it) must not reach the program, confined or
// not, nor a pipe of the same kind; what is handed over does. Confined, the
// child still needs the ruleset's descriptor until it restricts itself.
TEST(ChildProcess, ProgramGetsNoDescriptorButThoseHandedOver)
{
    QTemporaryDir dir;
    const QString secretPath = dir.filePath(QStringLiteral("id_test"));
    const QString handedPath = dir.filePath(QStringLiteral("input"));
    TestFiles::writeBytes(secretPath, "secret-key-bytes\n");
    TestFiles::writeBytes(handedPath, "handed-over\n");
    const int opened = ::open(QFile::encodeName(secretPath).constData(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(opened, 0);
    // Descriptor 7 where it is free, as the shell gives it.
    const int secret = ::fcntl(opened, F_DUPFD, 7);
    ::close(opened);
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    const int handed = ::open(QFile::encodeName(handedPath).constData(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(secret, 7);
    ASSERT_GE(handed, 0);
    const auto closeAll = qScopeGuard([&] {
        for (const int descriptor : {secret, ends[0], ends[1], handed})
            ::close(descriptor);
    });
    const QString standIn = QStringLiteral(PAGORA_REACHING_GHOSTSCRIPT);
    const QByteArray expected = QStringLiteral("fd %1 file\nfd %1 read handed-over\n")
                                    .arg(handed)
                                    .toUtf8();

    for (const bool confined : {false, true}) {
        SCOPED_TRACE(confined ? "confined" : "not confined");
        if (confined && GhostscriptSandbox::support() != SandboxSupport::Landlock)
            continue;
        SandboxRules rules;
        rules.executable = standIn;
        rules.workspace = dir.path();
        const GhostscriptSandbox sandbox = GhostscriptSandbox::prepare(rules);
        ChildProcess child;
        child.setInheritedDescriptors({handed});
        if (confined)
            child.setChildSetup(sandbox.childProcessModifier());
        const ProcessResult result = runToEnd(child, standIn, {QStringLiteral("descriptors")});
        EXPECT_TRUE(result.succeeded()) << result.output.toStdString();
        EXPECT_EQ(result.output.toStdString(), expected.toStdString());
    }
    // This program's own stay open and as they were.
    EXPECT_EQ(::fcntl(secret, F_GETFD), 0);
    EXPECT_TRUE(::fcntl(handed, F_GETFD) & FD_CLOEXEC);
}

// The folder that was opened, not what its path leads to by the time the
// child starts.
TEST(ChildProcess, WorksInTheFolderItWasGivenOpen)
{
    QTemporaryDir dir;
    const QString real = QFileInfo(dir.path()).canonicalFilePath();
    ASSERT_TRUE(QDir(real).mkdir(QStringLiteral("job")));
    const int opened = ::open(QFile::encodeName(real + QStringLiteral("/job")).constData(),
                              O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(opened, 0);
    ASSERT_TRUE(QDir(real).rename(QStringLiteral("job"), QStringLiteral("job.moved")));
    ASSERT_TRUE(QDir(real).mkdir(QStringLiteral("job")));

    ChildProcess child;
    child.setWorkingDirectory(real + QStringLiteral("/job")); // comes first, then the folder
    child.setWorkingFolder(opened);
    const ProcessResult result = runToEnd(child, QStringLiteral("/bin/pwd"), {});
    EXPECT_EQ(QString::fromUtf8(result.output.trimmed()), real + QStringLiteral("/job.moved"));
    ::close(opened);
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
