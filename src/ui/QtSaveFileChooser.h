#pragma once

#include "platform/DesktopServices.h"

class QWidget;

// The platform's save dialog, modal to one window. A bare proposed name is
// offered in the user's documents folder.
class QtSaveFileChooser : public SaveFileChooser
{
public:
    explicit QtSaveFileChooser(QWidget *parent) : m_parent(parent) {}

    std::optional<FolderItem> showSaveFileDialog(const QString &filter,
                                                 const QString &proposedName) override;

private:
    QWidget *m_parent;
};
