#pragma once

#include "convert/GhostscriptLocator.h"
#include "install/InstallTexts.h"

#include <QStringList>
#include <QUrl>

class MessagePresenter;
class UrlOpener;

// The page the installation help opens: the Ghostscript formula when brew is
// at one of its places (only the file's presence counts, brew is never run),
// otherwise Homebrew's home page, which explains how to get brew first.
QUrl InstallationHelpPage(const QStringList &brewLocations = kBrewLocations);

// Run once when the main window opens: when no Ghostscript answers the probe,
// explains how to install one and, on "Installationshilfe", opens the help page.
// "Später" leaves everything as it is; nothing is remembered for the next start.
void CheckGhostscriptAtStartup(MessagePresenter &dialogs, UrlOpener &urls,
                               const QStringList &probeCandidates = kProbeCandidates,
                               const QStringList &brewLocations = kBrewLocations);
