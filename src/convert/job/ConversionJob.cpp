#include "convert/job/ConversionJob.h"

#include "convert/fonts/FontIndex.h"
#include "convert/fonts/FontSubstitution.h"
#include "convert/fonts/MissingFonts.h"
#include "convert/input/EpsBoundingBox.h"
#include "convert/job/ConversionTexts.h"
#include "convert/job/FontHandoverStage.h"
#include "convert/job/GhostscriptRun.h"
#include "convert/job/InputPreparation.h"
#include "convert/job/PdfPlacement.h"
#include "convert/job/VerdictDialogs.h"
#include "convert/pdf/PdfArchive.h"
#include "convert/pdf/PdfCompleteness.h"
#include "platform/files/FileDescriptor.h"
#include "platform/files/FileNameEncoding.h"
#include "platform/files/FolderItem.h"
#include "platform/files/JobWorkspace.h"
#include "platform/files/OutputFolder.h"
#include "platform/text/EndOfLine.h"
#include "platform/text/SystemErrorText.h"

#include <QPointer>

#include <algorithm>
#include <exception>

#include <fcntl.h>

using namespace ConversionTexts;

ConversionJob::ConversionJob(QString ghostscriptPath, QString inputPath, QString outputPath,
                             MessagePresenter *dialogs, QObject *parent)
    : QObject(parent), m_ghostscriptPath(ghostscriptPath), m_inputPath(std::move(inputPath)),
      m_outputPath(std::move(outputPath)), m_dialogs(dialogs),
      m_preparation(new InputPreparation(this)),
      m_fonts(new FontHandoverStage(FontIndex::shared(), this)),
      m_run(new GhostscriptRun(std::move(ghostscriptPath), this)),
      m_placement(new PdfPlacement(this))
{
    connect(m_preparation, &InputPreparation::prepared, this, &ConversionJob::onInputPrepared);
    connect(m_fonts, &FontHandoverStage::handedOver, this, &ConversionJob::onFontsHandedOver);
    connect(m_run, &GhostscriptRun::started, this, &ConversionJob::ghostscriptStarted);
    connect(m_run, &GhostscriptRun::finished, this, &ConversionJob::onGhostscriptFinished);
    connect(m_placement, &PdfPlacement::placed, this, &ConversionJob::onPlaced);
}

ConversionJob::~ConversionJob() = default;

void ConversionJob::setFontIndex(std::shared_ptr<FontIndex> index)
{
    m_fonts->setFontIndex(std::move(index));
}

void ConversionJob::setOutputFolder(std::shared_ptr<const OutputFolder> folder)
{
    m_output = std::move(folder);
}

QByteArrayList ConversionJob::installedFonts() const
{
    return m_fonts->names();
}

void ConversionJob::start()
{
    // Made while the input is read.
    m_fonts->prepareIndex();
    // Whatever happens is told from the event loop, after the caller has
    // connected to finished().
    QMetaObject::invokeMethod(this, &ConversionJob::prepare, Qt::QueuedConnection);
}

void ConversionJob::cancel()
{
    if (m_state == State::Done || m_cancelled)
        return;
    m_cancelled = true;
    m_preparation->stop();
    switch (m_state) {
    case State::Converting:
        // Told as cancelled when Ghostscript has ended.
        m_run->cancel();
        return;
    case State::Placing:
        // A copy stops before it replaces the older PDF; the job ends when
        // the placement has reported. A rename is done at once.
        m_placement->stop();
        return;
    case State::Reporting:
        // The verdict stands; the dialog that tells it ends the job.
        return;
    default:
        finish(Outcome::Cancelled);
    }
}

// The workspace, the output folder and the input, each opened once, then the
// files of this job's kind of PDF and its prolog.
void ConversionJob::prepare()
{
    if (m_cancelled)
        return;
    m_deadline = QDeadlineTimer(m_timeoutMs);
    try {
        m_workspace = std::make_shared<JobWorkspace>();
    } catch (const std::exception &error) {
        fail(kCannotPrepareWorkspace.arg(FailureText(error)));
        return;
    }
    if (!openOutputFolder())
        return;
    const OpenedInput input = OpenInput(m_inputPath, *m_workspace, m_inputLinksRefused);
    if (!input.file) {
        fail(input.error);
        return;
    }
    m_input = input.file;
    m_inputLink = input.link;
    if (PdfKindNeedsDefinition(m_kind) && !writeDefinition())
        return;
    if (!m_boundFonts.isEmpty() && !writeProlog())
        return;
    readInput();
}

