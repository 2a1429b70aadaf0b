#include "convert/job/ConversionJob.h"

#include "convert/job/ConversionTexts.h"
#include "convert/input/DocumentFontNames.h"
#include "convert/input/EpsBoundingBox.h"
#include "convert/fonts/FontIndex.h"
#include "convert/input/FontRepair.h"
#include "convert/fonts/FontSubstitution.h"
#include "convert/job/GhostscriptArguments.h"
#include "convert/fonts/InstalledFontHandover.h"
#include "convert/fonts/InstalledFonts.h"
#include "convert/fonts/MissingFonts.h"
#include "convert/pdf/PdfArchive.h"
#include "convert/pdf/PdfCompleteness.h"
#include "platform/process/ChildProcess.h"
#include "platform/sandbox/GhostscriptSandbox.h"
#include "platform/sandbox/SandboxExecProfile.h"
#include "platform/sandbox/SandboxRules.h"
#include "platform/text/EndOfLine.h"
#include "platform/files/FileDescriptor.h"
#include "platform/files/JobWorkspace.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>

#include <fcntl.h>
#include <unistd.h>

using namespace ConversionTexts;

namespace {

// Ghostscript's output as the dialogs show it, with a line where its middle
// was left out.
QString transcriptText(const ProcessResult &result)
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

// The name the input is linked under in the workspace. Ghostscript names it in
// its messages, so it keeps the user's name where that name is plain; any
// other name could carry what Ghostscript reads as a wildcard of its file
// permissions ("*", "?", "\"), a device ("%") or a pipe ("|").
QString linkNameFor(const QString &inputPath)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9][A-Za-z0-9._+ -]{0,150}$"));
    const QString name = QFileInfo(inputPath).fileName();
    const QString fallback = JobWorkspace::inputName(inputPath);
    const bool reserved = name == kRepairedCopyName || name == kSubstitutionPrologName ||
                          name == kBoundingBoxCopyName || name == kInstalledFontMapName ||
                          name == kPdfaDefinitionName ||
                          name == JobWorkspace::outputName() ||
                          name == JobWorkspace::temporaryName();
    const bool sameKind = JobWorkspace::inputName(name) == fallback;
    return plain.match(name).hasMatch() && !reserved && sameKind ? name : fallback;
}

QProcessEnvironment ghostscriptEnvironment()
{
    // Under -dSAFER a document may still write and delete files in the
    // temporary folder: it gets the workspace's own. Named relative to the
    // workspace, where Ghostscript runs, so no path outside reaches it.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"TMPDIR", "TEMP", "TMP"})
        environment.insert(QString::fromLatin1(name), JobWorkspace::temporaryName());
#ifdef Q_OS_LINUX
    // Ghostscript's heap on transparent huge pages, where the system gives
    // them on request: a third of the page faults, about a fifth off every
    // conversion and two at a time nearly twice as fast as one, the same
    // PDF. A choice of the user's own stays, ours comes after theirs.
    const QString tunablesName = QStringLiteral("GLIBC_TUNABLES");
    const QString hugePages = QStringLiteral("glibc.malloc.hugetlb=1");
    const QString tunables = environment.value(tunablesName);
    if (!tunables.contains(QLatin1String("glibc.malloc.hugetlb")))
        environment.insert(tunablesName, tunables.isEmpty()
                                             ? hugePages
                                             : tunables + QLatin1Char(':') + hugePages);
#endif
    return environment;
}

} // namespace

