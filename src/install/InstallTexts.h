#pragma once

#include "platform/EndOfLine.h"

#include <QString>
#include <QStringList>
#include <QUrl>

// The installation help's texts, byte for byte as the user sees them, and the
// places it looks at.
namespace InstallTexts {

inline const QString kMessage = QStringLiteral("Ghostscript nicht gefunden");
inline const QString kHelpButton = QStringLiteral("Installationshilfe");
inline const QString kLaterButton = QStringLiteral("Später");

// The explanation's pieces: the first line, an empty one, the heading, then
// the steps, the command indented by three blanks and without a last line end.
inline const QString kNeeded = QStringLiteral("Für die PDF-Erstellung wird Ghostscript benötigt.");
inline const QString kHeadingMacOS = QStringLiteral("Installation unter macOS:");
inline const QString kHeadingLinux = QStringLiteral("Installation unter Linux:");
inline const QString kOpenTerminal = QStringLiteral("1. Terminal öffnen");
inline const QString kEnterCommand = QStringLiteral("2. Befehl eingeben:");
inline const QString kCommandIndent = QStringLiteral("   ");
// Where no package manager is known, one line takes the place of the steps.
inline const QString kUseThePackageManager =
    QStringLiteral("Ghostscript über die Paketverwaltung des Systems installieren.");

inline const QString kBrewCommand = QStringLiteral("brew install ghostscript");
inline const QString kAptCommand = QStringLiteral("sudo apt install ghostscript");
inline const QString kDnfCommand = QStringLiteral("sudo dnf install ghostscript");
inline const QString kPacmanCommand = QStringLiteral("sudo pacman -S ghostscript");
inline const QString kZypperCommand = QStringLiteral("sudo zypper install ghostscript");

inline const QString kExplanation = kNeeded + EndOfLine + EndOfLine + kHeadingMacOS + EndOfLine +
                                    kOpenTerminal + EndOfLine + kEnterCommand + EndOfLine +
                                    kCommandIndent + kBrewCommand;

} // namespace InstallTexts

// Where Homebrew puts brew on Apple silicon and on Intel Macs, in the order tested.
inline const QStringList kBrewLocations{
    QStringLiteral("/opt/homebrew/bin/brew"),
    QStringLiteral("/usr/local/bin/brew"),
};

inline const QUrl kHomebrewHomePage{QStringLiteral("https://brew.sh")};
inline const QUrl kGhostscriptFormulaPage{
    QStringLiteral("https://formulae.brew.sh/formula/ghostscript")};
// Off macOS: Ghostscript's own download page, which also names the packages
// of the common distributions.
inline const QUrl kGhostscriptDownloadPage{
    QStringLiteral("https://ghostscript.com/releases/gsdnld.html")};

// Where the system describes itself; the second is read only when the first
// does not exist.
inline const QStringList kOsReleaseFiles{
    QStringLiteral("/etc/os-release"),
    QStringLiteral("/usr/lib/os-release"),
};
