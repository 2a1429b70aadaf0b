#include "ui/ConversionProgress.h"

#include "convert/job/ConversionJob.h"
#include "ui/ProgressDialog.h"

ConversionProgress::ConversionProgress(QWidget *window, ConversionJob *job, QString fileName)
    : QObject(job), m_window(window), m_fileName(std::move(fileName)), m_job(job)
{
    connect(job, &ConversionJob::ghostscriptStarted, this, &ConversionProgress::runStarted);
    connect(job, &ConversionJob::ghostscriptFinished, this, &ConversionProgress::runFinished);
    m_showTimer.setSingleShot(true);
    m_showTimer.setInterval(kShowAfterMs);
    m_showTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_showTimer, &QTimer::timeout, this, &ConversionProgress::showDialog);
}

ConversionProgress::~ConversionProgress()
{
    runFinished();
}

void ConversionProgress::runStarted()
{
    m_running = true;
    m_showTimer.start();
}

void ConversionProgress::runFinished()
{
    m_showTimer.stop();
    m_running = false;
    delete m_dialog.data();
}

void ConversionProgress::setWaiting(int files)
{
    m_waiting = files;
    if (m_dialog)
        m_dialog->setWaiting(files);
}

void ConversionProgress::showDialog()
{
    if (!m_running || m_dialog)
        return;
    m_dialog = new ProgressDialog(m_window, QStringLiteral("conversionProgress"));
    m_dialog->setProgress(0, 0);
    m_dialog->setFileName(m_fileName);
    m_dialog->setWaiting(m_waiting);
    connect(m_dialog, &ProgressDialog::filesDropped, this, &ConversionProgress::filesDropped);
    connect(m_dialog, &ProgressDialog::cancelled, this, &ConversionProgress::cancelRun);
    m_dialog->show();
}

void ConversionProgress::cancelRun()
{
    if (m_job)
        m_job->cancel();
}
