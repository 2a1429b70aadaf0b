#pragma once

#include "convert/GhostscriptLocator.h"
#include "install/InstallationHelp.h"

#include <QString>
#include <QStringList>

#include <optional>

class ConversionJob;
class MessagePresenter;
class QObject;

// Where the PDF for a dropped file goes: beside it, under the name up to its
// last ".", with ".pdf". Nothing when the name does not end in ".ps" or ".eps"
// (in any letter case).
std::optional<QString> PdfPathForDrop(const QString &droppedPath);

// The Ghostscript a drop is converted with; without one the user is told how
// to install it (the dialog is then open, window-modal) and the result is empty.
QString GhostscriptForDrop(MessagePresenter &dialogs,
                           const QStringList &ghostscriptCandidates = kDropTimeCandidates,
                           const InstallationHelp &installation = InstallationHelp());

// A drop on the window: the first of the dropped local files is checked,
// Ghostscript looked up and the conversion started. Returns the running job,
// or nothing when the drop was ignored or refused (the refusal's dialog is
// then open, window-modal). Without Ghostscript the refusal names the
// installation help's command for this system.
ConversionJob *IntakeDrop(const QStringList &droppedPaths, MessagePresenter &dialogs,
                          const QStringList &ghostscriptCandidates = kDropTimeCandidates,
                          QObject *parent = nullptr,
                          const InstallationHelp &installation = InstallationHelp());
