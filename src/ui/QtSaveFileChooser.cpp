#include "ui/QtSaveFileChooser.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>

std::optional<FolderItem> QtSaveFileChooser::showSaveFileDialog(const QString &filter,
                                                                const QString &proposedName)
{
    QString proposal = proposedName;
    if (QFileInfo(proposedName).isRelative()) {
        // Relative to the working folder would be "/" for an app started from the Finder.
        const QString documents =
            QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        proposal = QDir(documents.isEmpty() ? QDir::homePath() : documents).filePath(proposedName);
    }
    const QString chosen = QFileDialog::getSaveFileName(m_parent, QString(), proposal, filter);
    if (chosen.isEmpty())
        return std::nullopt;
    return FolderItem(chosen);
}