ConversionJob::ConversionJob(QString ghostscriptPath, QString inputPath, QString outputPath,
                             MessagePresenter *dialogs, QObject *parent)
    : QObject(parent), m_ghostscriptPath(std::move(ghostscriptPath)),
      m_inputPath(std::move(inputPath)), m_outputPath(std::move(outputPath)), m_dialogs(dialogs),
      m_output(std::make_shared<OutputFolder>()), m_fontIndex(FontIndex::shared())
{
    m_fontIndexDeadline.setSingleShot(true);
    connect(&m_fontIndexWait, &QFutureWatcher<std::shared_ptr<const InstalledFonts>>::finished,
            this, [this] {
                m_fontIndexDeadline.stop();
                if (m_fontIndex)
                    onFontIndex(m_fontIndexWait.result(), m_repairedFonts);
            });
    connect(&m_fontIndexDeadline, &QTimer::timeout, this, [this] {
        // Not ready in the job's time: this job goes without.
        m_fontIndex.reset();
        onFontIndex({}, {});
    });
    connect(&m_repair, &QFutureWatcher<Repair>::finished, this,
            [this] { onRepaired(m_repair.result()); });
    connect(&m_placing, &QFutureWatcher<QString>::finished, this, [this] {
        if (m_afterPlacing)
            std::exchange(m_afterPlacing, {})(m_placing.result());
    });
    m_repairDeadline.setSingleShot(true);
    connect(&m_repairDeadline, &QTimer::timeout, this, [this] {
        m_repairTimedOut = true;
        m_stopRepair->store(true);
    });
    m_workspaceWatch.setInterval(kWorkspaceWatchMs);
    connect(&m_workspaceWatch, &QTimer::timeout, this, &ConversionJob::watchWorkspace);
    connect(&m_measuring, &QFutureWatcher<qint64>::finished, this, [this] {
        if (m_state != State::Converting || m_workspaceTooLarge ||
            m_measuring.result() <= qint64(m_workspaceLimit))
            return;
        m_workspaceTooLarge = true;
        m_ghostscript->cancel();
    });
}

ConversionJob::~ConversionJob()
{
    // A repair still running on a worker thread stops at its next block.
    if (m_stopRepair)
        m_stopRepair->store(true);
}

void ConversionJob::setFontIndex(std::shared_ptr<FontIndex> index)
{
    m_fontIndex = std::move(index);
}

QByteArrayList ConversionJob::installedFonts() const
{
    return m_fontHandover ? m_fontHandover->names() : QByteArrayList();
}

void ConversionJob::start()
{
    // Made while the input is read.
    if (m_fontIndex)
        m_fontIndex->prepare();
    // Whatever happens is told from the event loop, after the caller has
    // connected to finished().
    QMetaObject::invokeMethod(this, &ConversionJob::prepare, Qt::QueuedConnection);
}

void ConversionJob::cancel()
{
    if (m_state == State::Done || m_cancelled)
        return;
    m_cancelled = true;
    if (m_stopRepair)
        m_stopRepair->store(true);
    switch (m_state) {
    case State::Converting:
        // Told as cancelled when Ghostscript has ended.
        m_ghostscript->cancel();
        return;
    case State::Placing:
        // A rename or a copy is not cut off halfway: the job ends after it.
        return;
    case State::Reporting:
        // The verdict stands; the dialog that tells it ends the job.
        return;
    default:
        finish(Outcome::Cancelled);
    }
}

void ConversionJob::prepare()
{
    if (m_cancelled)
        return;
    m_deadline = QDeadlineTimer(m_timeoutMs);
    try {
        m_workspace = std::make_shared<JobWorkspace>();
    } catch (const std::exception &error) {
        fail(kCannotPrepareWorkspace + QString::fromUtf8(error.what()));
        return;
    }

    QString error;
    if (!m_output->open(m_outputPath, &error) || !m_output->canCreateFiles(&error)) {
        fail(kCannotCreateOutput + m_outputPath + QStringLiteral(": ") + error);
        return;
    }

    // Opened once and checked as opened: a name another user swaps for a
    // link to a folder, a FIFO or a device meanwhile changes nothing.
    OpenFailure failure;
    m_input = std::make_shared<FileDescriptor>(OpenRegularFile(m_inputPath, &failure));
    if (!m_input->isValid()) {
        const QString reason =
            failure.kind == OpenFailure::Kind::Folder           ? kInputIsFolder
            : failure.kind == OpenFailure::Kind::NotRegularFile ? kInputIsNoRegularFile
                                                                : QString::fromLocal8Bit(
                                                                      std::strerror(failure.error));
        fail(kCannotOpenInput + m_inputPath + QStringLiteral(": ") + reason);
        return;
    }
    // Ghostscript reads the input under its own name through the descriptor
    // it inherits: opening /dev/fd/N opens the very file that was checked.
    m_inputLink = linkNameFor(m_inputPath);
    if (!m_workspace->makeLink(QStringLiteral("/dev/fd/%1").arg(m_input->get()), m_inputLink)) {
        fail(kCannotRepairInput + m_inputPath);
        return;
    }
    if (PdfKindNeedsDefinition(m_kind) && !writeDefinition())
        return;
    if (!m_boundFonts.isEmpty() && !writeProlog())
        return;
    repair();
}

