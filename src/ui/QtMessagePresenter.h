#pragma once

#include "platform/desktop/MessageDialog.h"

class QWidget;

// Shows message dialogs as QMessageBox sheets on one window: window-modal,
// without a title. An explanation too long for the screen (Ghostscript's
// output can run to megabytes) is shown whole in a scrollable text area whose
// text can be selected and copied.
class QtMessagePresenter : public MessagePresenter
{
public:
    static constexpr int kLongExplanationLines = 15;
    static constexpr int kLongExplanationChars = 1500;

    explicit QtMessagePresenter(QWidget *parent) : m_parent(parent) {}

    void open(const MessageDialog &dialog, Answered answered) override;

private:
    QWidget *m_parent;
};
