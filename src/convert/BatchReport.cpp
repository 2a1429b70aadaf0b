#include "convert/BatchReport.h"

#include "convert/ConversionTexts.h"
#include "convert/FontSubstitution.h"
#include "convert/MissingFonts.h"
#include "platform/EndOfLine.h"

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

} // namespace

QString TranscriptTail(const QString &transcript, int lines)
{
    QStringList kept;
    const QStringList all = transcript.split(EndOfLine);
    for (qsizetype i = all.size() - 1; i >= 0 && kept.size() < lines; --i) {
        if (!all.at(i).trimmed().isEmpty())
            kept.prepend(all.at(i).trimmed());
    }
    return kept.join(EndOfLine);
}

MessageDialog BatchFontsDialog(const QList<QueuedFile> &withMissingFonts)
{
    QString text = kBatchFontsHead + EndOfLine;
    for (const QueuedFile &item : withMissingFonts) {
        text += EndOfLine + nameOf(item.input) + QLatin1Char(':') + EndOfLine;
        for (const QByteArray &font : item.missingFonts)
            text += kMissingFontBullet + DisplayFontName(font) + EndOfLine;
        const QString first = DisplayFontName(item.missingFonts.value(0));
        text += kSuggestionHead + first + kSuggestionHeadEnd + EndOfLine + kSuggestionArrow +
                SuggestReplacementFont(first) + EndOfLine;
    }
    MessageDialog dialog;
    dialog.iconType = MessageDialog::Icon::Caution;
    dialog.message = kMissingFontsMessage;
    dialog.explanation = text + EndOfLine + kBatchRetryQuestion;
    dialog.actionButton.caption = kUseReplacement;
    dialog.cancelButton.caption = kDeclineReplacement;
    dialog.cancelButton.visible = true;
    return dialog;
}

MessageDialog BatchSummaryDialog(const QList<QueuedFile> &items, const QStringList &skipped,
                                 bool cancelled, PdfKind kind)
{
    int made = 0;
    int notConverted = 0;
    QString failed;
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
        if (item.outcome == ConversionJob::Outcome::Failed) {
            failed += kMissingFontBullet + name + EndOfLine;
            const QString tail = TranscriptTail(item.failureText);
            if (!tail.isEmpty())
                failed += QStringLiteral("    ") +
                          QString(tail).replace(EndOfLine, EndOfLine + QStringLiteral("    ")) +
                          EndOfLine;
            details += kBatchDetailsHead.arg(item.input) + EndOfLine + item.failureText +
                       EndOfLine + EndOfLine;
        } else if (item.outcome == ConversionJob::Outcome::FontsMissing ||
                   item.outcome == ConversionJob::Outcome::Declined) {
            fontsMissing += kMissingFontBullet + name + QStringLiteral(": ") +
                            JoinedFontNames(item.missingFonts) + EndOfLine;
        } else if (!item.substitutedFonts.isEmpty()) {
            substituted += kMissingFontBullet + name + QStringLiteral(": ") +
                           kSubstitutedFontsLine + JoinedFontNames(item.substitutedFonts) +
                           EndOfLine;
        }
    }

    QString text = kBatchMadeLine.arg(made).arg(items.size());
    if (kind != PdfKind::Standard)
        text += EndOfLine + kPdfKindLine + PdfKindName(kind);
    if (cancelled && notConverted > 0)
        text += EndOfLine + kBatchCancelledLine.arg(notConverted);
    const auto section = [&text](const QString &head, const QString &lines) {
        if (!lines.isEmpty())
            text += EndOfLine + EndOfLine + head + EndOfLine + lines.chopped(EndOfLine.size());
    };
    section(kBatchFailedHead, failed);
    section(kBatchFontsMissingHead, fontsMissing);
    section(kBatchSubstitutedHead, substituted);
    QString skippedLines;
    for (const QString &path : skipped)
        skippedLines += kMissingFontBullet + nameOf(path) + EndOfLine;
    section(kBatchSkippedHead, skippedLines);

    MessageDialog dialog;
    dialog.iconType = failed.isEmpty() ? MessageDialog::Icon::Note : MessageDialog::Icon::Stop;
    dialog.message = kBatchSummaryMessage;
    dialog.explanation = text;
    dialog.details = details.trimmed();
    dialog.actionButton.caption = kOk;
    return dialog;
}
