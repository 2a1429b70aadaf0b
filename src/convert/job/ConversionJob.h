#pragma once

#include "convert/job/RunJudgement.h"
#include "convert/pdf/PdfKind.h"
#include "platform/desktop/MessageDialog.h"
#include "platform/process/ProcessResult.h"

#include <QByteArrayList>
#include <QDeadlineTimer>
#include <QObject>
#include <QString>

#include <memory>

class FileDescriptor;
class FontHandoverStage;
class FontIndex;
class GhostscriptRun;
class InputPreparation;
class JobWorkspace;
class OutputFolder;
class PdfPlacement;
struct PreparedInput;

// One conversion from its input to its verdict, as a sequence of stages:
// the input is opened and read for the font-name repair (InputPreparation),
// the installed fonts it names are handed over (FontHandoverStage),
// Ghostscript runs (GhostscriptRun), the run is judged (JudgeRun), which
// may run it again, ask about missing fonts or fail, the PDF is put in place
// (PdfPlacement) and a dialog tells the outcome (VerdictDialogs). The job
// holds their order and its state; everything is driven by signals and
// nothing waits. It works in a workspace of its own, removed whatever way the
// job ends, and lets Ghostscript write only there: the PDF reaches the user's
// folder by a rename or a copy made by this program, never by Ghostscript
// writing into it.
//
// Started with start(), it emits finished() once and then deletes itself.
class ConversionJob : public QObject
{
    Q_OBJECT

public:
    // The time the whole job may take, the preparation of the input and
    // every retry included; waiting for an answer to the question does not
    // count.
    static constexpr int kTimeoutMs = 30000;
    // How much of Ghostscript's output is kept: its beginning and its end. A
    // document can print without end, and a dialog shows a few hundred
    // kilobytes at once but takes minutes to lay out a hundred megabytes.
    static constexpr qint64 kTranscriptLimit = 256 * 1024;
    // The largest file Ghostscript may write, its PDF or a temporary file:
    // far beyond any real PDF, but a document cannot fill the disk.
    static constexpr quint64 kFileSizeLimit = quint64(4) << 30;
    // What Ghostscript may leave in the workspace in all, however many files.
    static constexpr quint64 kWorkspaceLimit = kFileSizeLimit;
    // Runs with substitutes after the first: a document can name a new font
    // on every run, and retries would then go on without end.
    static constexpr int kSubstitutionRounds = 3;

    enum class State { Idle, Repairing, Converting, Asking, Placing, Reporting, Done };
    enum class Outcome { Converted, Failed, FontsMissing, Declined, Cancelled };
    // What to do when Ghostscript reports missing fonts; Report ends with
    // Outcome::FontsMissing.
    using MissingFonts = MissingFontPolicy;

    // dialogs may be null: the outcome is then only told by finished() and
    // the accessors, with no dialog at all.
    ConversionJob(QString ghostscriptPath, QString inputPath, QString outputPath,
                  MessagePresenter *dialogs, QObject *parent = nullptr);
    ~ConversionJob() override;

    void setTimeout(int milliseconds) { m_timeoutMs = milliseconds; }
    void setWorkspaceLimit(quint64 bytes) { m_workspaceLimit = bytes; }
    void setMissingFonts(MissingFonts policy) { m_policy = policy; }
    // Fonts to bind from the first run on, as after a "yes" to the question.
    void setFontsToSubstitute(const QByteArrayList &names) { m_boundFonts = names; }
    // Where installed fonts are looked up; by default the process's own
    // index. Null: none are handed over.
    void setFontIndex(std::shared_ptr<FontIndex> index);
    // The folder the PDF goes into, opened already by what runs many files
    // into it, so that every PDF of that run lands in the one folder it
    // opened. Without one the job opens the folder of its output path
    // itself when it starts, as a single drop's PDF goes beside its input.
    void setOutputFolder(std::shared_ptr<const OutputFolder> folder);
    // The input is an entry of a folder others may write: a link there is
    // refused rather than followed.
    void setInputLinksRefused(bool refused) { m_inputLinksRefused = refused; }
    // The kind of PDF to make; Standard unless set.
    void setPdfKind(PdfKind kind) { m_kind = kind; }
    PdfKind pdfKind() const { return m_kind; }

