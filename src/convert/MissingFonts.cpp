#include "convert/MissingFonts.h"

QStringList RecognizeMissingFonts(const QString &transcript)
{
    Q_UNUSED(transcript);
    return {};
}

void HandleMissingFonts(const QStringList &missingFonts, const QString &ghostscriptPath,
                        const QString &inputPath, const QString &outputPath,
                        const QString &prologArgument, ConversionContext &context)
{
    Q_UNUSED(missingFonts);
    Q_UNUSED(ghostscriptPath);
    Q_UNUSED(inputPath);
    Q_UNUSED(outputPath);
    Q_UNUSED(prologArgument);
    Q_UNUSED(context);
}
