#include "fontsheet/FontEnumeration.h"

#include "fontsheet/FontSheetTexts.h"
#include "platform/EndOfLine.h"
#include "platform/ProcessRunner.h"

QStringList ListInstalledFonts()
{
    ProcessRunner shell(FontSheetTexts::kFontListingTimeoutMs);
    // Whatever came back before a time-out or a failure is used as it is: a
    // listing that gives nothing is reported by the caller as no fonts found.
    const ProcessResult result = shell.runShell(FontSheetTexts::kFontListingCommand);
    return ParseFontListing(QString::fromUtf8(result.output));
}

QStringList ParseFontListing(const QString &listing)
{
    QStringList names;
    const QStringList lines = listing.split(EndOfLine);
    for (const QString &line : lines) {
        const QString entry = line.trimmed();
        if (entry.isEmpty() || entry.endsWith(QLatin1Char(':')))
            continue;
        const QString name = entry.section(QLatin1Char('.'), 0, 0).trimmed();
        if (!name.isEmpty())
            names.append(name);
    }
    return names;
}
