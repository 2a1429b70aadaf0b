// Ghostscript's transcript is outside text: any bytes go through the
// missing-font recognition, and every name it gives must come back byte for
// byte from the prolog line written for it.

#include "convert/fonts/FontSubstitution.h"
#include "convert/fonts/MissingFonts.h"

#include "FuzzSupport.h"

#include <QSet>

#include <cstddef>
#include <cstdint>

namespace {

// Checks that the prolog line for name starts with a string that reads back as
// the name and names its target either as a plain name or through a string.
void checkPrologLine(const QByteArray &name)
{
    const QByteArray line = FontSubstitutionLine(name);
    const auto literal = Fuzz::readStringLiteral(line, 0);
    Fuzz::check(literal.has_value(), "prolog line starts with no string", line);
    Fuzz::check(literal->value == name, "name does not read back", line);
    Fuzz::check(line.mid(literal->end).startsWith(" cvn "), "no cvn after the name", line);

    const QByteArray target = SubstitutionTargetName(name);
    const qsizetype targetAt = literal->end + 5;
    QByteArray rest;
    if (line.mid(targetAt).startsWith('/')) {
        const qsizetype space = line.indexOf(' ', targetAt);
        Fuzz::check(space > targetAt, "plain target runs to the end", line);
        Fuzz::check(line.mid(targetAt + 1, space - targetAt - 1) == target, "plain target differs",
                    line);
        for (const char c : target) {
            Fuzz::check(c > ' ' && c < 0x7f && !QByteArray("()<>[]{}/%").contains(c),
                        "plain target holds a delimiter", line);
        }
        rest = line.mid(space);
    } else {
        const auto targetLiteral = Fuzz::readStringLiteral(line, targetAt);
        Fuzz::check(targetLiteral.has_value(), "target is neither name nor string", line);
        Fuzz::check(targetLiteral->value == target, "target does not read back", line);
        Fuzz::check(line.mid(targetLiteral->end).startsWith(" cvn"), "no cvn after the target",
                    line);
        rest = line.mid(targetLiteral->end + 4);
    }
    Fuzz::check(rest == " findfont definefont pop", "line does not end as it should", line);
    Fuzz::check(!line.contains('\n') && !line.contains('\r'), "line break in a prolog line", line);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray transcript(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const QByteArrayList names = RecognizeMissingFonts(transcript);

    QSet<QByteArray> seen;
    for (const QByteArray &name : names) {
        Fuzz::check(!name.isEmpty(), "empty name");
        Fuzz::check(!seen.contains(name), "name listed twice", name);
        seen.insert(name);
        Fuzz::check(!name.contains('\n'), "name spans lines", name);
        Fuzz::check(transcript.contains(" for " + name + '.'), "name not in the transcript", name);
        checkPrologLine(name);
        SuggestReplacementFont(DisplayFontName(name));
    }
    if (!names.isEmpty()) {
        const QString explanation = MissingFontsExplanation(names);
        Fuzz::check(explanation.contains(DisplayFontName(names.first())),
                    "first name not in the question", names.first());
        // However the names split into bound and new, the next prolog binds all.
        const QByteArrayList bound = names.mid(0, names.size() / 2);
        const QByteArrayList next = FontsToSubstitute(bound, names);
        Fuzz::check(AreAllSubstituted(names, next), "next prolog leaves a name unbound");
        Fuzz::check(next.mid(0, bound.size()) == bound, "next prolog drops a bound name");
    }
    return 0;
}
