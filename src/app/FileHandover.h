#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>

class Window1;

// Files given to the program from outside the window: named on the command
// line at start, or opened by the system (Finder's "Open With", a document
// double-clicked, a drop on the Dock icon). They are handed to the window as
// one drop as soon as it exists; files arriving in one turn of the event loop
// go together. The window holds them in its line while its start-up check
// runs, so that they are converted after that check's dialog, and before
// anything dropped on the window meanwhile.
class FileHandover : public QObject
{
    Q_OBJECT

public:
    explicit FileHandover(QObject *parent = nullptr);

    // The window the files go to; until there is one they wait.
    void setWindow(Window1 *window);
    void add(const QStringList &paths);

private:
    void schedule();
    void handOver();

    QPointer<Window1> m_window;
    QStringList m_waiting;
    bool m_scheduled = false;
};
