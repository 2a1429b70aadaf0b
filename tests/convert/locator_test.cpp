#include "convert/GhostscriptLocator.h"

#include "TestFiles.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(GhostscriptLocator, CandidateListsInTheirOrder)
{
    EXPECT_EQ(kDropTimeCandidates,
              (QStringList{"/usr/local/bin/gs", "/opt/homebrew/bin/gs", "/usr/bin/gs",
                           "/opt/local/bin/gs"}));
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

class GhostscriptProbe : public testing::TestWithParam<ProbeCase> {};

TEST_P(GhostscriptProbe, AcceptsExitZeroWithTheWordInAnyCase)
{
    QTemporaryDir dir;
    const QString candidate = dir.filePath(QStringLiteral("gs"));
    TestFiles::writeScript(candidate, GetParam().script);
    EXPECT_EQ(IsGhostscriptInstalled({candidate}), GetParam().accepted);
}

INSTANTIATE_TEST_SUITE_P(
    Table, GhostscriptProbe,
    testing::Values(
        ProbeCase{"Real", "echo 'GPL Ghostscript 10.00.0 (2022-09-21)'\n", true},
        ProbeCase{"Capitals", "echo 'GHOSTSCRIPT 9'\n", true},
        ProbeCase{"ArgumentIsVersion", "[ \"$1\" = -version ] && echo ghostscript\n", true},
        ProbeCase{"WordMissing", "echo 'Some interpreter 10.0'\n", false},
        ProbeCase{"NonZeroExit", "echo 'GPL Ghostscript 10'; exit 1\n", false},
        ProbeCase{"OnlyOnStderrStillCounts", "echo 'Ghostscript' >&2\n", true}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(GhostscriptProbe, TriesCandidatesInOrderAndStopsAtTheFirstThatPasses)
{
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("log"));
    const QString broken = dir.filePath(QStringLiteral("broken"));
    const QString good = dir.filePath(QStringLiteral("good"));
    const QString never = dir.filePath(QStringLiteral("never"));
    TestFiles::writeScript(broken, QStringLiteral("echo broken >> '%1'; exit 2\n").arg(log).toUtf8());
    TestFiles::writeScript(good, QStringLiteral("echo good >> '%1'; echo Ghostscript\n").arg(log).toUtf8());
    TestFiles::writeScript(never, QStringLiteral("echo never >> '%1'; echo Ghostscript\n").arg(log).toUtf8());

    EXPECT_TRUE(IsGhostscriptInstalled({dir.filePath(QStringLiteral("absent")), broken, good, never}));
    EXPECT_EQ(TestFiles::readBytes(log), QByteArray("broken\ngood\n"));
    EXPECT_FALSE(IsGhostscriptInstalled({dir.filePath(QStringLiteral("absent")), broken}));
}

TEST(GhostscriptProbe, BareNameIsFoundOnTheSearchPath)
{
    QTemporaryDir dir;
    TestFiles::writeScript(dir.filePath(QStringLiteral("fake-gs")), "echo Ghostscript\n");
    const QByteArray savedPath = qgetenv("PATH");
    qputenv("PATH", dir.path().toUtf8() + ":" + savedPath);
    EXPECT_TRUE(IsGhostscriptInstalled({QStringLiteral("fake-gs")}));
    qputenv("PATH", savedPath);
    EXPECT_FALSE(IsGhostscriptInstalled({QStringLiteral("fake-gs")}));
}
