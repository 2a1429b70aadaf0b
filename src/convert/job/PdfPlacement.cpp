#include "convert/job/PdfPlacement.h"

#include "platform/files/JobWorkspace.h"
#include "platform/files/OutputFolder.h"

#include <QtConcurrent/QtConcurrentRun>

PdfPlacement::PdfPlacement(QObject *parent)
    : QObject(parent), m_stop(std::make_shared<std::atomic<bool>>(false))
{
    connect(&m_copying, &QFutureWatcher<QString>::finished, this, [this] {
        const QString error = m_copying.result();
        emit placed(error.isEmpty(), error);
    });
}

PdfPlacement::~PdfPlacement()
{
    // A job that goes while its copy runs has not placed its PDF: the copy
    // must not replace the older one afterwards.
    stop();
}

void PdfPlacement::stop()
{
    m_stop->store(true);
}

void PdfPlacement::place(const std::shared_ptr<JobWorkspace> &workspace,
                         const std::shared_ptr<const OutputFolder> &output,
                         const QString &targetName)
{
    // A rename within one file system is done at once; a copy to another
    // file system can take a while: off the GUI thread.
    if (output->isOnFileSystemOf(workspace->descriptor())) {
        QString error;
        const bool inPlace = output->place(workspace->descriptor(), JobWorkspace::outputName(),
                                           targetName, m_stop.get(), &error);
        emit placed(inPlace, inPlace ? QString() : error);
        return;
    }
    // The workspace, the folder and the flag stay alive with the task even
    // if the job goes first.
    m_copying.setFuture(QtConcurrent::run(
        [workspace = workspace, output = output, targetName, stop = m_stop]() mutable -> QString {
            QString error;
            const bool inPlace = output->place(workspace->descriptor(),
                                               JobWorkspace::outputName(), targetName,
                                               stop.get(), &error);
            // Let go before the job hears of it, so that the job decides when
            // the workspace goes.
            workspace.reset();
            output.reset();
            if (inPlace)
                return {};
            return error.isEmpty() ? QStringLiteral("?") : error;
        }));
}
