#include "convert/job/GhostscriptConversion.h"

#include "convert/job/ConversionJob.h"

ConversionJob *ConvertWithGhostscript(const QString &ghostscriptPath, const QString &inputPath,
                                      const QString &outputPath, MessagePresenter &dialogs,
                                      QObject *parent, PdfKind kind)
{
    auto *job = new ConversionJob(ghostscriptPath, inputPath, outputPath, &dialogs, parent);
    job->setPdfKind(kind);
    job->start();
    return job;
}
