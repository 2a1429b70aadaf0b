#include "convert/queue/BatchReport.h"

#include "convert/job/ConversionTexts.h"
#include "convert/fonts/FontSubstitution.h"
#include "convert/fonts/MissingFonts.h"
#include "platform/text/EndOfLine.h"

#include <QFileInfo>

using namespace ConversionTexts;

namespace {

QString nameOf(const QString &path)
{
    const QString name = QFileInfo(path).fileName();
    return name.isEmpty() ? path : name;
}

bool pdfMade(const QueuedFile &item)
{
    return item.outcome == ConversionJob::Outcome::Converted ||
           (item.outcome == ConversionJob::Outcome::FontsMissing && item.pdfPlaced);
}

// A file that ended with missing fonts but made no PDF failed for another
// reason too (an error after the font was asked for): it is told as failed.
bool failed(const QueuedFile &item)
{
    return item.outcome == ConversionJob::Outcome::Failed ||
           (item.outcome == ConversionJob::Outcome::FontsMissing && !item.pdfPlaced);
}

} // namespace

QString FailureReason(const QString &failureText)
{
    const QStringList lines = failureText.split(EndOfLine);
    for (const QString &line : lines) {
        if (line.startsWith(QLatin1String("Error: ")))
            return line.trimmed();
    }
    for (qsizetype i = lines.size() - 1; i >= 0; --i) {
        if (!lines.at(i).trimmed().isEmpty())
            return lines.at(i).trimmed();
    }
    return {};
}

MessageDialog BatchFontsDialog(const QList<QueuedFile> &withMissingFonts)
{
    const qsizetype files = withMissingFonts.size();
    QString text = Counted(kBatchFontsHead, files) + EndOfLine;
    for (const QueuedFile &item : withMissingFonts) {
        text += EndOfLine + nameOf(item.input) + QLatin1Char(':') + EndOfLine;
        for (const QByteArray &font : item.missingFonts)
            text += kMissingFontBullet + DisplayFontName(font) + EndOfLine;
        // Set apart from the fonts, as in the dialog of a single file.
        const QString first = DisplayFontName(item.missingFonts.value(0));
        text += EndOfLine + kSuggestionHead + first + kSuggestionHeadEnd + EndOfLine +
                kSuggestionArrow + SuggestReplacementFont(first) + EndOfLine;
    }
    MessageDialog dialog;
    dialog.iconType = MessageDialog::Icon::Caution;
    dialog.message = kMissingFontsMessage;
    dialog.explanation = text + EndOfLine + Counted(kBatchRetryQuestion, files);
    dialog.actionButton.caption = Counted(kBatchUseReplacement, files);
    // Declining cancels nothing: the files keep the PDFs they have.
    dialog.cancelButton.caption = kBatchDeclineReplacement;
    dialog.cancelButton.visible = true;
    return dialog;
}

MessageDialog BatchSummaryDialog(const QList<QueuedFile> &items, const QStringList &skipped,
                                 bool cancelled, PdfKind kind)
{
    int made = 0;
    int notConverted = 0;
    QString failedLines;
    QString substituted;
    QString fontsMissing;
    QString details;
    for (const QueuedFile &item : items) {
        if (pdfMade(item))
            ++made;
        if (!item.finished || item.outcome == ConversionJob::Outcome::Cancelled) {
            ++notConverted;
            continue;
        }
        const QString name = nameOf(item.input);
        if (failed(item)) {
            failedLines += kMissingFontBullet + name + EndOfLine;
            const QString reason = FailureReason(item.failureText);
            if (!reason.isEmpty())
                failedLines += QStringLiteral("    ") + reason + EndOfLine;
            if (!item.failureText.trimmed().isEmpty())
                details += kBatchDetailsHead.arg(item.input) + EndOfLine + item.failureText +
                           EndOfLine + EndOfLine;
        } else if (item.outcome == ConversionJob::Outcome::FontsMissing ||
                   item.outcome == ConversionJob::Outcome::Declined) {
            fontsMissing += kMissingFontBullet + name + QStringLiteral(": ") +
                            JoinedFontNames(item.missingFonts) + EndOfLine;
        } else if (!item.substitutedFonts.isEmpty()) {
            substituted += kMissingFontBullet + name + QStringLiteral(": ") +
                           JoinedFontNames(item.substitutedFonts) + EndOfLine;
        }
    }

    QString text = Counted(kBatchMadeLine, made).arg(Counted(kBatchFiles, items.size()));
    if (kind != PdfKind::Standard)
        text += EndOfLine + kPdfKindLine + PdfKindName(kind);
    if (cancelled && notConverted > 0)
        text += EndOfLine + Counted(kBatchCancelledLine, notConverted);
    const auto section = [&text](const QString &head, const QString &lines) {
        if (!lines.isEmpty())
            text += EndOfLine + EndOfLine + head + EndOfLine + lines.chopped(EndOfLine.size());
    };
    section(kBatchFailedHead, failedLines);
    section(kBatchFontsMissingHead, fontsMissing);
    section(kBatchSubstitutedHead, substituted);
    QString skippedLines;
    for (const QString &path : skipped)
        skippedLines += kMissingFontBullet + nameOf(path) + EndOfLine;
    section(kBatchSkippedHead, skippedLines);

    MessageDialog dialog;
    dialog.iconType = failedLines.isEmpty() ? MessageDialog::Icon::Note : MessageDialog::Icon::Stop;
    dialog.message = kBatchSummaryMessage;
    dialog.explanation = text;
    dialog.details = details.trimmed();
    dialog.actionButton.caption = kOk;
    return dialog;
}
