#include "convert/queue/BatchReport.h"

#include "convert/job/ConversionTexts.h"
#include "convert/fonts/FontSubstitution.h"
#include "convert/fonts/MissingFonts.h"
#include "platform/text/EndOfLine.h"

#include <QFileInfo>
#include <QSet>

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

// What the summary tells, gathered in one pass over the files: the lines of
// each section, a bullet to a file.
struct Findings {
    int made = 0;
    int notConverted = 0;
    QString failedLines;
    QString substituted;
    QString fontsMissing;
    QString details;
};

void addFailure(Findings &found, const QueuedFile &item, const QString &name)
{
    found.failedLines += kMissingFontBullet + name + EndOfLine;
    const QString reason = FailureReason(item.failureText);
    if (!reason.isEmpty())
        found.failedLines += QStringLiteral("    ") + reason + EndOfLine;
    if (!item.failureText.trimmed().isEmpty())
        found.details += kBatchDetailsHead.arg(item.input) + EndOfLine + item.failureText +
                         EndOfLine + EndOfLine;
}

Findings gatherFindings(const QList<QueuedFile> &items)
{
    Findings found;
    for (const QueuedFile &item : items) {
        if (pdfMade(item))
            ++found.made;
        if (!item.finished || item.outcome == ConversionJob::Outcome::Cancelled) {
            ++found.notConverted;
            continue;
        }
        const QString name = nameOf(item.input);
        if (failed(item)) {
            addFailure(found, item, name);
        } else if (item.outcome == ConversionJob::Outcome::FontsMissing ||
                   item.outcome == ConversionJob::Outcome::Declined) {
            found.fontsMissing += kMissingFontBullet + name + QStringLiteral(": ") +
                                  JoinedFontNames(item.missingFonts) + EndOfLine;
        } else if (!item.substitutedFonts.isEmpty()) {
            found.substituted += kMissingFontBullet + name + QStringLiteral(": ") +
                                 JoinedFontNames(item.substitutedFonts) + EndOfLine;
        }
    }
    return found;
}

// A section is left out when it has no lines.
void appendSection(QString &text, const QString &head, const QString &lines)
{
    if (!lines.isEmpty())
        text += EndOfLine + EndOfLine + head + EndOfLine + lines.chopped(EndOfLine.size());
}

QString skippedLines(const QStringList &skipped)
{
    QString lines;
    for (const QString &path : skipped)
        lines += kMissingFontBullet + nameOf(path) + EndOfLine;
    return lines;
}

QString summaryText(const Findings &found, qsizetype files, const QStringList &skipped,
                    bool cancelled, PdfKind kind)
{
    const char *made = found.made == 1 ? kBatchMadeOneLine : kBatchMadeLine;
    QString text = Counted(made, files).arg(found.made);
    if (kind != PdfKind::Standard)
        text += EndOfLine + kPdfKindLine.arg(PdfKindName(kind));
    if (cancelled && found.notConverted > 0)
        text += EndOfLine + Counted(kBatchCancelledLine, found.notConverted);
    appendSection(text, kBatchFailedHead, found.failedLines);
    appendSection(text, kBatchFontsMissingHead, found.fontsMissing);
    appendSection(text, kBatchSubstitutedHead, found.substituted);
    appendSection(text, kBatchSkippedHead, skippedLines(skipped));
    return text;
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
    // The files decide "diese Datei" or "diese Dateien", the fonts
    // "Ersatzfont" or "Ersatzfonts": one font missing in two files is one.
    const qsizetype files = withMissingFonts.size();
    QSet<QByteArray> fonts;
    QString text = Counted(kBatchFontsHead, files) + EndOfLine;
    for (const QueuedFile &item : withMissingFonts) {
        text += EndOfLine + nameOf(item.input) + QLatin1Char(':') + EndOfLine;
        for (const QByteArray &font : item.missingFonts) {
            text += kMissingFontBullet + DisplayFontName(font) + EndOfLine;
            fonts.insert(font);
        }
        // Set apart from the fonts, as in the dialog of a single file.
        const QString first = DisplayFontName(item.missingFonts.value(0));
        text += EndOfLine + kSuggestionHead.arg(first) + EndOfLine + kSuggestionArrow +
                SuggestReplacementFont(first) + EndOfLine;
    }
    MessageDialog dialog;
    dialog.iconType = MessageDialog::Icon::Caution;
    dialog.message = kMissingFontsMessage;
    const char *question =
        fonts.size() == 1 ? kBatchRetryWithReplacement : kBatchRetryWithReplacements;
    dialog.explanation = text + EndOfLine + Counted(question, files);
    dialog.actionButton.caption = Counted(kBatchUseReplacement, fonts.size());
    // Declining cancels nothing: the files keep the PDFs they have.
    dialog.cancelButton.caption = kBatchDeclineReplacement;
    dialog.cancelButton.visible = true;
    return dialog;
}

MessageDialog BatchSummaryDialog(const QList<QueuedFile> &items, const QStringList &skipped,
                                 bool cancelled, PdfKind kind)
{
    const Findings found = gatherFindings(items);
    MessageDialog dialog;
    dialog.iconType =
        found.failedLines.isEmpty() ? MessageDialog::Icon::Note : MessageDialog::Icon::Stop;
    dialog.message = kBatchSummaryMessage;
    dialog.explanation = summaryText(found, items.size(), skipped, cancelled, kind);
    dialog.details = found.details.trimmed();
    dialog.actionButton.caption = kOk;
    return dialog;
}
