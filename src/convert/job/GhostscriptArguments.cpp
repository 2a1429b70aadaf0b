#include "convert/job/GhostscriptArguments.h"

#include <QDir>

namespace {

// Ghostscript reads a leading "-" as an option and "|" or "%" as a device or
// pipe; a name inside the workspace gets "./" in front.
QString asFileArgument(const QString &name)
{
    if (name.startsWith(QLatin1Char('/')))
        return name;
    return QStringLiteral("./") + name;
}

} // namespace

QString GhostscriptFontPath()
{
    // The shell never expanded "~" inside the quotes it once stood in, so
    // Ghostscript would look for a folder literally named "~".
    return QStringLiteral("/System/Library/Fonts:/Library/Fonts:") + QDir::homePath() +
           QStringLiteral("/Library/Fonts");
}

QStringList GhostscriptArguments(const QString &inputName, const QString &outputName,
                                 const QString &prologName, bool figure)
{
    return GhostscriptArguments(inputName, outputName, prologName, figure, PdfKind::Standard);
}

QStringList GhostscriptArguments(const QString &inputName, const QString &outputName,
                                 const QString &prologName, bool figure, PdfKind kind,
                                 const QString &profilePath, const QString &definitionName)
{
    QString escapedOutput = asFileArgument(outputName);
    // "%" starts a format or an I/O device in Ghostscript's output file names.
    escapedOutput.replace(QLatin1Char('%'), QStringLiteral("%%"));
    QStringList arguments{
        QStringLiteral("-dBATCH"),
        QStringLiteral("-dNOPAUSE"),
        QStringLiteral("-dSAFER"),
        QStringLiteral("-sDEVICE=pdfwrite"),
        QStringLiteral("-sFONTPATH=") + GhostscriptFontPath(),
        QStringLiteral("-sOutputFile=") + escapedOutput,
    };
    if (figure)
        arguments.insert(3, QStringLiteral("-dEPSCrop"));
    arguments << PdfKindOptions(kind, profilePath);
    const QString setup = PdfKindSetupCode(kind);
    // "-f" ends the code: what follows are files again.
    if (!setup.isEmpty())
        arguments << QStringLiteral("-c") << setup << QStringLiteral("-f");
    if (!definitionName.isEmpty())
        arguments << asFileArgument(definitionName);
    if (!prologName.isEmpty())
        arguments << asFileArgument(prologName);
    arguments << asFileArgument(inputName);
    return arguments;
}
