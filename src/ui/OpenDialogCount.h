#pragma once

#include "platform/desktop/MessageDialog.h"

#include <QObject>

// Hands every dialog on to another presenter and counts those that wait for
// an answer: the window offers no second dialog of its own (File › Open)
// while one of its conversions asks or tells something.
class OpenDialogCount : public QObject, public MessagePresenter
{
    Q_OBJECT

public:
    explicit OpenDialogCount(MessagePresenter &dialogs, QObject *parent = nullptr);

    void open(const MessageDialog &dialog, Answered answered) override;
    int openDialogs() const { return m_open; }

signals:
    void openDialogsChanged();

private:
    void change(int by);

    MessagePresenter &m_dialogs;
    int m_open = 0;
};