int ConversionJob::remainingMs() const
{
    return int(std::max<qint64>(0, m_deadline.remainingTime()));
}

void ConversionJob::repair()
{
    m_state = State::Repairing;
    m_stopRepair = std::make_shared<std::atomic<bool>>(false);
    m_repairTimedOut = false;
    const bool figure = IsEpsFigure(m_inputPath);
    const auto work = [input = m_input, workspace = m_workspace, stop = m_stopRepair,
                       figure]() -> Repair {
        try {
            const int folder = workspace->descriptor();
            DocumentFontNames fonts;
            QString name = FixPostScriptFonts(input->get(), folder, stop.get(),
                                              kFontRepairBufferSize, kRepairedCopyLimit, &fonts)
                               ? kRepairedCopyName
                               : QString();
            if (!figure)
                return {name, {}, fonts.names()};
            // The figure step reads what the repair made, or the input itself.
            FileDescriptor repaired;
            if (!name.isEmpty()) {
                repaired = FileDescriptor(workspace->openFile(name, O_RDONLY));
                if (!repaired.isValid()) {
                    const QString why = QString::fromLocal8Bit(std::strerror(errno));
                    throw std::runtime_error(
                        (kCannotReadRepairedCopy + QStringLiteral(": ") + why).toStdString());
                }
            }
            if (ResolveAtendBoundingBox(repaired.isValid() ? repaired.get() : input->get(), folder,
                                        stop.get()))
                name = kBoundingBoxCopyName;
            return {name, {}, fonts.names()};
        } catch (const RepairStopped &) {
            return {{}, QStringLiteral("stopped"), {}};
        } catch (const std::exception &error) {
            return {{}, QString::fromUtf8(error.what()), {}};
        }
    };
    // A small document is read in well under a millisecond, less than the
    // trip to a worker thread and back costs; anything larger is read on a
    // worker thread, stopped at the end of the job's time.
    if (FileSize(m_input->get()) <= kInlineRepairBytes) {
        onRepaired(work());
        return;
    }
    m_repairDeadline.start(remainingMs());
    m_repair.setFuture(QtConcurrent::run(work));
}

void ConversionJob::onRepaired(const Repair &repaired)
{
    m_repairDeadline.stop();
    if (m_cancelled || m_state != State::Repairing)
        return;
    if (m_repairTimedOut || (repaired.error.isEmpty() && m_deadline.hasExpired())) {
        fail(kPreparationTimedOutLine);
        return;
    }
    if (!repaired.error.isEmpty()) {
        fail(kCannotRepairInput + repaired.error);
        return;
    }
    m_convertedName = repaired.name.isEmpty() ? m_inputLink : repaired.name;
    handOverInstalledFonts(repaired.fonts);
}

void ConversionJob::handOverInstalledFonts(const QByteArrayList &documentFonts)
{
    if (m_fontHandover || !m_fontIndex) {
        onFontIndex({}, documentFonts);
        return;
    }
    // Only the first conversion of the process finds the index unfinished;
    // it waits for it within its own time.
    const QFuture<FontIndex::Snapshot> index = m_fontIndex->snapshot();
    if (index.isFinished()) {
        onFontIndex(index.result(), documentFonts);
        return;
    }
    m_repairedFonts = documentFonts;
    m_fontIndexDeadline.start(remainingMs());
    m_fontIndexWait.setFuture(index);
}

void ConversionJob::onFontIndex(const std::shared_ptr<const InstalledFonts> &fonts,
                                const QByteArrayList &documentFonts)
{
    if (m_cancelled || m_state != State::Repairing)
        return;
    if (!m_fontHandover && fonts)
        m_fontHandover = std::make_unique<InstalledFontHandover>(fonts);
    if (m_fontHandover)
        m_fontHandover->add(documentFonts);
    runGhostscript(m_convertedName);
}

