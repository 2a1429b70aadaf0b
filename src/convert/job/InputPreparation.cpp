#include "convert/job/InputPreparation.h"

#include "convert/fonts/FontSubstitution.h"
#include "convert/fonts/InstalledFontHandover.h"
#include "convert/input/DocumentFontNames.h"
#include "convert/input/EpsBoundingBox.h"
#include "convert/input/FontRepair.h"
#include "convert/job/ConversionTexts.h"
#include "convert/pdf/PdfArchive.h"
#include "platform/files/FileDescriptor.h"
#include "platform/files/JobWorkspace.h"
#include "platform/text/ProgramFailure.h"
#include "platform/text/SystemErrorText.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QtConcurrent/QtConcurrentRun>

#include <cerrno>
#include <cstring>
#include <exception>

#include <fcntl.h>

using namespace ConversionTexts;

namespace {

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

// The repair, then for a figure its bounding box, which reads what the repair
// made or the input itself. Runs on a worker thread for a large input.
PreparedInput readInput(const FileDescriptor &input, const JobWorkspace &workspace, bool figure,
                        const std::atomic<bool> *stop)
{
    try {
        const int folder = workspace.descriptor();
        DocumentFontNames fonts;
        QString name = FixPostScriptFonts(input.get(), folder, stop, kFontRepairBufferSize,
                                          kRepairedCopyLimit, &fonts)
                           ? kRepairedCopyName
                           : QString();
        if (!figure)
            return {name, {}, false, fonts.names()};
        FileDescriptor repaired;
        if (!name.isEmpty()) {
            repaired = FileDescriptor(workspace.openFile(name, O_RDONLY));
            if (!repaired.isValid()) {
                throw ProgramFailure(kCannotReadRepairedCopy.arg(SystemErrorText(errno)));
            }
        }
        if (ResolveAtendBoundingBox(repaired.isValid() ? repaired.get() : input.get(), folder,
                                    stop))
            name = kBoundingBoxCopyName;
        return {name, {}, false, fonts.names()};
    } catch (const RepairStopped &) {
        return {{}, QStringLiteral("stopped"), false, {}};
    } catch (const std::exception &error) {
        return {{}, FailureText(error), false, {}};
    }
}

} // namespace

OpenedInput OpenInput(const QString &inputPath, const JobWorkspace &workspace, bool linksRefused)
{
    // Opened once and checked as opened: a name another user swaps for a
    // link to a folder, a FIFO or a device meanwhile changes nothing.
    OpenFailure failure;
    OpenedInput opened;
    opened.file =
        std::make_shared<FileDescriptor>(OpenRegularFile(inputPath, &failure, linksRefused));
    if (!opened.file->isValid()) {
        const QString reason = failure.kind == OpenFailure::Kind::Folder ? kInputIsFolder
                               : failure.kind == OpenFailure::Kind::NotRegularFile
                                   ? kInputIsNoRegularFile
                                   : SystemErrorText(failure.error);
        opened.file.reset();
        opened.error = kCannotOpenInput.arg(inputPath, reason);
        return opened;
    }
    // Ghostscript reads the input under its own name through the descriptor
    // it inherits: opening /dev/fd/N opens the very file that was checked.
    opened.link = linkNameFor(inputPath);
    if (!workspace.makeLink(QStringLiteral("/dev/fd/%1").arg(opened.file->get()), opened.link)) {
        opened.file.reset();
        opened.error = kCannotRepairInput.arg(inputPath);
    }
    return opened;
}

InputPreparation::InputPreparation(QObject *parent) : QObject(parent)
{
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        m_timedOut = true;
        m_stop->store(true);
    });
    connect(&m_reading, &QFutureWatcher<PreparedInput>::finished, this,
            [this] { onRead(m_reading.result()); });
}

InputPreparation::~InputPreparation()
{
    stop();
}

void InputPreparation::start(std::shared_ptr<FileDescriptor> input,
                             std::shared_ptr<JobWorkspace> workspace, bool figure, int timeoutMs)
{
    m_stop = std::make_shared<std::atomic<bool>>(false);
    m_timedOut = false;
    // A small document is read in well under a millisecond, less than the
    // trip to a worker thread and back costs.
    if (FileSize(input->get()) <= kInlineBytes) {
        onRead(readInput(*input, *workspace, figure, m_stop.get()));
        return;
    }
    m_deadline.start(timeoutMs);
    // The input and the workspace stay alive with the task even if the job
    // goes first.
    m_reading.setFuture(
        QtConcurrent::run([input, workspace, figure, stop = m_stop] {
            return readInput(*input, *workspace, figure, stop.get());
        }));
}

void InputPreparation::stop()
{
    m_deadline.stop();
    if (m_stop)
        m_stop->store(true);
}

void InputPreparation::onRead(PreparedInput input)
{
    m_deadline.stop();
    input.timedOut = m_timedOut;
    emit prepared(input);
}
