// Any name, as the prolog and the sample sheet write it into a PostScript
// string, must read back as exactly that name. The input is one name, or
// several separated by NUL bytes (a NUL may still stand inside a name).

#include "convert/fonts/FontSubstitution.h"
#include "fontsheet/FontSampleSheet.h"
#include "platform/text/PostScriptString.h"

#include "FuzzSupport.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));

    // The escaping itself, on raw bytes.
    const QByteArray body = PostScriptStringBody(input);
    const auto literal = Fuzz::readStringLiteral('(' + body + ')', 0);
    Fuzz::check(literal && literal->value == input && literal->end == body.size() + 2,
                "bytes do not read back", input);
    Fuzz::check(!body.contains('\n') && !body.contains('\r'), "line break left in", input);

    // The prolog writer, on names as Ghostscript printed them: bytes.
    QByteArrayList names = input.split('\0');
    names.append(input);
    for (const QByteArray &name : names) {
        const QByteArray line = FontSubstitutionLine(name);
        const auto prologName = Fuzz::readStringLiteral(line, 0);
        Fuzz::check(prologName && prologName->value == name, "prolog name does not read back",
                    line);
    }

    // The sample sheet writer, on names as the font listing gives them: text.
    QStringList sheetNames;
    for (const QByteArray &name : names)
        sheetNames.append(QString::fromUtf8(name));
    const QByteArray sheet = BuildFontSampleSheet(sheetNames);
    qsizetype at = 0;
    for (qsizetype k = 1; k <= sheetNames.size(); ++k) {
        const QByteArray definition = "\n/Font" + QByteArray::number(k) + " (";
        at = sheet.indexOf(definition, at);
        Fuzz::check(at >= 0, "sheet definition missing");
        const auto sheetName = Fuzz::readStringLiteral(sheet, at + definition.size() - 1);
        Fuzz::check(sheetName && sheetName->value == sheetNames.at(k - 1).toUtf8(),
                    "sheet name does not read back", sheetNames.at(k - 1).toUtf8());
        at = sheetName->end;
    }
    return 0;
}