void ConversionJob::runGhostscript(const QString &inputName)
{
    m_state = State::Converting;
    // A retry must not find the PDF of the run before.
    m_workspace->removeFile(JobWorkspace::outputName());
    if (m_ghostscript == nullptr) {
        m_ghostscript = new ChildProcess(this);
        m_ghostscript->setOutputLimit(kTranscriptLimit);
        m_ghostscript->setFileSizeLimit(kFileSizeLimit);
        m_ghostscript->setEnvironment(ghostscriptEnvironment());
        connect(m_ghostscript, &ChildProcess::finished, this,
                &ConversionJob::onGhostscriptFinished);
    }
    m_ghostscript->setTimeout(std::max(1, remainingMs()));
    // Its working folder is the workspace that was made, entered through
    // the descriptor held since: no path is looked up again.
    m_ghostscript->setWorkingFolder(m_workspace->descriptor());
    m_ghostscript->setInheritedDescriptor(m_input->get());
    QString program = m_ghostscriptPath;
    QStringList arguments =
        GhostscriptArguments(inputName, JobWorkspace::outputName(), m_prolog,
                             IsEpsFigure(m_inputPath), m_kind, m_profile, m_definition);
    // Without installed fonts to hand over the arguments stay as they were.
    // A map that cannot be written leaves Ghostscript to its own search.
    if (m_fontHandover && !m_fontHandover->isEmpty() && m_fontHandover->writeMap(*m_workspace))
        arguments = m_fontHandover->arguments(m_workspace->path()) + arguments;
    if (!confine(program, arguments))
        return;
    m_workspaceTooLarge = false;
    m_ghostscript->start(program, arguments);
    m_workspaceWatch.start();
    emit ghostscriptStarted();
}

void ConversionJob::watchWorkspace()
{
    // Measured on a worker thread: a document that makes many files must not
    // make the window wait for the count.
    if (m_state != State::Converting || m_measuring.isRunning())
        return;
    m_measuring.setFuture(
        QtConcurrent::run([workspace = m_workspace] { return workspace->bytesUsed(); }));
}

bool ConversionJob::confine(QString &program, QStringList &arguments)
{
    m_ghostscript->setChildSetup({});
    // A Ghostscript that is a wrapper script would need its shell: only a
    // real executable is confined.
    if (!SandboxRules::isConfinable(m_ghostscriptPath))
        return true;
    SandboxRules rules;
    rules.executable = m_ghostscriptPath;
    rules.workspace = m_workspace->path();
    rules.workspaceDescriptor = m_workspace->descriptor();
    // The input by its descriptor, with file rights alone.
    rules.readableDescriptors = {m_input->get()};
    // A system file, read by the archive's definition file.
    if (!m_profile.isEmpty())
        rules.readableFiles = {m_profile};
    rules.fontFolders = SandboxRules::foldersOfFontPath(GhostscriptFontPath());
    // The installed fonts handed over, each file on its own.
    if (m_fontHandover)
        rules.readableDescriptors += m_fontHandover->descriptors();
#ifdef Q_OS_MACOS
    if (m_fontHandover)
        rules.readableFiles += m_fontHandover->files();
    const std::optional<QString> profile = SandboxExecProfile(rules.resolved());
    if (!profile) {
        fail(kCannotConfine + kNoSandboxProfile.arg(m_ghostscriptPath));
        return false;
    }
    arguments = SandboxExecArguments(*profile, program, arguments);
    program = QString::fromLatin1(kSandboxExecProgram);
#else
    Q_UNUSED(program);
    Q_UNUSED(arguments);
    m_sandbox = std::make_unique<GhostscriptSandbox>(GhostscriptSandbox::prepare(rules));
    // A kernel that has Landlock must confine the run; without it, -dSAFER
    // is all there is.
    if (m_sandbox->failed()) {
        fail(kCannotConfine + m_sandbox->errorText());
        return false;
    }
    // Empty when there is nothing to apply; without Landlock it still
    // carries the system-call filter.
    m_ghostscript->setChildSetup(m_sandbox->childProcessModifier());
#endif
    return true;
}

