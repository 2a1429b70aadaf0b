#pragma once

#include <QStringList>
#include <QWidget>

class QMimeData;
class QPainter;

// The drop zone: a transparent area that takes files of any kind and leaves
// what to do with them, and what to paint, to its window.
class DropCanvas : public QWidget
{
    Q_OBJECT

public:
    explicit DropCanvas(QWidget *parent = nullptr);

    // The local files of a drop, in the order dropped; links to anything but a
    // local file are left out.
    static QStringList localFilePaths(const QMimeData &data);

signals:
    // Once, when the canvas is first shown.
    void opening();
    void painting(QPainter &painter);
    void filesDropped(const QStringList &paths);

protected:
    void showEvent(QShowEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    bool m_opened = false;
};
