#include "fontsheet/FontSampleSheet.h"

#include "platform/text/PostScriptString.h"

#include <QList>

#include <algorithm>
#include <charconv>
#include <string_view>

namespace {

constexpr int kBlocksPerPage = 20;
constexpr int kFirstBlockYpos = 820;
constexpr int kBlockStep = 40;

// Header, encoding vector and re-encoding procedure. Every line of the sheet
// ends with a single line feed, the program's end of line.
constexpr std::string_view kProlog =
    "%!PS-Adobe-3.0\n"
    "%%BoundingBox: 0 0 595 842\n"
    "%%EndComments\n"
    "\n"
    "/ISO1252Encoding [\n"
    "/.notdef /.notdef /.notdef /.notdef /.notdef /.notdef /.notdef /.notdef\n"
    "/.notdef /.notdef /.notdef /.notdef /.notdef /.notdef /.notdef /.notdef\n"
    "/.notdef /.notdef /.notdef /.notdef /.notdef /.notdef /.notdef /.notdef\n"
    "/.notdef /.notdef /.notdef /.notdef /.notdef /.notdef /.notdef /.notdef\n"
    "/space /exclam /quotedbl /numbersign /dollar /percent /ampersand /quotesingle\n"
    "/parenleft /parenright /asterisk /plus /comma /hyphen /period /slash\n"
    "/zero /one /two /three /four /five /six /seven\n"
    "/eight /nine /colon /semicolon /less /equal /greater /question\n"
    "/at /A /B /C /D /E /F /G\n"
    "/H /I /J /K /L /M /N /O\n"
    "/P /Q /R /S /T /U /V /W\n"
    "/X /Y /Z /bracketleft /backslash /bracketright /asciicircum /underscore\n"
    "/grave /a /b /c /d /e /f /g\n"
    "/h /i /j /k /l /m /n /o\n"
    "/p /q /r /s /t /u /v /w\n"
    "/x /y /z /braceleft /bar /braceright /asciitilde /unused\n"
    "/Euro /unused /quotesinglbase /florin /quotedblbase /ellipsis /dagger /daggerdbl\n"
    "/circumflex /perthousand /Scaron /guilsinglleft /OE /unused /Zcaron /unused\n"
    "/unused /quoteleft /quoteright /quotedblleft /quotedblright /bullet /endash /emdash\n"
    "/tilde /trademark /scaron /guilsinglright /oe /unused /zcaron /Ydieresis\n"
    "/space /exclamdown /cent /sterling /currency /yen /brokenbar /section\n"
    "/dieresis /copyright /ordfeminine /guillemotleft /logicalnot /hyphen /registered /macron\n"
    "/degree /plusminus /twosuperior /threesuperior /acute /mu /paragraph /periodcentered\n"
    "/cedilla /onesuperior /ordmasculine /guillemotright /onequarter /onehalf /threequarters "
    "/questiondown\n"
    "/Agrave /Aacute /Acircumflex /Atilde /Adieresis /Aring /AE /Ccedilla\n"
    "/Egrave /Eacute /Ecircumflex /Edieresis /Igrave /Iacute /Icircumflex /Idieresis\n"
    "/Eth /Ntilde /Ograve /Oacute /Ocircumflex /Otilde /Odieresis /multiply\n"
    "/Oslash /Ugrave /Uacute /Ucircumflex /Udieresis /Yacute /Thorn /germandbls\n"
    "/agrave /aacute /acircumflex /atilde /adieresis /aring /ae /ccedilla\n"
    "/egrave /eacute /ecircumflex /edieresis /igrave /iacute /icircumflex /idieresis\n"
    "/eth /ntilde /ograve /oacute /ocircumflex /otilde /odieresis /divide\n"
    "/oslash /ugrave /uacute /ucircumflex /udieresis /yacute /thorn /ydieresis\n"
    "] def\n"
    "\n"
    "/Fix_Encoding {\n"
    "  ISO1252Encoding exch cvn dup\n"
    "  findfont begin currentdict dup length dict begin\n"
    "  {1 index /FID ne {def} {pop pop} ifelse} forall\n"
    "  /FontName exch def\n"
    "  dup length 0 ne {/Encoding Encoding 256 array copy def\n"
    "  0 exch {dup type /nametype eq\n"
    "    {Encoding 2 index 2 index put pop 1 add} {exch pop} ifelse}\n"
    "    forall} if pop currentdict\n"
    "  dup end end\n"
    "  /FontName get exch definefont pop\n"
    "} bind def\n"
    "\n";

// Page device and the block procedure. The specimen line keeps the four
// characters \206: the octal escape for code 134, which the vector maps to
// /dagger.
constexpr std::string_view kBlockProcedure =
    "<</PageSize [595 842]>> setpagedevice\n"
    "\n"
    "/PrintFontBlock {\n"
    "  /Ypos exch def\n"
    "  /CurrentFont exch def\n"
    "  /Helvetica findfont 6 scalefont setfont\n"
    "  30 Ypos moveto CurrentFont show ( :) show\n"
    "  CurrentFont cvn 8 selectfont\n"
    "  30 Ypos 9 sub moveto\n"
    "  (Ottilie Brunhild Quessnar, Freifrau zu Wendholm * 9.1.1954 \\206 2008) show\n"
    "  30 Ypos 18 sub moveto\n"
    "  (ABCDEFGHIJKLMNOPQRSTUVWXYZ) show\n"
    "  30 Ypos 27 sub moveto\n"
    "  (abcdefghijklmnopqrstuvwxyz) show\n"
    "  0.2 setlinewidth\n"
    "  30 Ypos 31 sub moveto 565 Ypos 31 sub lineto stroke\n"
    "} def\n"
    "\n";

constexpr std::string_view kPageHeadingFont = "/Helvetica findfont 8 scalefont setfont\n";
constexpr std::string_view kPageHeadingStart = "30 835 moveto (Systemfonts - Seite ";
constexpr std::string_view kPageHeadingEnd = ") show\n";
constexpr std::string_view kPageBreak = "showpage\n\n";
constexpr std::string_view kTrailer = "showpage\n%%EOF\n";

constexpr std::string_view kDefinitionStart = "/Font";
constexpr std::string_view kDefinitionMiddle = " (";
constexpr std::string_view kDefinitionEnd = ") def\n";
constexpr std::string_view kFontStart = "Font";
constexpr std::string_view kFixEncodingEnd = " Fix_Encoding\n";
constexpr std::string_view kBlockEnd = " PrintFontBlock\n";

qsizetype decimalDigits(qsizetype number)
{
    qsizetype digits = 1;
    for (; number >= 10; number /= 10)
        ++digits;
    return digits;
}

constexpr qsizetype length(std::string_view text)
{
    return static_cast<qsizetype>(text.size());
}

void append(QByteArray &sheet, std::string_view text)
{
    sheet.append(text.data(), length(text));
}

void appendNumber(QByteArray &sheet, qsizetype number)
{
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
    sheet.append(digits, end - digits);
}

// A name goes into a PostScript string literal: a backslash, an unbalanced
// parenthesis or a carriage return in a file name would otherwise give another
// name or break the whole sheet.
QByteArray escapedForString(const QString &name)
{
    return PostScriptStringBody(name.toUtf8());
}

QList<QByteArray> escapedNames(const QStringList &fontNames)
{
    QList<QByteArray> names;
    names.reserve(fontNames.size());
    for (const QString &name : fontNames)
        names.append(escapedForString(name));
    return names;
}

// An upper bound for the whole text, so that it is built without moving:
// no number on the sheet is wider than the largest font number or 820.
qsizetype sheetSizeBound(const QList<QByteArray> &names)
{
    const qsizetype count = names.size();
    qsizetype namesSize = 0;
    for (const QByteArray &name : names)
        namesSize += name.size();
    const qsizetype pages = (count + kBlocksPerPage - 1) / kBlocksPerPage;
    const qsizetype maxDigits = decimalDigits(std::max<qsizetype>(count, kFirstBlockYpos));
    const qsizetype perFont = length(kDefinitionStart) + length(kDefinitionMiddle) +
                              length(kDefinitionEnd) + length(kFontStart) +
                              length(kFixEncodingEnd) + length(kFontStart) + 1 + length(kBlockEnd) +
                              // its number in the definition, the encoding fix and the
                              // block, and the block's position
                              4 * maxDigits;
    const qsizetype perPage = length(kPageBreak) + length(kPageHeadingFont) +
                              length(kPageHeadingStart) + length(kPageHeadingEnd) + maxDigits;
    const qsizetype emptyLinesAfterNames = 2;
    return length(kProlog) + emptyLinesAfterNames + length(kBlockProcedure) + length(kTrailer) +
           namesSize + count * perFont + pages * perPage;
}

void appendDefinitions(QByteArray &sheet, const QList<QByteArray> &names)
{
    for (qsizetype i = 0; i < names.size(); ++i) {
        append(sheet, kDefinitionStart);
        appendNumber(sheet, i + 1);
        append(sheet, kDefinitionMiddle);
        sheet.append(names.at(i));
        append(sheet, kDefinitionEnd);
    }
    sheet.append('\n');
}

void appendEncodingFixes(QByteArray &sheet, qsizetype count)
{
    for (qsizetype i = 0; i < count; ++i) {
        append(sheet, kFontStart);
        appendNumber(sheet, i + 1);
        append(sheet, kFixEncodingEnd);
    }
    sheet.append('\n');
}

void appendPageHeading(QByteArray &sheet, qsizetype page)
{
    append(sheet, kPageHeadingFont);
    append(sheet, kPageHeadingStart);
    appendNumber(sheet, page);
    append(sheet, kPageHeadingEnd);
}

// Twenty blocks to a page, top down. A page is broken only when the next one
// begins: the trailer's showpage ends the last.
void appendBlocks(QByteArray &sheet, qsizetype count)
{
    qsizetype page = 0;
    for (qsizetype i = 0; i < count; ++i) {
        const qsizetype slot = i % kBlocksPerPage;
        if (slot == 0) {
            if (page > 0)
                append(sheet, kPageBreak);
            ++page;
            appendPageHeading(sheet, page);
        }
        append(sheet, kFontStart);
        appendNumber(sheet, i + 1);
        sheet.append(' ');
        appendNumber(sheet, kFirstBlockYpos - kBlockStep * slot);
        append(sheet, kBlockEnd);
    }
}

} // namespace

QByteArray BuildFontSampleSheet(const QStringList &fontNames)
{
    const QList<QByteArray> names = escapedNames(fontNames);
    const qsizetype reserved = sheetSizeBound(names);
    QByteArray sheet;
    sheet.reserve(reserved);

    append(sheet, kProlog);
    appendDefinitions(sheet, names);
    appendEncodingFixes(sheet, names.size());
    append(sheet, kBlockProcedure);
    appendBlocks(sheet, names.size());
    append(sheet, kTrailer);
    Q_ASSERT(sheet.size() <= reserved);
    return sheet;
}
