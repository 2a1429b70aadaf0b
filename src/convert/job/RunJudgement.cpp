#include "convert/job/RunJudgement.h"

#include "convert/fonts/MissingFonts.h"
#include "convert/job/ConversionTexts.h"
#include "convert/pdf/PdfArchive.h"
#include "platform/text/EndOfLine.h"

using namespace ConversionTexts;

namespace {

NextStep stepOf(NextStep::Kind kind)
{
    NextStep step;
    step.kind = kind;
    return step;
}

NextStep failure(const QString &explanation)
{
    NextStep step = stepOf(NextStep::Kind::Fail);
    step.text = explanation;
    return step;
}

// Missing fonts that the substitution prolog does not bind yet.
NextStep missingFontsStep(const QByteArrayList &missing, const QString &output, bool produced,
                          const JobSituation &job)
{
    // Rounds enough: a document that names new fonts on every run has them
    // reported as missing.
    const bool roundsLeft = job.substitutionRounds < job.maxRounds;
    const bool asked = job.policy == MissingFontPolicy::Ask && job.canAsk;
    NextStep step;
    step.missingFonts = missing;
    // Asked in a window, the end of the rounds is told there.
    if (!roundsLeft && asked) {
        step.kind = NextStep::Kind::Fail;
        step.text = output + EndOfLine +
                    kStillMissingLine.arg(QString::number(job.maxRounds), JoinedFontNames(missing));
        return step;
    }
    // Declining the substitution keeps the PDF this run made; a retry
    // replaces it only when it succeeds.
    step.placeFirst = produced;
    // Without dialogs there is nobody to ask.
    const MissingFontPolicy policy =
        !roundsLeft || (job.policy == MissingFontPolicy::Ask && !job.canAsk)
            ? MissingFontPolicy::Report
            : job.policy;
    switch (policy) {
    case MissingFontPolicy::Ask:
        step.kind = NextStep::Kind::Ask;
        break;
    case MissingFontPolicy::Substitute:
        step.kind = NextStep::Kind::RetryWithSubstitutes;
        break;
    case MissingFontPolicy::Report:
        // Kept for whoever is told: without a PDF the run failed, and the
        // transcript says why.
        step.kind = NextStep::Kind::ReportMissingFonts;
        step.text = output;
        break;
    }
    return step;
}

} // namespace

QString TranscriptText(const ProcessResult &result)
{
    if (!result.started)
        return result.errorText;
    if (result.omittedAt < 0)
        return QString::fromUtf8(result.output);
    QString head = QString::fromUtf8(result.output.left(result.omittedAt));
    if (!head.isEmpty() && !head.endsWith(EndOfLine))
        head += EndOfLine;
    return head + kOmittedOutputLine.arg(result.omittedBytes) + EndOfLine +
           QString::fromUtf8(result.output.mid(result.omittedAt));
}

NextStep JudgeRun(const RunFacts &run, const JobSituation &job)
{
    const ProcessResult &result = run.result;
    if (job.cancelled)
        return stepOf(NextStep::Kind::Cancel);
    const QString output = TranscriptText(result);
    if (run.workspaceTooLarge)
        return failure(output + EndOfLine + kWorkspaceTooLargeLine);
    if (result.cancelled)
        return stepOf(NextStep::Kind::Cancel);

    const bool ranThrough = result.succeeded() && run.pdfWritten;
    // Ghostscript reports a full disk under its PDF but still exits with 0.
    const bool produced = ranThrough && run.pdfComplete;
    // A PDF that claims PDF/A and is none would be worse than no PDF.
    const QStringList lostPdfa =
        job.kind == PdfKind::Archive ? PdfaLostLines(result.output) : QStringList();

    const QByteArrayList missing = RecognizeMissingFonts(result.output);
    // Fonts the document named in a way the scan did not see, but that may
    // be installed: run again at once with them, without asking. Each round
    // hands over at least one font more, and the rounds are few.
    if (!missing.isEmpty() && !result.timedOut && !result.crashed && job.canHandOverFonts &&
        job.installedFontRounds < job.maxRounds) {
        NextStep step = stepOf(NextStep::Kind::HandOverInstalledFonts);
        step.missingFonts = missing;
        return step;
    }
    // A retry whose prolog already binds every font it reports found no
    // better font than Ghostscript's own substitute; asking again would
    // only repeat the same question.
    const bool substitutedAlready = !missing.isEmpty() && AreAllSubstituted(missing, job.boundFonts);
    // What the user is told names each font as the first question did.
    const QByteArrayList named = NamesAsAsked(missing, job.boundFonts);
    if (!missing.isEmpty() && !substitutedAlready)
        return missingFontsStep(named, output, produced && lostPdfa.isEmpty(), job);

    if (result.timedOut)
        return failure(output + EndOfLine + kTimedOutLine);
    // Its transcript just stops; without this line nothing would say why.
    if (result.crashed)
        return failure(output + EndOfLine + kCrashedLine);
    if (!lostPdfa.isEmpty())
        return failure(output + EndOfLine + kPdfaLostHead + EndOfLine + kMissingFontBullet +
                       lostPdfa.join(EndOfLine + kMissingFontBullet));
    if (!produced)
        return failure(ranThrough ? output + EndOfLine + kIncompletePdfLine : output);
    NextStep step = stepOf(NextStep::Kind::Succeed);
    step.placeFirst = true;
    step.text = output;
    if (substitutedAlready)
        step.substitutedFonts = named;
    return step;
}
