#pragma once

#include "convert/pdf/PdfKind.h"
#include "install/GhostscriptLocator.h"
#include "install/InstallationHelp.h"

#include <QString>
#include <QStringList>

#include <functional>



class ConversionJob;
class MessagePresenter;
class QObject;

// The Ghostscript a drop is converted with; without one the user is told how
// to install it (the dialog is then open, window-modal) and the result is empty.
// answered, when given, runs once that dialog has been answered.
QString GhostscriptForDrop(MessagePresenter &dialogs,
                           const QStringList &ghostscriptCandidates = kDropTimeCandidates,
                           const InstallationHelp &installation = InstallationHelp(),
                           const std::function<void()> &answered = {});

// The refusal of a drop with no PostScript file in it (the dialog is then
// open, window-modal); answered, when given, runs once it has been answered.
void RefuseNotPostScript(MessagePresenter &dialogs, const std::function<void()> &answered = {});

// A drop on the window: the first of the dropped local files is checked,
// Ghostscript looked up and the conversion started. Returns the running job,
// or nothing when the drop was ignored or refused (the refusal's dialog is
// then open, window-modal). Without Ghostscript the refusal names the
// installation help's command for this system; refusalAnswered, when given,
// runs once a refusal has been answered. The PDF is of the given kind.
ConversionJob *IntakeDrop(const QStringList &droppedPaths, MessagePresenter &dialogs,
                          const QStringList &ghostscriptCandidates = kDropTimeCandidates,
                          QObject *parent = nullptr,
                          const InstallationHelp &installation = InstallationHelp(),
                          const std::function<void()> &refusalAnswered = {},
                          PdfKind kind = PdfKind::Standard);
