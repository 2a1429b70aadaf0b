#include "JobTestSupport.h"

#include "convert/queue/DropIntake.h"

#include <QCoreApplication>
#include <QSignalSpy>

namespace JobTestSupport {

ConversionJob::Outcome waitForJob(ConversionJob *job, int timeoutMs)
{
    QSignalSpy finished(job, &ConversionJob::finished);
    if (!finished.wait(timeoutMs))
        return ConversionJob::Outcome::Failed;
    // What the job posted on its way out (its own deletion) is done too.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return finished.first().first().value<ConversionJob::Outcome>();
}

ConversionJob::Outcome convertToEnd(const QString &ghostscript, const QString &input,
                                    const QString &output, MessagePresenter &dialogs,
                                    int timeoutMs)
{
    auto *job = new ConversionJob(ghostscript, input, output, &dialogs);
    job->setTimeout(timeoutMs);
    job->start();
    return waitForJob(job, timeoutMs + 60000);
}

void dropToEnd(const QStringList &paths, MessagePresenter &dialogs, const QStringList &candidates)
{
    if (ConversionJob *job = IntakeDrop(paths, dialogs, candidates)) {
        waitForJob(job);
        return;
    }
    // A refusal is shown from the event loop.
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

} // namespace JobTestSupport