    void start();
    // Stops the job: Ghostscript is stopped, nothing is put in place (a copy
    // to another file system stops before it replaces the older PDF) and no
    // dialog follows. finished() reports Cancelled.
    void cancel();

    State state() const { return m_state; }
    Outcome outcome() const { return m_outcome; }
    QString inputPath() const { return m_inputPath; }
    QString outputPath() const { return m_outputPath; }
    // The explanation of the failure dialog (its whole text below "Ausgabe:");
    // after missing fonts were reported, Ghostscript's transcript.
    QString failureText() const { return m_failureText; }
    // The missing fonts of the last run, when it ended with FontsMissing.
    QByteArrayList missingFonts() const { return m_missingFonts; }
    // The fonts Ghostscript's own substitutes stand in for after a retry.
    QByteArrayList substitutedFonts() const { return m_substitutedFonts; }
    // True once a PDF of this job is in place (after missing fonts too).
    bool pdfPlaced() const { return m_pdfPlaced; }
    // The installed fonts handed to Ghostscript by the last run.
    QByteArrayList installedFonts() const;

signals:
    void ghostscriptStarted();
    void ghostscriptFinished();
    void finished(ConversionJob::Outcome outcome);

private:
    void prepare();
    bool openOutputFolder();
    void readInput();
    void onInputPrepared(const PreparedInput &input);
    void onFontsHandedOver();
    void runGhostscript();
    void onGhostscriptFinished(const ProcessResult &result, bool workspaceTooLarge);
    JobSituation situation() const;
    void follow(const NextStep &step);
    void ask();
    void onAnswered(MessageDialog::Button button);
    void retryWithSubstitutes();
    bool writeProlog();
    bool writeDefinition();
    void place();
    void onPlaced(bool inPlace, const QString &error);
    void succeed();
    // withOutput: explanation begins with Ghostscript's output.
    void fail(const QString &explanation, bool withOutput = false);
    void finish(Outcome outcome);
    void show(const MessageDialog &dialog);
    int remainingMs() const;

    QString m_ghostscriptPath;
    QString m_inputPath;
    QString m_outputPath;
    MessagePresenter *m_dialogs;
    int m_timeoutMs = kTimeoutMs;
    quint64 m_workspaceLimit = kWorkspaceLimit;
    MissingFonts m_policy = MissingFonts::Ask;
    PdfKind m_kind = PdfKind::Standard;
    bool m_inputLinksRefused = false;

    // The stages, in their order.
    InputPreparation *m_preparation;
    FontHandoverStage *m_fonts;
    GhostscriptRun *m_run;
    PdfPlacement *m_placement;

    State m_state = State::Idle;
    Outcome m_outcome = Outcome::Failed;
    bool m_cancelled = false;
    QDeadlineTimer m_deadline;
    qint64 m_pausedRemainingMs = -1;
    std::shared_ptr<JobWorkspace> m_workspace;
    std::shared_ptr<const OutputFolder> m_output;
    // The PDF's name in m_output.
    QString m_outputName;
    // The input, opened once: every read of it, its sandbox rule and
    // Ghostscript's own reading go through this descriptor.
    std::shared_ptr<FileDescriptor> m_input;
    QString m_inputLink;
    // What Ghostscript converts: the input's link or a copy in the workspace.
    QString m_convertedName;
    QString m_prolog;
    // An archive's: Ghostscript's sRGB profile and the definition file naming it.
    QString m_profile;
    QString m_definition;
    int m_installedFontRounds = 0;
    int m_substitutionRounds = 0;
    QByteArrayList m_boundFonts;
    // The judgement of the last run, followed once the PDF is in place.
    NextStep m_step;
    QByteArrayList m_missingFonts;
    QByteArrayList m_substitutedFonts;
    QString m_failureText;
    bool m_pdfPlaced = false;
    bool m_ranGhostscript = false;
};
