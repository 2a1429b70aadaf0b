#pragma once

#include "convert/queue/ConversionQueue.h"
#include "platform/desktop/MessageDialog.h"

// The one question after a batch: the files with missing fonts, each with
// its fonts and the replacement proposed for the first, and whether to
// convert them again with substitutes.
MessageDialog BatchFontsDialog(const QList<QueuedFile> &withMissingFonts);

// The summary at a batch's end: how many PDFs were made, each failed file
// with its reason (the whole transcripts in the details), the files
// converted with substitutes or with missing fonts, the skipped items, and
// what a cancel left unconverted; once, the kind of the PDFs when it is not
// Standard.
MessageDialog BatchSummaryDialog(const QList<QueuedFile> &items, const QStringList &skipped,
                                 bool cancelled, PdfKind kind = PdfKind::Standard);

// Why a run failed, in one line: Ghostscript's "Error:" line where it wrote
// one, else the explanation's last line (a refusal, a time-out, a crash).
QString FailureReason(const QString &failureText);
