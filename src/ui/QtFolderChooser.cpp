#include "ui/QtFolderChooser.h"

#include <QFileDialog>

void QtFolderChooser::chooseFolderDialog(const QString &title, const QString &folder, Chosen chosen)
{
    auto *dialog = new QFileDialog(m_parent, title, folder);
    dialog->setObjectName(QStringLiteral("folderDialog"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly);
    // finished comes for a choice and a cancel alike, after the dialog has
    // closed and from the event loop.
    QObject::connect(
        dialog, &QDialog::finished, dialog, [dialog, chosen = std::move(chosen)](int result) {
            const QStringList folders = dialog->selectedFiles();
            chosen(result == QDialog::Accepted && !folders.isEmpty() ? folders.first() : QString());
        });
    dialog->open();
}
