#include "convert/FontSubstitution.h"

#include "platform/PostScriptString.h"
#include "platform/TemporaryFolder.h"
#include "platform/TextStreams.h"

#include <array>
#include <initializer_list>

namespace {

struct ReplacementRow {
    std::initializer_list<const char *> keywords;
    const char *suggestion;
};

// Tested in this order; the first row with a keyword in the name wins, so the
// specific families come before the generic words "roman", "serif", "mono".
const std::array<ReplacementRow, 14> kReplacementTable{{
    {{"helvetica", "swiss"}, "Helvetica"},
    {{"arial"}, "Arial"},
    {{"times"}, "Times-Roman"},
    {{"courier"}, "Courier"},
    {{"symbol"}, "Symbol"},
    {{"garamond"}, "Garamond"},
    {{"palatino"}, "Palatino"},
    {{"futura", "gill"}, "Helvetica"},
    {{"myriad"}, "Myriad"},
    {{"minion", "caslon"}, "Times-Roman"},
    {{"frutiger", "univers"}, "Helvetica"},
    {{"gothic", "grotesk"}, "Helvetica"},
    {{"roman", "serif"}, "Times-Roman"},
    {{"mono", "typewriter"}, "Courier"},
}};

const char *const kDefaultSuggestion = "Helvetica";

QString escapedForString(const QString &text)
{
    return QString::fromUtf8(PostScriptStringBody(text.toUtf8()));
}

// True when "/" + name reads back as this one name: printable ASCII without
// PostScript delimiters. Bytes 128 to 159 start binary tokens, so a UTF-8
// name would fall apart after the "/" (measured: "/SchriftÄGrotesk" ends in
// /undefined); inside a string every byte stays what it is.
bool isPlainNameToken(const QString &name)
{
    for (const QChar c : name) {
        if (c.unicode() <= 0x20 || c.unicode() >= 0x7f || QStringLiteral("()<>[]{}/%").contains(c))
            return false;
    }
    return true;
}

} // namespace

QString SuggestReplacementFont(const QString &fontName)
{
    const QString lowered = fontName.toLower();
    for (const ReplacementRow &row : kReplacementTable) {
        for (const char *keyword : row.keywords) {
            if (lowered.contains(QLatin1String(keyword), Qt::CaseInsensitive))
                return QLatin1String(row.suggestion);
        }
    }
    return QLatin1String(kDefaultSuggestion);
}

QString SubstitutionTargetName(const QString &fontName)
{
    if (fontName.compare(QLatin1String("Lucida Grande"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("LucidaGrande");
    if (fontName.compare(QLatin1String("Apple Chancery"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("AppleChancery");
    QString target = fontName;
    target.remove(QLatin1Char(' '));
    return target;
}

QString FontSubstitutionLine(const QString &fontName)
{
    const QString target = SubstitutionTargetName(fontName);
    // A target with a delimiter in it would split into several tokens after
    // "/", so it is then named through a string as well.
    const QString targetToken =
        isPlainNameToken(target)
            ? QLatin1Char('/') + target
            : QLatin1Char('(') + escapedForString(target) + QStringLiteral(") cvn");
    return QLatin1Char('(') + escapedForString(fontName) + QStringLiteral(") cvn ") + targetToken +
           QStringLiteral(" findfont definefont pop");
}

QString BuildFontSubstitution(const QStringList &fontNames)
{
    const FolderItem prolog = TemporaryFolder().child(kSubstitutionPrologName);
    TextOutputStream stream = TextOutputStream::create(prolog);
    stream.writeLine(QStringLiteral("% Temporaere Font-Substitution"));
    for (const QString &name : fontNames)
        stream.writeLine(FontSubstitutionLine(name));
    stream.close();
    return prolog.nativePath();
}
