#pragma once

#include "install/GhostscriptLocator.h"
#include "install/InstallationHelp.h"
#include "platform/desktop/MessageDialog.h"

#include <QObject>
#include <QStringList>

#include <functional>

class GhostscriptProbe;
class UrlOpener;

// Run once when the main window opens: the probe runs without holding up the
// window, and only when no Ghostscript answers does the installation help
// appear; on "Installationshilfe" it opens the help page. "Später" leaves
// everything as it is; nothing is remembered for the next start.
//
// From start() until finished() the check is running (isRunning()), the
// help's dialog answered included: the window then takes no drop, which
// would otherwise be converted while the dialog is on screen.
class StartupCheck : public QObject
{
    Q_OBJECT

public:
    StartupCheck(MessagePresenter &dialogs, UrlOpener &urls,
                 InstallationHelp help = InstallationHelp(), QObject *parent = nullptr);
    ~StartupCheck() override;

    void start(const QStringList &probeCandidates = kProbeCandidates);
    bool isRunning() const { return m_running; }
    // The probe found a Ghostscript that answers (known once finished() came).
    bool ghostscriptFound() const { return m_found; }

signals:
    // A dialog or the browser failed while the help was shown; finished()
    // follows.
    void failed(const QString &reason);
    // The check is over: the probe passed, or the help's dialog was answered.
    void finished();

private:
    void onProbed(bool installed);
    void offerHelp();
    void onHelpAnswered(MessageDialog::Button button);
    // Runs one step of the help; a step that throws is reported with
    // failed() and ends the check. False when it threw.
    bool tryStep(const std::function<void()> &step);
    void finish();

    MessagePresenter &m_dialogs;
    UrlOpener &m_urls;
    InstallationHelp m_help;
    GhostscriptProbe *m_probe;
    bool m_running = false;
    bool m_found = false;
};
