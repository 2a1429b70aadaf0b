#include "convert/job/ConversionTexts.h"
#include "convert/job/RunJudgement.h"

#include <gtest/gtest.h>

#include <ostream>

using namespace ConversionTexts;
using Kind = NextStep::Kind;

namespace {

const QByteArray kMissingLine = "Substituting font Courier for Nicht-Da.\n";
const QByteArray kPdfaLostLine = "GPL Ghostscript: Reverting to normal PDF output\n";

// A run as Ghostscript leaves it: exit code, output, what lies in the workspace.
RunFacts ranWith(int exitCode, const QByteArray &output, bool pdf = true)
{
    RunFacts run;
    run.result.started = true;
    run.result.exitCode = exitCode;
    run.result.output = output;
    run.pdfWritten = pdf;
    run.pdfComplete = pdf;
    return run;
}

RunFacts ok(const QByteArray &output = "Page 1\n")
{
    return ranWith(0, output);
}

RunFacts timedOut(const QByteArray &output)
{
    RunFacts run = ranWith(-1, output, false);
    run.result.timedOut = true;
    return run;
}

JobSituation asked()
{
    JobSituation job;
    job.maxRounds = 3;
    return job;
}

struct Case {
    const char *name;
    RunFacts run;
    JobSituation job;
    Kind kind;
    bool placeFirst;
    // The explanation ends with this text (empty: no explanation expected).
    QString textEnd;
    QByteArrayList missing;
    QByteArrayList substituted;
};

std::ostream &operator<<(std::ostream &out, const Case &c)
{
    return out << c.name;
}

Case cancelledJob()
{
    JobSituation job = asked();
    job.cancelled = true;
    return {"the job was cancelled", ok(), job, Kind::Cancel, false, {}, {}, {}};
}

Case stoppedRun()
{
    RunFacts run = ranWith(-1, "", false);
    run.result.cancelled = true;
    return {"the run was stopped from outside", run, asked(), Kind::Cancel, false, {}, {}, {}};
}

Case workspaceFilled()
{
    RunFacts run = ranWith(-1, "Page 1\n", false);
    run.result.cancelled = true;
    run.workspaceTooLarge = true;
    return {"the workspace filled up", run, asked(), Kind::Fail, false,
            kWorkspaceTooLargeLine, {}, {}};
}

Case installedFontsToHandOver()
{
    JobSituation job = asked();
    job.canHandOverFonts = true;
    return {"missing fonts may be installed", ok(kMissingLine), job,
            Kind::HandOverInstalledFonts, false, {}, {"Nicht-Da"}, {}};
}

Case installedRoundsUsedUp()
{
    JobSituation job = asked();
    job.canHandOverFonts = true;
    job.installedFontRounds = 3;
    return {"silent rounds used up: the question", ok(kMissingLine), job, Kind::Ask, true, {},
            {"Nicht-Da"}, {}};
}

Case timedOutWithMissingFonts()
{
    JobSituation job = asked();
    job.canHandOverFonts = true;
    return {"timed out with missing fonts: asked, no silent round, nothing placed",
            timedOut(kMissingLine), job, Kind::Ask, false, {}, {"Nicht-Da"}, {}};
}

Case nobodyToAsk()
{
    JobSituation job = asked();
    job.canAsk = false;
    return {"nobody to ask: reported with the transcript", ok(kMissingLine), job,
            Kind::ReportMissingFonts, true, QString::fromUtf8(kMissingLine), {"Nicht-Da"}, {}};
}

Case substituteWithoutAsking()
{
    JobSituation job = asked();
    job.policy = MissingFontPolicy::Substitute;
    return {"substitutes without asking", ranWith(1, kMissingLine, false), job,
            Kind::RetryWithSubstitutes, false, {}, {"Nicht-Da"}, {}};
}

Case askedRoundsUsedUp()
{
    JobSituation job = asked();
    job.substitutionRounds = 3;
    job.boundFonts = {"Other"};
    return {"substitution rounds used up in a window: failed, nothing placed",
            ok(kMissingLine),
            job,
            Kind::Fail,
            false,
            kStillMissingLine.arg(QStringLiteral("3"), QStringLiteral("Nicht-Da")),
            {"Nicht-Da"},
            {}};
}

Case substitutedRoundsUsedUp()
{
    JobSituation job = asked();
    job.policy = MissingFontPolicy::Substitute;
    job.substitutionRounds = 3;
    return {"substitution rounds used up without a window: reported, PDF kept",
            ok(kMissingLine), job, Kind::ReportMissingFonts, true,
            QString::fromUtf8(kMissingLine), {"Nicht-Da"}, {}};
}

Case alreadyBound()
{
    JobSituation job = asked();
    job.boundFonts = {"Nicht-Da"};
    return {"every missing font bound already: success with Ghostscript's substitute",
            ok(kMissingLine), job, Kind::Succeed, true, {}, {}, {"Nicht-Da"}};
}

Case archiveLostWithMissingFonts()
{
    JobSituation job = asked();
    job.kind = PdfKind::Archive;
    return {"missing fonts in an archive that lost PDF/A: asked, nothing placed",
            ok(kMissingLine + kPdfaLostLine), job, Kind::Ask, false, {}, {"Nicht-Da"}, {}};
}

Case archiveLost()
{
    JobSituation job = asked();
    job.kind = PdfKind::Archive;
    return {"an archive that lost PDF/A", ok(kPdfaLostLine), job, Kind::Fail, false,
            kPdfaLostHead + QStringLiteral("\n  \u2022 GPL Ghostscript: Reverting to normal PDF output"),
            {}, {}};
}

Case standardIgnoresPdfaLines()
{
    return {"PDF/A lines mean nothing to a standard PDF", ok(kPdfaLostLine), asked(),
            Kind::Succeed, true, {}, {}, {}};
}

Case crashed()
{
    RunFacts run = ranWith(-1, "Page 1\n", false);
    run.result.crashed = true;
    return {"crashed", run, asked(), Kind::Fail, false, kCrashedLine, {}, {}};
}

Case incomplete()
{
    RunFacts run = ok();
    run.pdfComplete = false;
    return {"exit 0 with a cut-off PDF", run, asked(), Kind::Fail, false, kIncompletePdfLine,
            {}, {}};
}

Case notStarted()
{
    RunFacts run;
    run.result.errorText = QStringLiteral("No such file");
    return {"Ghostscript did not start", run, asked(), Kind::Fail, false,
            QStringLiteral("No such file"), {}, {}};
}

class RunJudgement : public testing::TestWithParam<Case>
{
};

TEST_P(RunJudgement, GivesTheNextStep)
{
    const Case &c = GetParam();
    const NextStep step = JudgeRun(c.run, c.job);
    EXPECT_EQ(step.kind, c.kind);
    EXPECT_EQ(step.placeFirst, c.placeFirst);
    EXPECT_EQ(step.missingFonts, c.missing);
    EXPECT_EQ(step.substitutedFonts, c.substituted);
    if (!c.textEnd.isEmpty()) {
        EXPECT_TRUE(step.text.endsWith(c.textEnd)) << step.text.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RunJudgement,
    testing::Values(
        Case{"success", ok(), asked(), Kind::Succeed, true, {}, {}, {}},
        Case{"Ghostscript's error", ranWith(1, "Error: /undefined in foo\n", false), asked(),
             Kind::Fail, false, QStringLiteral("Error: /undefined in foo\n"), {}, {}},
        Case{"timed out", timedOut("Page 1\n"), asked(), Kind::Fail, false, kTimedOutLine, {},
             {}},
        cancelledJob(), stoppedRun(), workspaceFilled(), installedFontsToHandOver(),
        installedRoundsUsedUp(), timedOutWithMissingFonts(), nobodyToAsk(),
        substituteWithoutAsking(), askedRoundsUsedUp(), substitutedRoundsUsedUp(),
        alreadyBound(), archiveLostWithMissingFonts(), archiveLost(), standardIgnoresPdfaLines(),
        crashed(), incomplete(), notStarted()));

TEST(RunTranscript, MarksWhereItsMiddleWasLeftOut)
{
    ProcessResult result;
    result.started = true;
    result.output = "head\ntail\n";
    result.omittedAt = 4;
    result.omittedBytes = 1000;
    EXPECT_EQ(TranscriptText(result),
              QStringLiteral("head\n") + kOmittedOutputLine.arg(1000) + QStringLiteral("\n\ntail\n"));
}

} // namespace
