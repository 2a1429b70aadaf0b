#pragma once

#include <QDeadlineTimer>
#include <QHash>
#include <QObject>
#include <QString>
#include <QTimer>

class QFileSystemWatcher;
class QSocketNotifier;

// Tells which entries of one folder have come to rest: not written for the
// settle time and, as far as the system can tell, not open for writing. A
// file written slowly through one open descriptor is told once, after its
// writer closed it; a folder copied in at once is told entry by entry. An
// entry that is no regular file (a link, a FIFO, a folder, a device) is told
// as soon as it has settled, without being opened, for the caller to set
// aside. Entries present when watching starts are told too.
//
// Driven by the system's notifications (inotify on Linux, Qt's file system
// watcher elsewhere), never by polling: a folder where nothing arrives costs
// no CPU time.
class FolderWatcher : public QObject
{
    Q_OBJECT

public:
    static constexpr int kDefaultSettleMs = 1000;

    explicit FolderWatcher(QObject *parent = nullptr);
    ~FolderWatcher() override;

    void setSettleTime(int milliseconds) { m_settleMs = milliseconds; }
    // Starts watching folder (one folder per watcher); false, with the
    // system's reason, when it cannot be watched.
    bool watch(const QString &folder, QString *error);
    QString folder() const { return m_folder; }
    // Forgets a name that was told, so that a new entry of that name is told
    // again; the caller calls it once it has moved the entry away.
    void release(const QString &name);

signals:
    // name is a plain name in folder().
    void entrySettled(const QString &name);

private:
    struct Pending {
        QDeadlineTimer quietUntil;
        bool openForWriting = false; // created and not closed since
        bool told = false;
    };

    void touch(const QString &name, bool created, bool closed);
    void scanFolder();
    void settle();
    void armTimer();
    bool stillBeingWritten(const QString &name, const Pending &entry);
#ifdef Q_OS_LINUX
    void readEvents();

    int m_inotify = -1;
    QSocketNotifier *m_notifier = nullptr;
#else
    void onFolderChanged();
    void onFileChanged(const QString &path);

    QFileSystemWatcher *m_watcher = nullptr;
    // What each entry looked like when last seen: its size and its time.
    QHash<QString, QPair<qint64, qint64>> m_seen;
#endif

    QString m_folder;
    int m_settleMs = kDefaultSettleMs;
    QHash<QString, Pending> m_pending;
    QTimer m_timer;
};
