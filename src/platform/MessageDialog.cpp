#include "platform/MessageDialog.h"

#include <QCoreApplication>
#include <QMetaObject>

void MessagePresenter::open(const MessageDialog &dialog, Answered answered)
{
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [this, dialog, answered = std::move(answered)] { answered(showModal(dialog)); },
        Qt::QueuedConnection);
}
