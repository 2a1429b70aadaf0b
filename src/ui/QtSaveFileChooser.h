#pragma once

#include "platform/desktop/DesktopServices.h"

class QWidget;

// The platform's save dialog as a sheet on one window (window-modal): shown
// with QFileDialog::open(), so no loop of its own waits for the answer. A bare
// proposed name is offered in the user's documents folder.
class QtSaveFileChooser : public SaveFileChooser
{
public:
    explicit QtSaveFileChooser(QWidget *parent) : m_parent(parent) {}

    void saveFileDialog(const QString &filter, const QString &proposedName, Chosen chosen) override;

private:
    QWidget *m_parent;
};
