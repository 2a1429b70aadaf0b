#pragma once

#include "platform/desktop/DesktopServices.h"

class QWidget;

// The platform's folder dialog as a sheet on one window (window-modal):
// shown with QFileDialog::open(), so no loop of its own waits for the answer.
class QtFolderChooser : public FolderChooser
{
public:
    explicit QtFolderChooser(QWidget *parent) : m_parent(parent) {}

    void chooseFolderDialog(const QString &title, const QString &folder, Chosen chosen) override;

private:
    QWidget *m_parent;
};
