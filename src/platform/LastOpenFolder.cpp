#include "platform/LastOpenFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include <memory>

namespace {

const QString kKey = QStringLiteral("OpenDialog/lastFolder");

// The program's own settings. An application that names no organisation
// (Pagora names none) files them under its own name: QSettings refuses an
// empty organisation.
std::unique_ptr<QSettings> programSettings()
{
    const QString application = QCoreApplication::applicationName();
    const QString organisation = QCoreApplication::organizationName();
    return std::make_unique<QSettings>(organisation.isEmpty() ? application : organisation,
                                       application);
}

} // namespace

QString LastOpenFolder::folder()
{
    const QString remembered = programSettings()->value(kKey).toString();
    if (!remembered.isEmpty() && QFileInfo(remembered).isDir())
        return remembered;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return !documents.isEmpty() && QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

void LastOpenFolder::remember(const QStringList &chosenFiles)
{
    if (chosenFiles.isEmpty())
        return;
    programSettings()->setValue(kKey, QFileInfo(chosenFiles.first()).absolutePath());
}
