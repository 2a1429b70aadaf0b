#pragma once

#include <QObject>

class FolderWatching;
class MainMenuBar;

// File › Stop Watching as the window's watched folders are: one item per
// folder, named with the kind of PDF it makes, that stops watching it; the
// submenu is off while none is watched. File › Watch Results… is on once a
// watched file is done. The bar outlives every window: the items go with
// this object.
class WatchMenu : public QObject
{
    Q_OBJECT

public:
    WatchMenu(MainMenuBar &bar, FolderWatching &watching, QObject *parent = nullptr);
    ~WatchMenu() override;

private:
    void update();
    void updateResults();
    void clear();

    MainMenuBar &m_bar;
    FolderWatching &m_watching;
};
