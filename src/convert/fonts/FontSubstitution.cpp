#include "convert/fonts/FontSubstitution.h"

#include "platform/text/PostScriptString.h"
#include "platform/text/EndOfLine.h"
#include "platform/files/TextStreams.h"

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

QByteArray SubstitutionTargetName(const QByteArray &fontName)
{
    if (fontName.compare("Lucida Grande", Qt::CaseInsensitive) == 0)
        return QByteArrayLiteral("LucidaGrande");
    if (fontName.compare("Apple Chancery", Qt::CaseInsensitive) == 0)
        return QByteArrayLiteral("AppleChancery");
    QByteArray target = fontName;
    target.replace(' ', QByteArray());
    return target;
}

QByteArray FontSubstitutionLine(const QByteArray &fontName)
{
    const QByteArray target = SubstitutionTargetName(fontName);
    // A target with a delimiter in it would split into several tokens after
    // "/", so it is then named through a string as well.
    const QByteArray targetToken =
        IsPostScriptNameToken(target) ? '/' + target : '(' + PostScriptStringBody(target) + ") cvn";
    return '(' + PostScriptStringBody(fontName) + ") cvn " + targetToken +
           " findfont definefont pop";
}

QByteArray FontSubstitutionProlog(const QByteArrayList &fontNames)
{
    // The names are the bytes Ghostscript printed: a name that is not UTF-8
    // must reach the prolog unchanged, or it binds a name nobody asks for.
    QByteArray prolog = QByteArrayLiteral("% Temporaere Font-Substitution") + EndOfLine.toUtf8();
    for (const QByteArray &name : fontNames)
        prolog += FontSubstitutionLine(name) + EndOfLine.toUtf8();
    return prolog;
}

QString BuildFontSubstitution(const QByteArrayList &fontNames, const QString &folder)
{
    const FolderItem prolog = FolderItem(folder).child(kSubstitutionPrologName);
    TextOutputStream stream = TextOutputStream::create(prolog);
    stream.write(FontSubstitutionProlog(fontNames));
    stream.close();
    return prolog.nativePath();
}
