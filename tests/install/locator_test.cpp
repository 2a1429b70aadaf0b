#include "install/GhostscriptLocator.h"
#include "install/GhostscriptProbe.h"
#include "platform/sandbox/GhostscriptSandbox.h"

#include "TestFiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// The verdict, waited for as the window's event loop would: with events
// going on. -1 when none came.
int probeVerdict(const QStringList &candidates, int waitMs = 30000)
{
    GhostscriptProbe probe;
    QSignalSpy verdicts(&probe, &GhostscriptProbe::finished);
    probe.start(candidates);
    // Never told from inside start().
    if (!verdicts.isEmpty() || !probe.isRunning())
        return -1;
    if (!verdicts.wait(waitMs) || verdicts.size() != 1 || probe.isRunning())
        return -1;
    return verdicts.first().first().toBool() ? 1 : 0;
}

} // namespace

TEST(GhostscriptLocator, CandidateListsInTheirOrder)
{
    EXPECT_EQ(kDropTimeCandidates, (QStringList{"/usr/local/bin/gs", "/opt/homebrew/bin/gs",
                                                "/usr/bin/gs", "/opt/local/bin/gs"}));
    EXPECT_EQ(kProbeCandidates,
              (QStringList{"/opt/homebrew/bin/gs", "/usr/local/bin/gs", "/usr/bin/gs", "gs"}));
}

TEST(GhostscriptLocator, DropTimeLookupTakesTheFirstExistingFileAsWritten)
{
    QTemporaryDir dir;
    const QString first = dir.filePath(QStringLiteral("first/gs"));
    const QString second = dir.filePath(QStringLiteral("second/gs"));
    const QString third = dir.filePath(QStringLiteral("third/gs"));
    QDir().mkpath(dir.filePath(QStringLiteral("second")));
    QDir().mkpath(dir.filePath(QStringLiteral("third")));
    // Any file counts, even one that is no Ghostscript and cannot run.
    TestFiles::writeBytes(second, "not a program");
    TestFiles::writeScript(third, "exit 0\n");

    EXPECT_EQ(FindGhostscriptExecutable({first, second, third}), second);
    EXPECT_EQ(FindGhostscriptExecutable({first, third, second}), third);
    EXPECT_EQ(FindGhostscriptExecutable({first}), QString());
    EXPECT_EQ(FindGhostscriptExecutable({}), QString());
}

struct ProbeCase {
    const char *name;
    const char *script; // body of the fake candidate
    bool accepted;
};

class ProbeAcceptance : public testing::TestWithParam<ProbeCase>
{
};

