#pragma once

#include <QString>
#include <QStringList>

struct ConversionContext;

// The fonts a Ghostscript transcript reports as not found, in first-seen order.
QStringList RecognizeMissingFonts(const QString &transcript);

// Asks whether to run again with substitutes for the missing fonts, and does so.
void HandleMissingFonts(const QStringList &missingFonts, const QString &ghostscriptPath,
                        const QString &inputPath, const QString &outputPath,
                        const QString &prologArgument, ConversionContext &context);
