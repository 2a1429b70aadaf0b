#include "ui/QtOpenFilesChooser.h"

#include <QFileDialog>

void QtOpenFilesChooser::openFilesDialog(const QString &folder, const QStringList &filters,
                                         Chosen chosen)
{
    auto *dialog = new QFileDialog(m_parent, QString(), folder);
    dialog->setObjectName(QStringLiteral("openFilesDialog"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFiles);
    dialog->setNameFilters(filters);
    // finished comes for a choice and a cancel alike, after the dialog has
    // closed and from the event loop.
    QObject::connect(
        dialog, &QDialog::finished, dialog, [dialog, chosen = std::move(chosen)](int result) {
            chosen(result == QDialog::Accepted ? dialog->selectedFiles() : QStringList());
        });
    dialog->open();
}
