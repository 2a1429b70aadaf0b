#include "install/StartupCheck.h"

#include "convert/GhostscriptProbe.h"
#include "platform/DesktopServices.h"
#include "platform/MessageDialog.h"

#include <exception>

StartupCheck::StartupCheck(MessagePresenter &dialogs, UrlOpener &urls, InstallationHelp help,
                           QObject *parent)
    : QObject(parent), m_dialogs(dialogs), m_urls(urls), m_help(std::move(help)),
      m_probe(new GhostscriptProbe(this))
{
    connect(m_probe, &GhostscriptProbe::finished, this, &StartupCheck::onProbed);
}

StartupCheck::~StartupCheck() = default;

void StartupCheck::start(const QStringList &probeCandidates)
{
    if (m_running)
        return;
    m_running = true;
    m_probe->start(probeCandidates);
}

void StartupCheck::onProbed(bool installed)
{
    if (installed) {
        finish();
        return;
    }
    // The dialog's own loop runs from the event loop, not from inside the
    // probe's signal and the child process's beneath it.
    QMetaObject::invokeMethod(this, &StartupCheck::offerHelp, Qt::QueuedConnection);
}

void StartupCheck::offerHelp()
{
    QString reason;
    try {
        if (m_dialogs.showModal(m_help.dialog()) == MessageDialog::Button::Action)
            m_urls.showUrl(m_help.page());
        finish();
        return;
    } catch (const std::exception &error) {
        reason = QString::fromLocal8Bit(error.what());
    } catch (...) {
    }
    emit failed(reason);
    finish();
}

void StartupCheck::finish()
{
    m_running = false;
    emit finished();
}
