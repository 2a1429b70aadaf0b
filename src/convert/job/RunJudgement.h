#pragma once

#include "convert/pdf/PdfKind.h"
#include "platform/process/ProcessResult.h"

#include <QByteArrayList>
#include <QString>

// What a job does when Ghostscript reports missing fonts.
enum class MissingFontPolicy {
    Ask,        // the question with its suggestion; on "yes" run again with substitutes
    Substitute, // run again with substitutes without asking
    Report,     // end with the fonts reported missing (a PDF made meanwhile is kept)
};

// What one Ghostscript run left behind, as the job found it.
struct RunFacts {
    ProcessResult result;
    bool workspaceTooLarge = false; // stopped for filling its workspace
    bool pdfWritten = false;        // a PDF that is not empty is in the workspace
    bool pdfComplete = false;       // and it ends in a trailer that fits it
};

// The job's state, as far as it bears on what follows a run.
struct JobSituation {
    bool cancelled = false;
    PdfKind kind = PdfKind::Standard;
    MissingFontPolicy policy = MissingFontPolicy::Ask;
    bool canAsk = true; // somebody sees the question: the job has dialogs
    // Installed fonts can still be handed over: the job hands fonts over and
    // this run's missing fonts have not been offered yet.
    bool canHandOverFonts = false;
    int installedFontRounds = 0; // silent runs with more installed fonts so far
    int substitutionRounds = 0;  // runs with substitutes so far
    int maxRounds = 3;           // of either kind
    QByteArrayList boundFonts;   // what the substitution prolog binds already
};

// What the job does next.
struct NextStep {
    enum class Kind {
        Cancel,                 // end as cancelled: nothing placed, nothing told
        HandOverInstalledFonts, // offer missingFonts to the handover; run again if it took any
        Ask,                    // the missing-font question
        RetryWithSubstitutes,   // run again with missingFonts bound to substitutes
        ReportMissingFonts,     // end with missingFonts reported; text is the transcript
        Fail,                   // the failure dialog; text is its explanation
        Succeed,                // the success dialog
    };
    Kind kind = Kind::Fail;
    // Put this run's PDF in place before the step. A failed placement fails
    // a success (text is then the transcript) and leaves the others as they are.
    bool placeFirst = false;
    QString text;
    QByteArrayList missingFonts;
    // The fonts Ghostscript's own substitutes stand in for, on success.
    QByteArrayList substitutedFonts;
};

// Decides what follows a run, from the run and the job alone: no process,
// file or dialog is touched, so that every case can be held in a table.
NextStep JudgeRun(const RunFacts &run, const JobSituation &job);

// Ghostscript's output as the dialogs show it, with a line where its middle
// was left out; the reason it did not start when it did not.
QString TranscriptText(const ProcessResult &result);
