#pragma once

#include "convert/pdf/PdfKind.h"
#include "platform/desktop/MessageDialog.h"

#include <QByteArrayList>
#include <QString>

// The dialogs that tell how a conversion ended.

// The PDF is at outputPath; substitutedFonts are the fonts that Ghostscript's
// own substitutes stand in for.
MessageDialog SuccessDialog(const QString &outputPath, PdfKind kind,
                            const QByteArrayList &substitutedFonts);
// Nothing was made; explanation says why: Ghostscript's output and a line of
// ours under the heading of its output when withOutput, else ours alone.
MessageDialog FailureDialog(const QString &explanation, bool withOutput);
