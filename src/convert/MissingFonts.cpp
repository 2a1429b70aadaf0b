#include "convert/MissingFonts.h"

#include "convert/ConversionTexts.h"
#include "convert/FontSubstitution.h"
#include "convert/GhostscriptConversion.h"
#include "platform/EndOfLine.h"
#include "platform/MessageDialog.h"

#include <QSet>

#include <exception>

using namespace ConversionTexts;

namespace {

const QLatin1String kSubstitutionPrefix("Substituting font ");
const QLatin1String kSubstitutionSeparator(" for ");

void showSubstitutionFailure(MessagePresenter &dialogs, const QString &reason)
{
    MessageDialog dialog;
    dialog.iconType = MessageDialog::Icon::Stop;
    dialog.message = kFailureMessage;
    dialog.explanation = kFailureExplanationHead + EndOfLine + kCannotWriteSubstitution + reason;
    dialog.actionButton.caption = kOk;
    dialogs.showModal(dialog);
}

} // namespace

QStringList RecognizeMissingFonts(const QString &transcript)
{
    // "Can't find (or can't open) font file ..." also appears for fonts that
    // are found a moment later, so only the substitution counts.
    QStringList missing;
    QSet<QString> seen;
    for (QStringView line : QStringView(transcript).split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (!line.startsWith(kSubstitutionPrefix) || !line.endsWith(QLatin1Char('.')))
            continue;
        const QStringView rest = line.mid(kSubstitutionPrefix.size());
        // Ghostscript's own substitutes carry no " for "; the missing name may.
        const qsizetype separator = rest.indexOf(kSubstitutionSeparator);
        if (separator < 0)
            continue;
        const QString name =
            rest.mid(separator + kSubstitutionSeparator.size()).chopped(1).toString();
        // PostScript font names are case-sensitive: "Futura" and "FUTURA" are
        // two fonts, and each needs its own prolog line.
        if (name.isEmpty() || seen.contains(name))
            continue;
        seen.insert(name);
        missing.append(name);
    }
    return missing;
}

bool AreAllSubstituted(const QStringList &missingFonts, const QStringList &boundFonts)
{
    if (boundFonts.isEmpty())
        return false;
    QSet<QString> bound;
    for (const QString &name : boundFonts) {
        bound.insert(name);
        // The prolog's own findfont of the target reports the target when it
        // is missing too.
        bound.insert(SubstitutionTargetName(name));
    }
    for (const QString &name : missingFonts) {
        if (!bound.contains(name))
            return false;
    }
    return true;
}

QStringList FontsToSubstitute(const QStringList &boundFonts, const QStringList &missingFonts)
{
    QStringList names = boundFonts;
    for (const QString &name : missingFonts) {
        if (!AreAllSubstituted({name}, names))
            names.append(name);
    }
    return names;
}

QString MissingFontsExplanation(const QStringList &missingFonts)
{
    QString bullets;
    for (const QString &name : missingFonts)
        bullets += kMissingFontBullet + name + EndOfLine;
    const QString first = missingFonts.value(0);
    return kMissingFontsHead + EndOfLine + EndOfLine + bullets + EndOfLine + kSuggestionHead +
           first + kSuggestionHeadEnd + EndOfLine + kSuggestionArrow +
           SuggestReplacementFont(first) + EndOfLine + EndOfLine + kRetryQuestion;
}

void HandleMissingFonts(const QStringList &missingFonts, const QString &ghostscriptPath,
                        const QString &inputPath, const QString &outputPath,
                        const QString &prologArgument, ConversionContext &context,
                        const QStringList &boundFonts)
{
    // The current prolog is replaced, not extended: the next one is written whole.
    Q_UNUSED(prologArgument);

    MessageDialog dialog;
    dialog.iconType = MessageDialog::Icon::Caution;
    dialog.message = kMissingFontsMessage;
    dialog.explanation = MissingFontsExplanation(missingFonts);
    dialog.actionButton.caption = kUseReplacement;
    dialog.cancelButton.caption = kDeclineReplacement;
    dialog.cancelButton.visible = true;
    if (context.dialogs.showModal(dialog) != MessageDialog::Button::Action)
        return;

    const QStringList substituted = FontsToSubstitute(boundFonts, missingFonts);
    QString prologPath;
    try {
        prologPath = BuildFontSubstitution(substituted);
    } catch (const std::exception &error) {
        showSubstitutionFailure(context.dialogs, QString::fromStdString(error.what()));
        return;
    }
    // The caller's input, not the repaired copy: the retry repairs it afresh.
    ConvertWithGhostscript(ghostscriptPath, inputPath, outputPath, prologPath, context,
                           substituted);
}