bool ConversionJob::openOutputFolder()
{
    // Split as text: Qt's QFileInfo would make the folder's path through its
    // own conversion, which loses a byte that is no UTF-8.
    const FolderItem target(AbsoluteFileName(m_outputPath));
    m_outputName = target.name();
    if (!m_output) {
        auto own = std::make_shared<OutputFolder>();
        own->open(target.parent().nativePath());
        m_output = std::move(own);
    }
    QString error;
    if (!m_output->canCreateFiles(&error)) {
        fail(kCannotCreateOutput.arg(m_outputPath, error));
        return false;
    }
    return true;
}

int ConversionJob::remainingMs() const
{
    return int(std::max<qint64>(0, m_deadline.remainingTime()));
}

void ConversionJob::readInput()
{
    m_state = State::Repairing;
    m_preparation->start(m_input, m_workspace, IsEpsFigure(m_inputPath), remainingMs());
}

void ConversionJob::onInputPrepared(const PreparedInput &input)
{
    if (m_cancelled || m_state != State::Repairing)
        return;
    if (input.timedOut || (input.error.isEmpty() && m_deadline.hasExpired())) {
        fail(kPreparationTimedOutLine);
        return;
    }
    if (!input.error.isEmpty()) {
        fail(kCannotRepairInput.arg(input.error));
        return;
    }
    m_convertedName = input.name.isEmpty() ? m_inputLink : input.name;
    m_fonts->handOver(input.fonts, remainingMs());
}

void ConversionJob::onFontsHandedOver()
{
    if (m_cancelled || m_state != State::Repairing)
        return;
    runGhostscript();
}

void ConversionJob::runGhostscript()
{
    m_state = State::Converting;
    RunInput run;
    run.workspace = m_workspace;
    run.input = m_input;
    run.inputName = m_convertedName;
    run.prolog = m_prolog;
    run.figure = IsEpsFigure(m_inputPath);
    run.kind = m_kind;
    run.profile = m_profile;
    run.definition = m_definition;
    run.fonts = m_fonts->handover();
    GhostscriptRun::Limits limits;
    limits.timeoutMs = remainingMs();
    limits.transcriptBytes = kTranscriptLimit;
    limits.fileSizeBytes = kFileSizeLimit;
    limits.workspaceBytes = m_workspaceLimit;
    QString error;
    if (!m_run->start(run, limits, &error))
        fail(error);
}

void ConversionJob::onGhostscriptFinished(const ProcessResult &result, bool workspaceTooLarge)
{
    emit ghostscriptFinished();
    // From here on a failure shows what the run reported under its heading,
    // also what the system said when Ghostscript could not be started; a
    // failure of our own before the run has no output to head.
    m_ranGhostscript = true;
    RunFacts run;
    run.result = result;
    run.workspaceTooLarge = workspaceTooLarge;
    if (!m_cancelled) {
        const FileDescriptor pdf(m_workspace->openFile(JobWorkspace::outputName(), O_RDONLY));
        run.pdfWritten = pdf.isValid() && FileSize(pdf.get()) > 0;
        run.pdfComplete = run.pdfWritten && IsCompletePdf(pdf.get());
    }
    JobSituation job = situation();
    m_step = JudgeRun(run, job);
    if (m_step.kind == NextStep::Kind::HandOverInstalledFonts) {
        if (m_fonts->add(m_step.missingFonts) > 0) {
            ++m_installedFontRounds;
            runGhostscript();
            return;
        }
        job.canHandOverFonts = false;
        m_step = JudgeRun(run, job);
    }
    m_missingFonts = m_step.missingFonts;
    m_substitutedFonts = m_step.substitutedFonts;
    if (m_step.placeFirst)
        place();
    else
        follow(m_step);
}

JobSituation ConversionJob::situation() const
{
    JobSituation job;
    job.cancelled = m_cancelled;
    job.kind = m_kind;
    job.policy = m_policy;
    job.canAsk = m_dialogs != nullptr;
    job.canHandOverFonts = m_fonts->handover() != nullptr;
    job.installedFontRounds = m_installedFontRounds;
    job.substitutionRounds = m_substitutionRounds;
    job.maxRounds = kSubstitutionRounds;
    job.boundFonts = m_boundFonts;
    return job;
}

