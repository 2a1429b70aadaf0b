#include "ui/FileDropTarget.h"

#include "ui/DropCanvas.h"

#include <QDropEvent>
#include <QMimeData>
#include <QWidget>

FileDropTarget::FileDropTarget(QWidget *widget) : QObject(widget)
{
    widget->setAcceptDrops(true);
    widget->installEventFilter(this);
}

bool FileDropTarget::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto *drag = static_cast<QDragMoveEvent *>(event);
        if (drag->mimeData() && !DropCanvas::localFilePaths(*drag->mimeData()).isEmpty())
            drag->acceptProposedAction();
        else
            drag->ignore();
        return true;
    }
    case QEvent::Drop: {
        auto *drop = static_cast<QDropEvent *>(event);
        const QStringList paths =
            drop->mimeData() ? DropCanvas::localFilePaths(*drop->mimeData()) : QStringList();
        if (paths.isEmpty()) {
            drop->ignore();
            return true;
        }
        drop->acceptProposedAction();
        // After the drop is over for the dragging program.
        QMetaObject::invokeMethod(
            this, [this, paths] { emit filesDropped(paths); }, Qt::QueuedConnection);
        return true;
    }
    default:
        return QObject::eventFilter(watched, event);
    }
}
