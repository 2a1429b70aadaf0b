#include "install/InstallationHelp.h"

#include "install/OsRelease.h"
#include "platform/files/FolderItem.h"
#include "platform/desktop/MessageDialog.h"

#include <QList>

#include <utility>

InstallationHelp::System InstallationHelp::thisSystem()
{
#ifdef Q_OS_MACOS
    return System::MacOS;
#else
    return System::Linux;
#endif
}

InstallationHelp::InstallationHelp(System system, QStringList brewLocations,
                                   QStringList osReleaseFiles)
    : m_system(system), m_brewLocations(std::move(brewLocations)),
      m_osReleaseFiles(std::move(osReleaseFiles))
{
}

MessageDialog InstallationHelp::dialog() const
{
    MessageDialog dialog;
    dialog.iconType = MessageDialog::Icon::Caution;
    dialog.message = InstallTexts::kMessage;
    dialog.explanation = explanation();
    dialog.actionButton.caption = InstallTexts::kHelpButton;
    dialog.alternateActionButton.caption = InstallTexts::kLaterButton;
    dialog.alternateActionButton.visible = true;
    return dialog;
}

QString InstallationHelp::explanation() const
{
    using namespace InstallTexts;
    if (m_system == System::MacOS)
        return Explanation();
    const QString head = kNeeded + EndOfLine + EndOfLine + kHeadingLinux + EndOfLine;
    const QString command = linuxInstallCommand(OsRelease::read(m_osReleaseFiles));
    if (command.isEmpty())
        return head + kUseThePackageManager;
    return head + kOpenATerminal + EndOfLine + kEnterCommand + EndOfLine + kCommandIndent + command;
}

QUrl InstallationHelp::page() const
{
    if (m_system != System::MacOS)
        return kGhostscriptDownloadPage;
    QList<FolderItem> places;
    for (const QString &location : m_brewLocations)
        places.append(FolderItem(location));
    for (const FolderItem &place : places) {
        if (place.exists())
            return kGhostscriptFormulaPage;
    }
    return kHomebrewHomePage;
}

QString InstallationHelp::installCommand() const
{
    if (m_system == System::MacOS)
        return InstallTexts::kBrewCommand;
    return linuxInstallCommand(OsRelease::read(m_osReleaseFiles));
}

QString InstallationHelp::linuxInstallCommand(const OsRelease &release)
{
    using namespace InstallTexts;
    static const QList<std::pair<QLatin1String, const QString *>> families{
        {QLatin1String("debian"), &kAptCommand},  {QLatin1String("ubuntu"), &kAptCommand},
        {QLatin1String("fedora"), &kDnfCommand},  {QLatin1String("rhel"), &kDnfCommand},
        {QLatin1String("centos"), &kDnfCommand},  {QLatin1String("arch"), &kPacmanCommand},
        {QLatin1String("suse"), &kZypperCommand}, {QLatin1String("opensuse"), &kZypperCommand},
    };
    const QStringList ids = QStringList{release.id()} + release.idLike();
    for (const QString &id : ids) {
        for (const auto &[family, command] : families) {
            // openSUSE names its editions "opensuse-leap", "opensuse-tumbleweed".
            if (id == family ||
                (family == QLatin1String("opensuse") && id.startsWith(QLatin1String("opensuse-"))))
                return *command;
        }
    }
    return {};
}
