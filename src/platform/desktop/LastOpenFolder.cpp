#include "platform/desktop/LastOpenFolder.h"

#include "platform/desktop/ProgramSettings.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

const QString kKey = QStringLiteral("OpenDialog/lastFolder");

} // namespace

QString LastOpenFolder::folder()
{
    const QString remembered = ProgramSettings()->value(kKey).toString();
    if (!remembered.isEmpty() && QFileInfo(remembered).isDir())
        return remembered;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return !documents.isEmpty() && QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

void LastOpenFolder::remember(const QStringList &chosenFiles)
{
    if (chosenFiles.isEmpty())
        return;
    ProgramSettings()->setValue(kKey, QFileInfo(chosenFiles.first()).absolutePath());
}
