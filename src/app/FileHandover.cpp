#include "app/FileHandover.h"

#include "ui/Window1.h"

FileHandover::FileHandover(QObject *parent) : QObject(parent) {}

void FileHandover::setWindow(Window1 *window)
{
    m_window = window;
    schedule();
}

void FileHandover::add(const QStringList &paths)
{
    m_waiting += paths;
    schedule();
}

void FileHandover::schedule()
{
    if (!m_window || m_waiting.isEmpty() || m_scheduled)
        return;
    m_scheduled = true;
    QMetaObject::invokeMethod(this, &FileHandover::handOver, Qt::QueuedConnection);
}

void FileHandover::handOver()
{
    m_scheduled = false;
    if (!m_window)
        return;
    m_window->ConvertFiles(std::exchange(m_waiting, {}));
}
