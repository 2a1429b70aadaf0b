#include "ui/BatchRun.h"

#include "convert/job/ConversionTexts.h"
#include "convert/queue/BatchReport.h"
#include "convert/queue/ConversionInputs.h"
#include "ui/ProgressDialog.h"

#include <QFileInfo>

using namespace ConversionTexts;

BatchRun::BatchRun(QWidget *window, MessagePresenter &dialogs, QString ghostscriptPath,
                   QObject *parent, PdfKind kind)
    : QObject(parent), m_window(window), m_dialogs(dialogs),
      m_ghostscriptPath(std::move(ghostscriptPath)), m_kind(kind)
{
}

void BatchRun::start(const QStringList &paths)
{
    ConversionOptions options;
    options.pdfKind = m_kind;
    m_first = new ConversionQueue(m_ghostscriptPath, options, this);
    connect(m_first, &ConversionQueue::finished, this, &BatchRun::onConverted);
    add(paths);
    showProgress();
    run(m_first);
}

bool BatchRun::add(const QStringList &paths)
{
    if (m_state != State::Converting)
        return false;
    const BatchSelection selection = SelectBatchInputs(paths);
    m_skipped += selection.skipped;
    for (const QString &input : selection.inputs)
        m_first->add(input);
    return true;
}

void BatchRun::cancel()
{
    if (m_current)
        m_current->cancel();
}

void BatchRun::setWaiting(int files)
{
    m_waiting = files;
    if (m_progress)
        m_progress->setWaiting(files);
}

void BatchRun::run(ConversionQueue *batch)
{
    m_current = batch;
    connect(batch, &ConversionQueue::progressed, this, &BatchRun::updateProgress);
    batch->start();
    updateProgress();
}

void BatchRun::showProgress()
{
    if (m_progress)
        return;
    m_progress = new ProgressDialog(m_window, QStringLiteral("batchProgress"));
    m_progress->setWaiting(m_waiting);
    connect(m_progress, &ProgressDialog::filesDropped, this, &BatchRun::filesDropped);
    connect(m_progress, &ProgressDialog::cancelled, this, &BatchRun::cancel);
    updateProgress();
    m_progress->show();
}

void BatchRun::updateProgress()
{
    if (!m_progress || !m_current)
        return;
    const int done = m_current->finishedCount();
    const int total = m_current->total();
    m_progress->setCount(Counted(kBatchProgress, total).arg(done));
    m_progress->setProgress(done, std::max(total, 1));
    const QStringList running = m_current->running();
    m_progress->setFileName(running.isEmpty() ? QString() : QFileInfo(running.first()).fileName());
}

void BatchRun::onConverted()
{
    QList<QueuedFile> withFonts;
    const QList<QueuedFile> &items = m_first->files();
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (items.at(i).outcome == ConversionJob::Outcome::FontsMissing) {
            withFonts.append(items.at(i));
            m_retried.append(int(i));
        }
    }
    if (withFonts.isEmpty() || m_first->isCancelled()) {
        m_retried.clear();
        report();
        return;
    }
    m_state = State::Asking;
    delete m_progress.data();
    const QPointer<BatchRun> self(this);
    m_dialogs.open(BatchFontsDialog(withFonts), [self](MessageDialog::Button button) {
        if (!self)
            return;
        if (button != MessageDialog::Button::Action) {
            self->m_retried.clear();
            self->report();
            return;
        }
        // The same rules as for one file: each runs again with its fonts
        // bound, and again while new ones turn up.
        self->m_state = State::Retrying;
        ConversionOptions options;
        options.missingFonts = ConversionJob::MissingFonts::Substitute;
        options.pdfKind = self->m_kind;
        self->m_retry = new ConversionQueue(self->m_ghostscriptPath, options, self);
        for (const int index : std::as_const(self->m_retried)) {
            const QueuedFile &item = self->m_first->files().at(index);
            self->m_retry->add(item.input, item.missingFonts);
        }
        connect(self->m_retry, &ConversionQueue::finished, self, &BatchRun::onRetried);
        self->showProgress();
        self->run(self->m_retry);
    });
}

void BatchRun::onRetried()
{
    report();
}

void BatchRun::report()
{
    m_state = State::Reporting;
    m_current = nullptr;
    delete m_progress.data();
    QList<QueuedFile> items = m_first->files();
    bool cancelled = m_first->isCancelled();
    if (m_retry) {
        // A file's second run decides; one the retry did not reach keeps its first.
        for (qsizetype i = 0; i < m_retried.size(); ++i) {
            const QueuedFile &again = m_retry->files().at(i);
            if (again.finished && again.outcome != ConversionJob::Outcome::Cancelled)
                items[m_retried.at(i)] = again;
        }
        cancelled = cancelled || m_retry->isCancelled();
    }
    const QPointer<BatchRun> self(this);
    m_dialogs.open(BatchSummaryDialog(items, m_skipped, cancelled, m_kind),
                   [self](MessageDialog::Button) {
                       if (self)
                           self->finish();
                   });
}

void BatchRun::finish()
{
    m_state = State::Done;
    emit finished();
    deleteLater();
}
