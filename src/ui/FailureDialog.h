#pragma once

#include <functional>

class MessagePresenter;
class QObject;
class QString;

// Tells the user that something the window started failed, with the reason,
// in a stop dialog with "OK". answered runs once the dialog has been answered,
// and only while owner exists; a dialog that cannot be shown counts as answered.
void ShowFailure(MessagePresenter &dialogs, QObject *owner, const QString &reason,
                 const std::function<void()> &answered = {});
