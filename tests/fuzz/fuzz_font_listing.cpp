// The folder listing is outside text: any bytes go through the listing parse,
// and the sample sheet built from the names must define each name exactly.

#include "fontsheet/FontEnumeration.h"
#include "fontsheet/FontSampleSheet.h"

#include "FuzzSupport.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString listing =
        QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const QStringList names = ParseFontListing(listing);

    Fuzz::check(names.size() <= listing.count(QLatin1Char('\n')) + 1, "more names than lines");
    for (const QString &name : names) {
        const QByteArray bytes = name.toUtf8();
        Fuzz::check(!name.isEmpty(), "empty name");
        Fuzz::check(!name.contains(QLatin1Char('.')), "name keeps a dot", bytes);
        Fuzz::check(!name.contains(QLatin1Char('\n')), "name spans lines", bytes);
        Fuzz::check(name == name.trimmed(), "name keeps white space at an end", bytes);
    }
    if (names.isEmpty() || names.size() > 500)
        return 0;

    const QByteArray sheet = BuildFontSampleSheet(names);
    qsizetype at = 0;
    for (qsizetype k = 1; k <= names.size(); ++k) {
        const QByteArray definition = "\n/Font" + QByteArray::number(k) + " (";
        at = sheet.indexOf(definition, at);
        Fuzz::check(at >= 0, "font definition missing");
        const auto literal = Fuzz::readStringLiteral(sheet, at + definition.size() - 1);
        Fuzz::check(literal.has_value(), "font name is no string");
        Fuzz::check(literal->value == names.at(k - 1).toUtf8(), "font name does not read back",
                    names.at(k - 1).toUtf8());
        Fuzz::check(sheet.mid(literal->end).startsWith(" def\n"), "definition does not end");
        at = literal->end;
    }
    Fuzz::check(sheet.endsWith("showpage\n%%EOF\n"), "sheet does not end as it should");
    return 0;
}
