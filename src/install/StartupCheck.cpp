#include "install/StartupCheck.h"

#include "platform/DesktopServices.h"
#include "platform/FolderItem.h"
#include "platform/MessageDialog.h"

#include <QList>

QUrl InstallationHelpPage(const QStringList &brewLocations)
{
    QList<FolderItem> places;
    for (const QString &location : brewLocations)
        places.append(FolderItem(location));
    for (const FolderItem &place : places) {
        if (place.exists())
            return kGhostscriptFormulaPage;
    }
    return kHomebrewHomePage;
}

void CheckGhostscriptAtStartup(MessagePresenter &dialogs, UrlOpener &urls,
                               const QStringList &probeCandidates,
                               const QStringList &brewLocations)
{
    if (IsGhostscriptInstalled(probeCandidates))
        return;

    MessageDialog dialog;
    dialog.iconType = MessageDialog::Icon::Caution;
    dialog.message = InstallTexts::kMessage;
    dialog.explanation = InstallTexts::kExplanation;
    dialog.actionButton.caption = InstallTexts::kHelpButton;
    dialog.alternateActionButton.caption = InstallTexts::kLaterButton;
    dialog.alternateActionButton.visible = true;

    if (dialogs.showModal(dialog) == MessageDialog::Button::Action)
        urls.showUrl(InstallationHelpPage(brewLocations));
}
