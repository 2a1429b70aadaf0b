#pragma once

#include <QLabel>

class FolderWatching;

// The window's line while it watches: "Überwacht: PDF-Eingang" and, once
// files are done, "– 3 umgewandelt, 1 fehlgeschlagen", whose counts open
// the list of results (resultsRequested). The folders' names are shortened
// in the middle where they would not fit; the whole folders are its tool tip.
class WatchStatusLine : public QLabel
{
    Q_OBJECT

public:
    explicit WatchStatusLine(FolderWatching &watching, QWidget *parent = nullptr);

signals:
    void resultsRequested();

private:
    void update();

    FolderWatching &m_watching;
};
