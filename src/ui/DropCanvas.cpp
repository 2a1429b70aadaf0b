#include "ui/DropCanvas.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QPainter>
#include <QUrl>

DropCanvas::DropCanvas(QWidget *parent) : QWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
}

QStringList DropCanvas::localFilePaths(const QMimeData &data)
{
    QStringList paths;
    if (!data.hasUrls())
        return paths;
    const QList<QUrl> urls = data.urls();
    for (const QUrl &url : urls) {
        if (url.isLocalFile() && !url.toLocalFile().isEmpty())
            paths.append(url.toLocalFile());
    }
    return paths;
}

void DropCanvas::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_opened) {
        m_opened = true;
        emit opening();
    }
}

void DropCanvas::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    emit painting(painter);
}

void DropCanvas::dragEnterEvent(QDragEnterEvent *event)
{
    // Every kind of file is welcome here; whether it can be converted is
    // decided after the drop, where the user can be told why not.
    if (event->mimeData() && !localFilePaths(*event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void DropCanvas::dragMoveEvent(QDragMoveEvent *event)
{
    if (event->mimeData() && !localFilePaths(*event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void DropCanvas::dropEvent(QDropEvent *event)
{
    const QStringList paths =
        event->mimeData() ? localFilePaths(*event->mimeData()) : QStringList();
    event->acceptProposedAction();
    emit filesDropped(paths);
}
