#include "ui/OpenDialogCount.h"

#include <QPointer>

OpenDialogCount::OpenDialogCount(MessagePresenter &dialogs, QObject *parent)
    : QObject(parent), m_dialogs(dialogs)
{
}

void OpenDialogCount::open(const MessageDialog &dialog, Answered answered)
{
    change(+1);
    const QPointer<OpenDialogCount> self(this);
    try {
        m_dialogs.open(dialog, [self, answered](MessageDialog::Button button) {
            // Counted out before the answer is acted on, which may open the
            // next dialog.
            if (self)
                self->change(-1);
            if (answered)
                answered(button);
        });
    } catch (...) {
        // A dialog that never showed waits for nothing.
        change(-1);
        throw;
    }
}

void OpenDialogCount::change(int by)
{
    m_open += by;
    emit openDialogsChanged();
}
