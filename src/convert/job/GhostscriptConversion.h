#pragma once

#include "convert/pdf/PdfKind.h"

#include <QString>

class ConversionJob;
class MessagePresenter;
class QObject;

// Starts converting inputPath to the PDF at outputPath; the job tells the user
// the outcome in dialogs on dialogs' window, asks about missing fonts and runs
// again with substitutes on consent; the PDF is of the given kind. Returns the
// running job, which deletes itself once it has emitted finished().
ConversionJob *ConvertWithGhostscript(const QString &ghostscriptPath, const QString &inputPath,
                                      const QString &outputPath, MessagePresenter &dialogs,
                                      QObject *parent = nullptr,
                                      PdfKind kind = PdfKind::Standard);
