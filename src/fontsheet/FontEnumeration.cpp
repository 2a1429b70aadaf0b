#include "fontsheet/FontEnumeration.h"

#include "platform/text/EndOfLine.h"

#include <algorithm>

namespace {

QString nameBeforeFirstDot(const QString &entry)
{
    return entry.section(QLatin1Char('.'), 0, 0).trimmed();
}

} // namespace

QString CompleteListingLines(const ProcessResult &result)
{
    if (result.omittedBytes <= 0 || result.omittedAt < 0)
        return QString::fromUtf8(result.output);
    QByteArray head = result.output.left(result.omittedAt);
    QByteArray tail = result.output.mid(result.omittedAt);
    if (!head.endsWith('\n'))
        head.truncate(head.lastIndexOf('\n') + 1);
    // Whether the cut fell just after a line end is not known: the first line
    // after it goes in any case.
    const qsizetype firstEnd = tail.indexOf('\n');
    tail = firstEnd < 0 ? QByteArray() : tail.mid(firstEnd + 1);
    return QString::fromUtf8(head + tail);
}

QStringList ParseFontListing(const QString &listing)
{
    QStringList names;
    const QStringList lines = listing.split(EndOfLine);
    for (const QString &line : lines) {
        const QString entry = line.trimmed();
        if (entry.isEmpty() || entry.endsWith(QLatin1Char(':')))
            continue;
        const QString name = nameBeforeFirstDot(entry);
        if (!name.isEmpty())
            names.append(name);
    }
    return names;
}

QStringList ParseFontconfigListing(const QString &listing)
{
    QStringList names;
    const QStringList lines = listing.split(EndOfLine);
    for (const QString &line : lines) {
        const QString path = line.trimmed();
        const QString name = nameBeforeFirstDot(path.section(QLatin1Char('/'), -1));
        if (!name.isEmpty())
            names.append(name);
    }
    std::sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        const int folded = a.compare(b, Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : a < b;
    });
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}
