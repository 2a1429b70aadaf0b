#include "convert/job/PdfPlacement.h"

#include "platform/files/JobWorkspace.h"
#include "platform/files/OutputFolder.h"

#include <QtConcurrent/QtConcurrentRun>

PdfPlacement::PdfPlacement(QObject *parent) : QObject(parent)
{
    connect(&m_copying, &QFutureWatcher<QString>::finished, this, [this] {
        const QString error = m_copying.result();
        emit placed(error.isEmpty(), error);
    });
}

void PdfPlacement::place(const std::shared_ptr<JobWorkspace> &workspace,
                         const std::shared_ptr<OutputFolder> &output)
{
    // A rename within one file system is done at once; a copy to another
    // file system can take a while: off the GUI thread.
    if (output->isOnFileSystemOf(workspace->descriptor())) {
        QString error;
        const bool inPlace = output->place(workspace->descriptor(), JobWorkspace::outputName(),
                                           &error);
        emit placed(inPlace, inPlace ? QString() : error);
        return;
    }
    // The workspace and the folder stay alive with the task even if the job
    // goes first.
    m_copying.setFuture(
        QtConcurrent::run([workspace = workspace, output = output]() mutable
                          -> QString {
            QString error;
            const bool inPlace =
                output->place(workspace->descriptor(), JobWorkspace::outputName(), &error);
            // Let go before the job hears of it, so that the job decides when
            // the workspace goes.
            workspace.reset();
            output.reset();
            if (inPlace)
                return {};
            return error.isEmpty() ? QStringLiteral("?") : error;
        }));
}