void ConversionJob::follow(const NextStep &step)
{
    switch (step.kind) {
    case NextStep::Kind::Cancel:
        finish(Outcome::Cancelled);
        break;
    // Never followed: a run whose fonts the handover did not take is judged
    // again without the offer.
    case NextStep::Kind::HandOverInstalledFonts:
    case NextStep::Kind::Fail:
        fail(step.text, m_ranGhostscript);
        break;
    case NextStep::Kind::Ask:
        ask();
        break;
    case NextStep::Kind::RetryWithSubstitutes:
        retryWithSubstitutes();
        break;
    case NextStep::Kind::ReportMissingFonts:
        m_failureText = step.text;
        finish(Outcome::FontsMissing);
        break;
    case NextStep::Kind::Succeed:
        succeed();
        break;
    }
}

void ConversionJob::ask()
{
    m_state = State::Asking;
    // The time a person takes to answer is not the job's.
    m_pausedRemainingMs = m_deadline.remainingTime();
    const QPointer<ConversionJob> self(this);
    m_dialogs->open(MissingFontsDialog(m_missingFonts), [self](MessageDialog::Button button) {
        if (self)
            self->onAnswered(button);
    });
}

void ConversionJob::onAnswered(MessageDialog::Button button)
{
    if (m_cancelled || m_state != State::Asking)
        return;
    m_deadline = QDeadlineTimer(std::max<qint64>(0, m_pausedRemainingMs));
    if (button != MessageDialog::Button::Action) {
        finish(Outcome::Declined);
        return;
    }
    retryWithSubstitutes();
}

void ConversionJob::retryWithSubstitutes()
{
    ++m_substitutionRounds;
    m_boundFonts = FontsToSubstitute(m_boundFonts, m_missingFonts);
    if (!writeProlog())
        return;
    // The retry reads the user's input again, repaired afresh.
    readInput();
}

bool ConversionJob::writeProlog()
{
    const QString error =
        m_workspace->writeFile(kSubstitutionPrologName, FontSubstitutionProlog(m_boundFonts));
    if (!error.isEmpty()) {
        fail(kCannotWriteSubstitution.arg(error));
        return false;
    }
    m_prolog = kSubstitutionPrologName;
    return true;
}

bool ConversionJob::writeDefinition()
{
    // Ghostscript's own profile, never one of ours: it matches the colour
    // handling of the Ghostscript that writes the PDF.
    m_profile = FindSrgbProfile(m_ghostscriptPath);
    if (m_profile.isEmpty()) {
        fail(kNoSrgbProfile.arg(m_ghostscriptPath));
        return false;
    }
    const QString error = m_workspace->writeFile(
        kPdfaDefinitionName, PdfaDefinition(m_profile, DocumentTitle(m_input->get())));
    if (!error.isEmpty()) {
        fail(kCannotWriteDefinition.arg(error));
        return false;
    }
    m_definition = kPdfaDefinitionName;
    return true;
}

void ConversionJob::place()
{
    m_state = State::Placing;
    m_placement->place(m_workspace, m_output, m_outputName);
}

void ConversionJob::onPlaced(bool inPlace, const QString &error)
{
    m_pdfPlaced = m_pdfPlaced || inPlace;
    if (m_cancelled) {
        finish(Outcome::Cancelled);
        return;
    }
    // A PDF kept beside missing fonts is told with them, placed or not.
    if (m_step.kind == NextStep::Kind::Succeed && !inPlace) {
        fail(m_step.text + EndOfLine + kCannotReplaceOutput.arg(m_outputPath, error),
             m_ranGhostscript);
        return;
    }
    follow(m_step);
}

void ConversionJob::succeed()
{
    m_outcome = Outcome::Converted;
    show(SuccessDialog(m_outputPath, m_kind, m_substitutedFonts));
}

void ConversionJob::fail(const QString &explanation, bool withOutput)
{
    m_failureText = explanation;
    m_outcome = Outcome::Failed;
    show(FailureDialog(explanation, withOutput));
}

void ConversionJob::show(const MessageDialog &dialog)
{
    // The workspace is of no more use once the verdict is in.
    m_workspace.reset();
    if (m_dialogs == nullptr) {
        finish(m_outcome);
        return;
    }
    m_state = State::Reporting;
    const QPointer<ConversionJob> self(this);
    m_dialogs->open(dialog, [self](MessageDialog::Button) {
        if (self)
            self->finish(self->m_outcome);
    });
}

void ConversionJob::finish(Outcome outcome)
{
    if (m_state == State::Done)
        return;
    m_state = State::Done;
    m_outcome = outcome;
    m_preparation->stop();
    m_workspace.reset();
    emit finished(outcome);
    deleteLater();
}
