#include "ui/FailureDialog.h"

#include "platform/desktop/MessageDialog.h"
#include "ui/WindowTexts.h"

#include <QPointer>

void ShowFailure(MessagePresenter &dialogs, QObject *owner, const QString &reason,
                 const std::function<void()> &answered)
{
    MessageDialog dialog;
    dialog.iconType = MessageDialog::Icon::Stop;
    dialog.message = WindowTexts::kHandlerFailedMessage;
    dialog.explanation = reason;
    dialog.actionButton.caption = WindowTexts::kOk;
    // What waits for the answer goes with its owner.
    const QPointer<QObject> alive(owner);
    const auto then = [alive, answered] {
        if (alive && answered)
            answered();
    };
    try {
        dialogs.open(dialog, [then](MessageDialog::Button) { then(); });
    } catch (...) {
        // Nothing more can be said; the event loop must go on, and so must
        // what waited for the answer.
        QMetaObject::invokeMethod(owner, then, Qt::QueuedConnection);
    }
}
