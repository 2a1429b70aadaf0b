#pragma once

#include <QObject>
#include <QStringList>

class QWidget;

// Makes a widget that is no drop zone of its own, such as a progress
// dialog, take files dropped on it and hand them on.
class FileDropTarget : public QObject
{
    Q_OBJECT

public:
    explicit FileDropTarget(QWidget *widget);

signals:
    void filesDropped(const QStringList &paths);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};
