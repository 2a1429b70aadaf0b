#include "ui/QtSaveFileChooser.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>

void QtSaveFileChooser::saveFileDialog(const QString &filter, const QString &proposedName,
                                       Chosen chosen)
{
    QString proposal = proposedName;
    if (QFileInfo(proposedName).isRelative()) {
        // Relative to the working folder would be "/" for an app started from the Finder.
        const QString documents =
            QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        proposal = QDir(documents.isEmpty() ? QDir::homePath() : documents).filePath(proposedName);
    }
    // Given a file's path, the dialog starts in its folder with its name filled in.
    auto *dialog = new QFileDialog(m_parent, QString(), proposal, filter);
    dialog->setObjectName(QStringLiteral("saveFileDialog"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    // finished comes for a choice and a cancel alike, after the dialog has
    // closed and from the event loop.
    QObject::connect(dialog, &QDialog::finished, dialog,
                     [dialog, chosen = std::move(chosen)](int result) {
                         const QString file = dialog->selectedFiles().value(0);
                         if (result != QDialog::Accepted || file.isEmpty())
                             chosen(std::nullopt);
                         else
                             chosen(FolderItem(file));
                     });
    // open(), not exec(): window-modal, and no loop of its own waits for the
    // answer. (A save panel that is application-modal is shown by macOS only
    // from exec().)
    dialog->open();
}