void ConversionJob::onGhostscriptFinished(const ProcessResult &result)
{
    m_workspaceWatch.stop();
    emit ghostscriptFinished();
    if (m_cancelled) {
        finish(Outcome::Cancelled);
        return;
    }
    const QString output = transcriptText(result);
    if (m_workspaceTooLarge) {
        fail(output + EndOfLine + kWorkspaceTooLargeLine);
        return;
    }
    if (result.cancelled) {
        finish(Outcome::Cancelled);
        return;
    }

    const FileDescriptor pdf(m_workspace->openFile(JobWorkspace::outputName(), O_RDONLY));
    const bool ranThrough = result.succeeded() && pdf.isValid() && FileSize(pdf.get()) > 0;
    // Ghostscript reports a full disk under its PDF but still exits with 0.
    const bool produced = ranThrough && IsCompletePdf(pdf.get());

    // A PDF that claims PDF/A and is none would be worse than no PDF.
    const QStringList lostPdfa =
        m_kind == PdfKind::Archive ? PdfaLostLines(result.output) : QStringList();

    const QByteArrayList missing = RecognizeMissingFonts(result.output);
    // Fonts the document named in a way the scan did not see, but that are
    // installed: run again at once with them, without asking. Each round
    // hands over at least one font more, and the rounds are few.
    if (!missing.isEmpty() && !result.timedOut && !result.crashed && m_fontHandover &&
        m_installedFontRounds < kSubstitutionRounds && m_fontHandover->add(missing) > 0) {
        ++m_installedFontRounds;
        runGhostscript(m_convertedName);
        return;
    }
    // A retry whose prolog already binds every font it reports found no
    // better font than Ghostscript's own substitute; asking again would
    // only repeat the same question.
    const bool substitutedAlready = !missing.isEmpty() && AreAllSubstituted(missing, m_boundFonts);
    if (!missing.isEmpty() && !substitutedAlready) {
        m_missingFonts = missing;
        // Rounds enough: a document that names new fonts on every run has
        // them reported as missing.
        const bool roundsLeft = m_substitutionRounds < kSubstitutionRounds;
        // Declining the substitution keeps the PDF this run made; a retry
        // replaces it only when it succeeds.
        const auto next = [this, roundsLeft, output](bool, const QString &) {
            // Asked in a window, the end of the rounds is told there.
            if (!roundsLeft && m_dialogs != nullptr && m_policy == MissingFonts::Ask) {
                fail(output + EndOfLine + kStillMissingLine.arg(kSubstitutionRounds) +
                     JoinedFontNames(m_missingFonts));
                return;
            }
            // Without dialogs there is nobody to ask.
            const MissingFonts policy =
                !roundsLeft || (m_policy == MissingFonts::Ask && m_dialogs == nullptr)
                    ? MissingFonts::Report
                    : m_policy;
            switch (policy) {
            case MissingFonts::Ask:
                ask();
                break;
            case MissingFonts::Substitute:
                retryWithSubstitutes();
                break;
            case MissingFonts::Report:
                // Kept for whoever is told: without a PDF the run failed, and
                // the transcript says why.
                m_failureText = output;
                finish(Outcome::FontsMissing);
                break;
            }
        };
        if (produced && lostPdfa.isEmpty() &&
            (roundsLeft || m_policy != MissingFonts::Ask || m_dialogs == nullptr))
            place(next);
        else
            next(false, {});
        return;
    }
    m_missingFonts.clear();

    if (result.timedOut) {
        fail(output + EndOfLine + kTimedOutLine);
        return;
    }
    if (result.crashed) {
        // Its transcript just stops; without this line nothing would say why.
        fail(output + EndOfLine + kCrashedLine);
        return;
    }
    if (!lostPdfa.isEmpty()) {
        fail(output + EndOfLine + kPdfaLostHead + EndOfLine + kMissingFontBullet +
             lostPdfa.join(EndOfLine + kMissingFontBullet));
        return;
    }
    if (!produced) {
        fail(ranThrough ? output + EndOfLine + kIncompletePdfLine : output);
        return;
    }
    m_substitutedFonts = substitutedAlready ? missing : QByteArrayList();
    place([this, output](bool placed, const QString &error) {
        if (placed)
            succeed();
        else
            fail(output + EndOfLine + kCannotReplaceOutput + m_outputPath +
                 QStringLiteral(": ") + error);
    });
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
    repair();
}

