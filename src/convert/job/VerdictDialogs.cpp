#include "convert/job/VerdictDialogs.h"

#include "convert/fonts/MissingFonts.h"
#include "convert/job/ConversionTexts.h"
#include "platform/text/EndOfLine.h"

using namespace ConversionTexts;

MessageDialog SuccessDialog(const QString &outputPath, PdfKind kind,
                            const QByteArrayList &substitutedFonts)
{
    QString explanation = kSuccessExplanationHead + EndOfLine + outputPath;
    if (kind != PdfKind::Standard)
        explanation += EndOfLine + kPdfKindLine + PdfKindName(kind);
    if (!substitutedFonts.isEmpty())
        explanation += EndOfLine + kSubstitutedFontsLine + JoinedFontNames(substitutedFonts);
    MessageDialog dialog;
    dialog.iconType = MessageDialog::Icon::Note;
    dialog.message = kSuccessMessage;
    dialog.explanation = explanation;
    dialog.actionButton.caption = kOk;
    return dialog;
}

MessageDialog FailureDialog(const QString &explanation)
{
    MessageDialog dialog;
    dialog.iconType = MessageDialog::Icon::Stop;
    dialog.message = kFailureMessage;
    dialog.explanation = kFailureExplanationHead + EndOfLine + explanation;
    dialog.actionButton.caption = kOk;
    return dialog;
}