TEST_P(ProbeAcceptance, AcceptsExitZeroWithTheWordInAnyCase)
{
    QTemporaryDir dir;
    const QString candidate = dir.filePath(QStringLiteral("gs"));
    TestFiles::writeScript(candidate, GetParam().script);
    EXPECT_EQ(probeVerdict({candidate}), GetParam().accepted ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ProbeAcceptance,
    testing::Values(ProbeCase{"Real", "echo 'GPL Ghostscript 10.00.0 (2022-09-21)'\n", true},
                    ProbeCase{"Capitals", "echo 'GHOSTSCRIPT 9'\n", true},
                    ProbeCase{"ArgumentIsVersion", "[ \"$1\" = -version ] && echo ghostscript\n",
                              true},
                    ProbeCase{"WordMissing", "echo 'Some interpreter 10.0'\n", false},
                    ProbeCase{"NonZeroExit", "echo 'GPL Ghostscript 10'; exit 1\n", false},
                    ProbeCase{"OnlyOnStderrStillCounts", "echo 'Ghostscript' >&2\n", true},
                    ProbeCase{"KilledBySignal", "echo Ghostscript; kill -9 $$\n", false},
                    // Past the kept part of the answer; the word at its start still counts.
                    ProbeCase{"LongAnswer",
                              "echo Ghostscript; head -c 3000000 /dev/zero | tr '\\0' x\n", true}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(GhostscriptProbe, TriesCandidatesInOrderAndStopsAtTheFirstThatPasses)
{
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("log"));
    const QString broken = dir.filePath(QStringLiteral("broken"));
    const QString good = dir.filePath(QStringLiteral("good"));
    const QString never = dir.filePath(QStringLiteral("never"));
    TestFiles::writeScript(broken,
                           QStringLiteral("echo broken >> '%1'; exit 2\n").arg(log).toUtf8());
    TestFiles::writeScript(
        good, QStringLiteral("echo good >> '%1'; echo Ghostscript\n").arg(log).toUtf8());
    TestFiles::writeScript(
        never, QStringLiteral("echo never >> '%1'; echo Ghostscript\n").arg(log).toUtf8());

    EXPECT_EQ(probeVerdict({dir.filePath(QStringLiteral("absent")), broken, good, never}), 1);
    EXPECT_EQ(TestFiles::readBytes(log), QByteArray("broken\ngood\n"));
    EXPECT_EQ(probeVerdict({dir.filePath(QStringLiteral("absent")), broken}), 0);
    EXPECT_EQ(probeVerdict({}), 0);
    EXPECT_EQ(probeVerdict({TestFiles::realGhostscript()}), 1);
}

// A candidate that never answers holds the probe for its ten seconds, not
// longer, and not the event loop: the next candidate is then tried.
TEST(GhostscriptProbe, HangingCandidateIsGivenUpAfterItsTimeOut)
{
    QTemporaryDir dir;
    const QString hanging = dir.filePath(QStringLiteral("hanging"));
    const QString good = dir.filePath(QStringLiteral("good"));
    TestFiles::writeScript(hanging, "sleep 60\n");
    TestFiles::writeScript(good, "echo Ghostscript\n");
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
    ticker.start(100);
    QElapsedTimer clock;
    clock.start();

    EXPECT_EQ(probeVerdict({hanging, good}), 1);

    const qint64 elapsed = clock.elapsed();
    // A coarse timer may fire up to 5 % early.
    EXPECT_GE(elapsed, 9400);
    EXPECT_LT(elapsed, 15000);
    // Ten a second while the probe ran, give or take a loaded machine.
    EXPECT_GE(ticks, 50);
}

TEST(GhostscriptProbe, BareNameIsFoundOnTheSearchPath)
{
    QTemporaryDir dir;
    TestFiles::writeScript(dir.filePath(QStringLiteral("fake-gs")), "echo Ghostscript\n");
    const QByteArray savedPath = qgetenv("PATH");
    qputenv("PATH", dir.path().toUtf8() + ":" + savedPath);
    EXPECT_EQ(probeVerdict({QStringLiteral("fake-gs")}), 1);
    qputenv("PATH", savedPath);
    EXPECT_EQ(probeVerdict({QStringLiteral("fake-gs")}), 0);
}

// The probe runs the candidate itself, not a shell command made of its name:
// quotes, a "$" and blanks in its folder are only characters.
TEST(GhostscriptProbe, CandidateNameReachesNoShell)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("it's \"quoted\" $HOME `id`"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString candidate = folder + QStringLiteral("/gs");
    TestFiles::writeScript(candidate, "[ \"$1\" = -version ] && echo Ghostscript\n");

    EXPECT_EQ(probeVerdict({candidate}), 1);
}

// A compiled candidate runs as a conversion's Ghostscript does: confined to a
// workspace of its own. A wrapper script runs unconfined, as in a conversion,
// and so shows that the stand-in would have got out.
TEST(GhostscriptProbe, CompiledCandidateRunsConfined)
{
    const SandboxSupport support = GhostscriptSandbox::support();
    if (support != SandboxSupport::Landlock && support != SandboxSupport::SandboxExec)
        GTEST_SKIP() << "this system cannot confine a child";
    QTemporaryDir dir;
    const QString escape = dir.filePath(QStringLiteral("escaped"));
    qputenv("PAGORA_ESCAPE", QFile::encodeName(escape));
    const QString fake = QStringLiteral(PAGORA_FAKE_GHOSTSCRIPT);

    EXPECT_EQ(probeVerdict({fake}), 1);
    EXPECT_FALSE(QFileInfo::exists(escape));

    const QString wrapper = dir.filePath(QStringLiteral("gs-wrapper"));
    TestFiles::writeScript(wrapper, "exec '" + QFile::encodeName(fake) + "' \"$@\"\n");
    EXPECT_EQ(probeVerdict({wrapper}), 1);
    EXPECT_TRUE(QFileInfo::exists(escape));
    qunsetenv("PAGORA_ESCAPE");
}

// The real Ghostscript answers from inside the sandbox, named by its path or
// by its bare name on the search path.
TEST(GhostscriptProbe, RealGhostscriptIsAcceptedConfined)
{
    const QString gs = TestFiles::realGhostscript();
    ASSERT_FALSE(gs.isEmpty()) << "these tests need Ghostscript";
    EXPECT_EQ(probeVerdict({gs}), 1);

    QTemporaryDir dir;
    ASSERT_TRUE(QFile::link(gs, dir.filePath(QStringLiteral("gs"))));
    const QByteArray savedPath = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(dir.path()));
    EXPECT_EQ(GhostscriptProbe::resolveCandidate(QStringLiteral("gs")),
              dir.filePath(QStringLiteral("gs")));
    EXPECT_EQ(probeVerdict({QStringLiteral("gs")}), 1);
    qputenv("PATH", savedPath);
}
