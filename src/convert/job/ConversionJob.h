#pragma once

#include "convert/pdf/PdfKind.h"
#include "platform/desktop/MessageDialog.h"
#include "platform/files/OutputFolder.h"
#include "platform/process/ProcessResult.h"

#include <QByteArrayList>
#include <QDeadlineTimer>
#include <QFutureWatcher>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <atomic>
#include <functional>
#include <memory>

class ChildProcess;
class FileDescriptor;
class FontIndex;
class GhostscriptSandbox;
class InstalledFontHandover;
class InstalledFonts;
class JobWorkspace;

// One conversion from its input to its verdict: the font-name repair (on a
// worker thread), the Ghostscript child, the missing-font question and its
// retries, putting the PDF in place, and the dialog that tells the outcome.
// Everything is driven by signals; nothing waits. The job works in a
// workspace of its own, removed whatever way the job ends, and lets
// Ghostscript write only there: the PDF reaches the user's folder by a rename
// or a copy made by this program, never by Ghostscript writing into it.
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
    // How often the workspace's size is looked at while Ghostscript runs.
    static constexpr int kWorkspaceWatchMs = 250;
    // Inputs up to this size are scanned for the font-name repair right away.
    static constexpr qint64 kInlineRepairBytes = 1024 * 1024;
    // Runs with substitutes after the first: a document can name a new font
    // on every run, and retries would then go on without end.
    static constexpr int kSubstitutionRounds = 3;

    enum class State { Idle, Repairing, Converting, Asking, Placing, Reporting, Done };
    enum class Outcome { Converted, Failed, FontsMissing, Declined, Cancelled };
    // What to do when Ghostscript reports missing fonts.
    enum class MissingFonts {
        Ask,        // the question with its suggestion; on "yes" run again with substitutes
        Substitute, // run again with substitutes without asking
        Report,     // end with Outcome::FontsMissing (a PDF made meanwhile is kept)
    };

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
    // The kind of PDF to make; Standard unless set.
    void setPdfKind(PdfKind kind) { m_kind = kind; }
    PdfKind pdfKind() const { return m_kind; }

    void start();
    // Stops the job: Ghostscript is stopped, nothing is put in place and no
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
    struct Repair {
        QString name; // in the workspace; empty: the input as it is
        QString error;
        QByteArrayList fonts; // the fonts the document names
    };

    void prepare();
    void repair();
    void onRepaired(const Repair &repaired);
    void handOverInstalledFonts(const QByteArrayList &documentFonts);
    void onFontIndex(const std::shared_ptr<const InstalledFonts> &fonts,
                     const QByteArrayList &documentFonts);
    void runGhostscript(const QString &inputToConvert);
    int remainingMs() const;
    void watchWorkspace();
    // Confines the Ghostscript child as far as the system allows; false (with
    // the failure dialog under way) when it must be confined and cannot be.
    bool confine(QString &program, QStringList &arguments);
    void onGhostscriptFinished(const ProcessResult &result);
    void ask();
    void onAnswered(MessageDialog::Button button);
    void retryWithSubstitutes();
    bool writeProlog();
    bool writeDefinition();
    // Writes a file of this job into the workspace; the reason when it cannot.
    QString writeWorkspaceFile(const QString &name, const QByteArray &bytes);
    void place(std::function<void(bool placed, const QString &error)> then);
    void succeed();
    void fail(const QString &explanation);
    void finish(Outcome outcome);
    void show(const MessageDialog &dialog);

    QString m_ghostscriptPath;
    QString m_inputPath;
    QString m_outputPath;
    MessagePresenter *m_dialogs;
    int m_timeoutMs = kTimeoutMs;
    quint64 m_workspaceLimit = kWorkspaceLimit;
    MissingFonts m_policy = MissingFonts::Ask;
    PdfKind m_kind = PdfKind::Standard;
    // An archive's: Ghostscript's sRGB profile and the definition file naming it.
    QString m_profile;
    QString m_definition;

    State m_state = State::Idle;
    Outcome m_outcome = Outcome::Failed;
    std::shared_ptr<JobWorkspace> m_workspace;
    std::shared_ptr<OutputFolder> m_output;
    // The input, opened once: every read of it, its sandbox rule and
    // Ghostscript's own reading go through this descriptor.
    std::shared_ptr<FileDescriptor> m_input;
    // Tells a repair on a worker thread to stop.
    std::shared_ptr<std::atomic<bool>> m_stopRepair;
    QDeadlineTimer m_deadline;
    qint64 m_pausedRemainingMs = -1;
    QTimer m_repairDeadline;
    bool m_repairTimedOut = false;
    QTimer m_workspaceWatch;
    QFutureWatcher<qint64> m_measuring;
    bool m_workspaceTooLarge = false;
    int m_substitutionRounds = 0;
    QString m_inputLink;
    QString m_prolog;
    ChildProcess *m_ghostscript = nullptr;
    // Its descriptor must stay open until the child has started.
    std::unique_ptr<GhostscriptSandbox> m_sandbox;
    QFutureWatcher<Repair> m_repair;
    QFutureWatcher<QString> m_placing;
    std::function<void(const QString &error)> m_afterPlacing;
    QByteArrayList m_boundFonts;
    std::shared_ptr<FontIndex> m_fontIndex;
    QFutureWatcher<std::shared_ptr<const InstalledFonts>> m_fontIndexWait;
    QTimer m_fontIndexDeadline;
    std::unique_ptr<InstalledFontHandover> m_fontHandover;
    // What Ghostscript converts: the input's link or a copy in the workspace.
    QString m_convertedName;
    int m_installedFontRounds = 0;
    QByteArrayList m_repairedFonts;
    QByteArrayList m_missingFonts;
    QByteArrayList m_substitutedFonts;
    QString m_failureText;
    bool m_cancelled = false;
    bool m_pdfPlaced = false;
};
