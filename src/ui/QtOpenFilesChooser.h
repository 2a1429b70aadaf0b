#pragma once

#include "platform/desktop/DesktopServices.h"

class QWidget;

// The platform's open dialog as a sheet on one window (window-modal): shown
// with QFileDialog::open(), so no loop of its own waits for the answer.
class QtOpenFilesChooser : public OpenFilesChooser
{
public:
    explicit QtOpenFilesChooser(QWidget *parent) : m_parent(parent) {}

    void openFilesDialog(const QString &folder, const QStringList &filters, Chosen chosen) override;

private:
    QWidget *m_parent;
};