bool ConversionJob::writeProlog()
{
    const QString error =
        writeWorkspaceFile(kSubstitutionPrologName, FontSubstitutionProlog(m_boundFonts));
    if (!error.isEmpty()) {
        fail(kCannotWriteSubstitution + error);
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
        fail(kNoSrgbProfile + m_ghostscriptPath);
        return false;
    }
    const QString error = writeWorkspaceFile(
        kPdfaDefinitionName, PdfaDefinition(m_profile, DocumentTitle(m_input->get())));
    if (!error.isEmpty()) {
        fail(kCannotWriteDefinition + error);
        return false;
    }
    m_definition = kPdfaDefinitionName;
    return true;
}

QString ConversionJob::writeWorkspaceFile(const QString &name, const QByteArray &bytes)
{
    m_workspace->removeFile(name);
    const FileDescriptor file(m_workspace->openFile(name, O_WRONLY | O_CREAT | O_EXCL));
    qsizetype written = 0;
    while (file.isValid() && written < bytes.size()) {
        const ssize_t done =
            ::write(file.get(), bytes.constData() + written, size_t(bytes.size() - written));
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            break;
        written += done;
    }
    if (!file.isValid() || written < bytes.size())
        return QString::fromLocal8Bit(std::strerror(errno != 0 ? errno : EIO));
    return {};
}

void ConversionJob::place(std::function<void(bool, const QString &)> then)
{
    m_state = State::Placing;
    // A rename within one file system is done at once; a copy to another
    // file system can take a while: off the GUI thread.
    if (m_output->isOnFileSystemOf(m_workspace->descriptor())) {
        QString error;
        const bool placed =
            m_output->place(m_workspace->descriptor(), JobWorkspace::outputName(), &error);
        m_pdfPlaced = m_pdfPlaced || placed;
        then(placed, placed ? QString() : error);
        return;
    }
    m_afterPlacing = [this, then = std::move(then)](const QString &error) {
        m_pdfPlaced = m_pdfPlaced || error.isEmpty();
        if (m_cancelled) {
            finish(Outcome::Cancelled);
            return;
        }
        then(error.isEmpty(), error);
    };
    // The workspace and the folder stay alive with the task even if the job
    // goes first.
    m_placing.setFuture(
        QtConcurrent::run([workspace = m_workspace, output = m_output]() mutable -> QString {
            QString error;
            const bool placed =
                output->place(workspace->descriptor(), JobWorkspace::outputName(), &error);
            // Let go before the job hears of it, so that the job decides when
            // the workspace goes.
            workspace.reset();
            output.reset();
            if (placed)
                return {};
            return error.isEmpty() ? QStringLiteral("?") : error;
        }));
}

void ConversionJob::succeed()
{
    QString explanation = kSuccessExplanationHead + EndOfLine + m_outputPath;
    if (m_kind != PdfKind::Standard)
        explanation += EndOfLine + kPdfKindLine + PdfKindName(m_kind);
    if (!m_substitutedFonts.isEmpty())
        explanation += EndOfLine + kSubstitutedFontsLine + JoinedFontNames(m_substitutedFonts);
    MessageDialog dialog;
    dialog.iconType = MessageDialog::Icon::Note;
    dialog.message = kSuccessMessage;
    dialog.explanation = explanation;
    dialog.actionButton.caption = kOk;
    m_outcome = Outcome::Converted;
    show(dialog);
}

void ConversionJob::fail(const QString &explanation)
{
    m_failureText = explanation;
    MessageDialog dialog;
    dialog.iconType = MessageDialog::Icon::Stop;
    dialog.message = kFailureMessage;
    dialog.explanation = kFailureExplanationHead + EndOfLine + explanation;
    dialog.actionButton.caption = kOk;
    m_outcome = Outcome::Failed;
    show(dialog);
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
    m_repairDeadline.stop();
    m_workspaceWatch.stop();
    m_workspace.reset();
    emit finished(outcome);
    deleteLater();
}
