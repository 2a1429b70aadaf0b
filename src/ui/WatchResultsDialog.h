#pragma once

#include <QDialog>

class FolderWatching;
class QListWidget;
struct WatchResult;

// The list of what became of the watched files, the latest last, kept up to
// date while it is open: a converted file with its PDF, a failed one marked,
// with its reason and where its log lies. It holds nothing: the window stays
// a drop zone behind it.
class WatchResultsDialog : public QDialog
{
    Q_OBJECT

public:
    WatchResultsDialog(FolderWatching &watching, QWidget *parent = nullptr);

    QListWidget *list() const { return m_list; }

private:
    void append(const WatchResult &result);

    QListWidget *m_list;
};
