#pragma once

#include "platform/text/EndOfLine.h"
#include "platform/text/ProgramText.h"

#include <QString>
#include <QStringList>
#include <QUrl>

// The installation help's texts, byte for byte as the user sees them, and the
// places it looks at.
namespace InstallTexts {

inline constexpr ProgramText kMessage = PAGORA_TEXT("InstallTexts", "Ghostscript nicht gefunden");
inline constexpr ProgramText kHelpButton = PAGORA_TEXT("InstallTexts", "Installationshilfe");
inline constexpr ProgramText kLaterButton = PAGORA_TEXT("InstallTexts", "Später");

// The explanation's pieces: the first line, an empty one, the heading, then
// the steps, the command indented by three blanks and without a last line end.
inline constexpr ProgramText kNeeded =
    PAGORA_TEXT("InstallTexts", "Für die PDF-Erstellung wird Ghostscript benötigt.");
inline constexpr ProgramText kHeadingMacOS =
    PAGORA_TEXT("InstallTexts", "Installation unter macOS:");
inline constexpr ProgramText kHeadingLinux =
    PAGORA_TEXT("InstallTexts", "Installation unter Linux:");
// On macOS the program named Terminal; elsewhere any terminal.
inline constexpr ProgramText kOpenTerminal = PAGORA_TEXT("InstallTexts", "1. Terminal öffnen");
inline constexpr ProgramText kOpenATerminal =
    PAGORA_TEXT_FOR("InstallTexts", "1. Terminal öffnen", "any terminal, not macOS");
inline constexpr ProgramText kEnterCommand = PAGORA_TEXT("InstallTexts", "2. Befehl eingeben:");
inline const QString kCommandIndent = QStringLiteral("   ");
// Where no package manager is known, one line takes the place of the steps.
inline constexpr ProgramText kUseThePackageManager =
    PAGORA_TEXT("InstallTexts", "Ghostscript über die Paketverwaltung des Systems installieren.");

inline const QString kBrewCommand = QStringLiteral("brew install ghostscript");
inline const QString kAptCommand = QStringLiteral("sudo apt install ghostscript");
inline const QString kDnfCommand = QStringLiteral("sudo dnf install ghostscript");
inline const QString kPacmanCommand = QStringLiteral("sudo pacman -S ghostscript");
inline const QString kZypperCommand = QStringLiteral("sudo zypper install ghostscript");

// The explanation on macOS, in the language the program speaks.
inline QString Explanation()
{
    return kNeeded + EndOfLine + EndOfLine + kHeadingMacOS + EndOfLine + kOpenTerminal + EndOfLine +
           kEnterCommand + EndOfLine + kCommandIndent + kBrewCommand;
}

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
