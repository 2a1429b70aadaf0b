#pragma once

#include "install/InstallTexts.h"

#include <QString>
#include <QStringList>
#include <QUrl>

class OsRelease;
struct MessageDialog;

// What the installation help says and which page it opens, for the kind of
// system it runs on: on macOS Homebrew's command and pages, elsewhere the
// command of the package manager that os-release points to and Ghostscript's
// own download page.
class InstallationHelp
{
public:
    enum class System { MacOS, Linux };
    static System thisSystem();

    explicit InstallationHelp(System system = thisSystem(),
                              QStringList brewLocations = kBrewLocations,
                              QStringList osReleaseFiles = kOsReleaseFiles);

    System system() const { return m_system; }
    // The dialog with its texts and two buttons.
    MessageDialog dialog() const;
    QString explanation() const;
    // Looked up when the help is asked for, not before: on macOS the formula
    // page when brew is at one of its places (only the file's presence counts,
    // brew is never run), otherwise Homebrew's home page, which explains how
    // to get brew first.
    QUrl page() const;
    // The command that installs Ghostscript: brew's on macOS, elsewhere the
    // package manager's; empty for a system none is known for.
    QString installCommand() const;

    // The install command of the system's package manager, found from the
    // system's own identifier and then the ones it derives from, closest
    // first; empty for a system none of them is known for.
    static QString linuxInstallCommand(const OsRelease &release);

private:
    System m_system;
    QStringList m_brewLocations;
    QStringList m_osReleaseFiles;
};
