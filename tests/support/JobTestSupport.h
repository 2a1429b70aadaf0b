#pragma once

#include "convert/job/ConversionJob.h"
#include "install/GhostscriptLocator.h"

#include <QString>
#include <QStringList>

class MessagePresenter;

// Drive conversion jobs to their end from a test, as the event loop would.
namespace JobTestSupport {

// Waits until job has finished (its dialogs answered) and gives its outcome;
// Failed when it did not finish in time.
ConversionJob::Outcome waitForJob(ConversionJob *job, int timeoutMs = 120000);

// ConvertWithGhostscript run to its end.
ConversionJob::Outcome convertToEnd(const QString &ghostscript, const QString &input,
                                    const QString &output, MessagePresenter &dialogs,
                                    int timeoutMs = ConversionJob::kTimeoutMs);

// A drop run to its end; a refused drop's dialog has been shown when it returns.
void dropToEnd(const QStringList &paths, MessagePresenter &dialogs,
               const QStringList &candidates = kDropTimeCandidates);

} // namespace JobTestSupport
