#include "ui/WindowConversions.h"

#include "convert/job/ConversionJob.h"
#include "convert/queue/ConversionInputs.h"
#include "convert/queue/DropIntake.h"
#include "platform/files/FolderItem.h"
#include "platform/text/SystemErrorText.h"
#include "ui/BatchRun.h"
#include "ui/ConversionProgress.h"

#include <exception>

WindowConversions::WindowConversions(QWidget *window, MessagePresenter &dialogs,
                                     QStringList ghostscriptCandidates,
                                     InstallationHelp installation, QObject *parent)
    : QObject(parent), m_window(window), m_dialogs(dialogs),
      m_ghostscriptCandidates(std::move(ghostscriptCandidates)),
      m_installation(std::move(installation))
{
    connect(&m_dialogs, &OpenDialogCount::openDialogsChanged, this,
            &WindowConversions::activityChanged);
}

void WindowConversions::deliver(const QStringList &paths)
{
    if (paths.isEmpty())
        return;
    // Files for a batch that still converts join it, unless others wait
    // already: files run in the order they came.
    if (batchRunning() && m_waiting.isEmpty() && m_batch->add(paths))
        return;
    m_waiting.append(paths);
    if (!isActive() && !m_held && !m_scheduled)
        startNext();
    else
        tellWaiting();
}

bool WindowConversions::drop(const QStringList &paths)
{
    if (m_conversion) {
        const ConversionJob::State state = m_conversion->state();
        if (state == ConversionJob::State::Asking || state == ConversionJob::State::Reporting)
            return false;
    }
    if (m_refusalShowing)
        return false;
    deliver(paths);
    return true;
}

void WindowConversions::setHeld(bool held)
{
    m_held = held;
    if (!held)
        scheduleNext();
}

ConversionJob *WindowConversions::runningConversion() const
{
    if (m_conversion && m_conversion->state() != ConversionJob::State::Done)
        return m_conversion;
    return nullptr;
}

bool WindowConversions::batchRunning() const
{
    return m_batch && m_batch->state() != BatchRun::State::Done;
}

bool WindowConversions::isActive() const
{
    return runningConversion() != nullptr || batchRunning() || m_refusalShowing;
}

void WindowConversions::scheduleNext()
{
    if (m_scheduled || m_waiting.isEmpty())
        return;
    m_scheduled = true;
    // From the event loop, once whatever ended has gone, as a drop is.
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_scheduled = false;
            startNext();
        },
        Qt::QueuedConnection);
}

void WindowConversions::startNext()
{
    if (isActive() || m_held || m_waiting.isEmpty())
        return;
    const QStringList paths = m_waiting.takeFirst();
    try {
        if (IsBatch(paths))
            startBatch(paths);
        else
            startSingle(paths);
    } catch (const std::exception &error) {
        m_refusalShowing = false;
        emit failed(FailureText(error));
    } catch (...) {
        m_refusalShowing = false;
        emit failed(QString());
    }
    tellWaiting();
    emit activityChanged();
    if (!isActive())
        scheduleNext();
}

int WindowConversions::waitingFiles() const
{
    qsizetype files = 0;
    for (const QStringList &paths : m_waiting)
        files += IsBatch(paths) ? SelectBatchInputs(paths).inputs.size() : 1;
    return int(files);
}

void WindowConversions::tellWaiting()
{
    if (!m_progress && !m_batch)
        return;
    const int files = waitingFiles();
    if (m_progress)
        m_progress->setWaiting(files);
    if (m_batch)
        m_batch->setWaiting(files);
}

std::function<void()> WindowConversions::holdForRefusal()
{
    // A refusal's dialog holds the line until it is answered; the number
    // tells that answer from one of an earlier refusal.
    const int refusal = ++m_refusals;
    m_refusalShowing = true;
    const QPointer<WindowConversions> self(this);
    return [self, refusal] {
        if (!self || self->m_refusals != refusal || !self->m_refusalShowing)
            return;
        self->m_refusalShowing = false;
        emit self->activityChanged();
        self->scheduleNext();
    };
}

void WindowConversions::startSingle(const QStringList &paths)
{
    const std::function<void()> answered = holdForRefusal();
    ConversionJob *job = IntakeDrop(paths, m_dialogs, m_ghostscriptCandidates, this,
                                    m_installation, answered, m_kind);
    const bool ignored = paths.first().isEmpty();
    if (job == nullptr) {
        if (ignored)
            m_refusalShowing = false;
        return;
    }
    m_refusalShowing = false;
    m_conversion = job;
    m_progress = new ConversionProgress(m_window, job, FolderItem(paths.first()).name());
    connect(m_progress, &ConversionProgress::filesDropped, this, &WindowConversions::drop);
    connect(job, &ConversionJob::finished, this, &WindowConversions::conversionFinished);
    // Once the job has gone, which it does right after telling.
    connect(job, &ConversionJob::finished, this, &WindowConversions::ended, Qt::QueuedConnection);
}

void WindowConversions::startBatch(const QStringList &paths)
{
    const std::function<void()> answered = holdForRefusal();
    // Nothing to convert: refused as a single file would be, not a "0 von 0".
    if (SelectBatchInputs(paths).inputs.isEmpty()) {
        RefuseNotPostScript(m_dialogs, answered);
        return;
    }
    const QString ghostscript =
        GhostscriptForDrop(m_dialogs, m_ghostscriptCandidates, m_installation, answered);
    if (ghostscript.isEmpty())
        return;
    m_refusalShowing = false;
    auto *batch = new BatchRun(m_window, m_dialogs, ghostscript, this, m_kind);
    m_batch = batch;
    connect(batch, &BatchRun::filesDropped, this, &WindowConversions::deliver);
    connect(batch, &BatchRun::finished, this, &WindowConversions::batchFinished);
    connect(batch, &BatchRun::finished, this, &WindowConversions::ended, Qt::QueuedConnection);
    batch->start(paths);
}

void WindowConversions::ended()
{
    emit activityChanged();
    scheduleNext();
}
