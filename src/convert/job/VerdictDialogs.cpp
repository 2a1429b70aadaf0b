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
        explanation += EndOfLine + kPdfKindLine.arg(PdfKindName(kind));
    if (!substitutedFonts.isEmpty())
        explanation += EndOfLine + kSubstitutedFontsLine.arg(JoinedFontNames(substitutedFonts));
    MessageDialog dialog;
    dialog.iconType = MessageDialog::Icon::Note;
    dialog.message = kSuccessMessage;
    dialog.explanation = explanation;
    dialog.actionButton.caption = kOk;
    return dialog;
}

MessageDialog FailureDialog(const QString &explanation, bool withOutput)
{
    MessageDialog dialog;
    dialog.iconType = MessageDialog::Icon::Stop;
    dialog.message = kFailureMessage;
    dialog.explanation =
        withOutput ? kFailureExplanationHead + EndOfLine + explanation : explanation;
    dialog.actionButton.caption = kOk;
    return dialog;
}
