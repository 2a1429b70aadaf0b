#pragma once

#include "platform/EndOfLine.h"

#include <QString>
#include <QStringList>
#include <QUrl>

// The installation help's texts, byte for byte as the user sees them, and the
// places it looks at.
namespace InstallTexts {

inline const QString kMessage = QStringLiteral("Ghostscript nicht gefunden");
inline const QString kExplanation =
    QStringLiteral("Für die PDF-Erstellung wird Ghostscript benötigt.") + EndOfLine + EndOfLine +
    QStringLiteral("Installation unter macOS:") + EndOfLine +
    QStringLiteral("1. Terminal öffnen") + EndOfLine +
    QStringLiteral("2. Befehl eingeben:") + EndOfLine +
    QStringLiteral("   brew install ghostscript");
inline const QString kHelpButton = QStringLiteral("Installationshilfe");
inline const QString kLaterButton = QStringLiteral("Später");

} // namespace InstallTexts

// Where Homebrew puts brew on Apple silicon and on Intel Macs, in the order tested.
inline const QStringList kBrewLocations{
    QStringLiteral("/opt/homebrew/bin/brew"),
    QStringLiteral("/usr/local/bin/brew"),
};

inline const QUrl kHomebrewHomePage{QStringLiteral("https://brew.sh")};
inline const QUrl kGhostscriptFormulaPage{
    QStringLiteral("https://formulae.brew.sh/formula/ghostscript")};
