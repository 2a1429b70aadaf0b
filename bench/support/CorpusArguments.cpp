#include "support/CorpusArguments.h"

#include "install/GhostscriptLocator.h"

#include <QFileInfo>

#include <algorithm>
#include <cstdio>

std::optional<CorpusArguments> ReadCorpusArguments(const QStringList &arguments)
{
    CorpusArguments read;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments.at(i) == QLatin1String("--rounds") && i + 1 < arguments.size())
            read.rounds = std::max(1, arguments.at(++i).toInt());
        else
            read.files.append(QFileInfo(arguments.at(i)).absoluteFilePath());
    }
    if (read.files.isEmpty()) {
        std::fprintf(stderr, "usage: %s [--rounds N] FILE.ps ...\n",
                     qPrintable(arguments.value(0)));
        return std::nullopt;
    }
    read.ghostscript = FindGhostscriptExecutable();
    if (read.ghostscript.isEmpty()) {
        std::fprintf(stderr, "no Ghostscript at the drop-time places\n");
        return std::nullopt;
    }
    return read;
}
