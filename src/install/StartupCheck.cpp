#include "install/StartupCheck.h"

#include "install/GhostscriptProbe.h"
#include "platform/desktop/DesktopServices.h"
#include "platform/text/SystemErrorText.h"

#include <QPointer>

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
    m_found = installed;
    if (installed) {
        finish();
        return;
    }
    offerHelp();
}

void StartupCheck::offerHelp()
{
    // The check goes on from the answer; until then it is running.
    const QPointer<StartupCheck> self(this);
    tryStep([this, self] {
        m_dialogs.open(m_help.dialog(), [self](MessageDialog::Button button) {
            if (self)
                self->onHelpAnswered(button);
        });
    });
}

void StartupCheck::onHelpAnswered(MessageDialog::Button button)
{
    if (tryStep([this, button] {
            if (button == MessageDialog::Button::Action)
                m_urls.showUrl(m_help.page());
        }))
        finish();
}

bool StartupCheck::tryStep(const std::function<void()> &step)
{
    QString reason;
    try {
        step();
        return true;
    } catch (const std::exception &error) {
        reason = FailureText(error);
    } catch (...) {
    }
    emit failed(reason);
    finish();
    return false;
}

void StartupCheck::finish()
{
    m_running = false;
    emit finished();
}
