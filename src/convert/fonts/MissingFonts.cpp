#include "convert/fonts/MissingFonts.h"

#include "convert/job/ConversionTexts.h"
#include "convert/fonts/FontSubstitution.h"
#include "platform/text/EndOfLine.h"

#include <QSet>

using namespace ConversionTexts;

namespace {

const QByteArray kSubstitutionPrefix("Substituting font ");
const QByteArray kSubstitutionSeparator(" for ");

} // namespace

QString DisplayFontName(const QByteArray &name)
{
    return QString::fromUtf8(name);
}

QByteArrayList RecognizeMissingFonts(const QByteArray &transcript)
{
    // "Can't find (or can't open) font file ..." also appears for fonts that
    // are found a moment later, so only the substitution counts.
    QByteArrayList missing;
    QSet<QByteArray> seen;
    qsizetype start = 0;
    while (start < transcript.size()) {
        qsizetype end = transcript.indexOf('\n', start);
        if (end < 0)
            end = transcript.size();
        QByteArrayView line(transcript.constData() + start, end - start);
        start = end + 1;
        if (line.endsWith('\r'))
            line.chop(1);
        if (!line.startsWith(kSubstitutionPrefix) || !line.endsWith('.'))
            continue;
        const QByteArrayView rest = line.sliced(kSubstitutionPrefix.size());
        // Ghostscript's own substitutes carry no " for "; the missing name may.
        const qsizetype separator = rest.indexOf(kSubstitutionSeparator);
        if (separator < 0)
            continue;
        const QByteArray name =
            rest.sliced(separator + kSubstitutionSeparator.size()).chopped(1).toByteArray();
        // PostScript font names are case-sensitive: "Futura" and "FUTURA" are
        // two fonts, and each needs its own prolog line.
        if (name.isEmpty() || seen.contains(name))
            continue;
        seen.insert(name);
        missing.append(name);
    }
    return missing;
}

bool AreAllSubstituted(const QByteArrayList &missingFonts, const QByteArrayList &boundFonts)
{
    if (boundFonts.isEmpty())
        return false;
    QSet<QByteArray> bound;
    for (const QByteArray &name : boundFonts) {
        bound.insert(name);
        // The prolog's own findfont of the target reports the target when it
        // is missing too.
        bound.insert(SubstitutionTargetName(name));
    }
    for (const QByteArray &name : missingFonts) {
        if (!bound.contains(name))
            return false;
    }
    return true;
}

QByteArrayList FontsToSubstitute(const QByteArrayList &boundFonts,
                                 const QByteArrayList &missingFonts)
{
    QByteArrayList names = boundFonts;
    for (const QByteArray &name : missingFonts) {
        if (!AreAllSubstituted({name}, names))
            names.append(name);
    }
    return names;
}

QByteArrayList NamesAsAsked(const QByteArrayList &missingFonts, const QByteArrayList &boundFonts)
{
    QByteArrayList names;
    const auto add = [&names](const QByteArray &name) {
        if (!names.contains(name))
            names.append(name);
    };
    for (const QByteArray &name : missingFonts) {
        bool bound = false;
        if (!boundFonts.contains(name)) {
            for (const QByteArray &asked : boundFonts) {
                if (SubstitutionTargetName(asked) == name) {
                    add(asked);
                    bound = true;
                }
            }
        }
        if (!bound)
            add(name);
    }
    return names;
}

QString MissingFontsExplanation(const QByteArrayList &missingFonts)
{
    QString bullets;
    for (const QByteArray &name : missingFonts)
        bullets += kMissingFontBullet + DisplayFontName(name) + EndOfLine;
    const QString first = DisplayFontName(missingFonts.value(0));
    return kMissingFontsHead + EndOfLine + EndOfLine + bullets + EndOfLine +
           kSuggestionHead.arg(first) + EndOfLine + kSuggestionArrow +
           SuggestReplacementFont(first) + EndOfLine + EndOfLine + kRetryQuestion;
}

MessageDialog MissingFontsDialog(const QByteArrayList &missingFonts)
{
    MessageDialog dialog;
    dialog.iconType = MessageDialog::Icon::Caution;
    dialog.message = kMissingFontsMessage;
    dialog.explanation = MissingFontsExplanation(missingFonts);
    dialog.actionButton.caption = kUseReplacement;
    dialog.cancelButton.caption = kDeclineReplacement;
    dialog.cancelButton.visible = true;
    return dialog;
}

QString JoinedFontNames(const QByteArrayList &names)
{
    QStringList shown;
    for (const QByteArray &name : names)
        shown.append(DisplayFontName(name));
    return shown.join(QStringLiteral(", "));
}
