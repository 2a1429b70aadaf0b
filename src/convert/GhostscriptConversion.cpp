#include "convert/GhostscriptConversion.h"

#include "convert/ConversionJob.h"

ConversionJob *ConvertWithGhostscript(const QString &ghostscriptPath, const QString &inputPath,
                                      const QString &outputPath, MessagePresenter &dialogs,
                                      QObject *parent)
{
    auto *job = new ConversionJob(ghostscriptPath, inputPath, outputPath, &dialogs, parent);
    job->start();
    return job;
}
