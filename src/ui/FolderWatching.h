#pragma once

#include "convert/pdf/PdfKind.h"
#include "convert/watch/WatchedFolder.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

class FolderChooser;
class MessagePresenter;

// A folder the window watches, as the settings keep it: the folder and the
// kind of PDF it was chosen with.
struct WatchedFolderEntry {
    QString folder; // absolute
    PdfKind kind = PdfKind::Standard;

    friend bool operator==(const WatchedFolderEntry &, const WatchedFolderEntry &) = default;
};

// What became of one watched file, and in which folder.
struct WatchResult {
    QString folder; // absolute
    WatchedFile file;
};

// The window's watched folders. The folders are kept in the settings from
// one run to the next; they are watched once start() has a Ghostscript, each
// with the kind of PDF it was chosen with, and nobody is asked: missing fonts
// send a file to Errors with their names in its log, as on the command line
// without --substitute-fonts. A folder that cannot be watched is told in a
// message on the window and is no longer kept. What becomes of each file is
// counted and the latest results are kept for the window to list.
class FolderWatching : public QObject
{
    Q_OBJECT

public:
    // The results kept for the list; the counts go on beyond them.
    static constexpr int kKeptResults = 1000;

    // dialogs and chooser are the window's: their dialogs are on it.
    FolderWatching(MessagePresenter &dialogs, FolderChooser &chooser, QObject *parent = nullptr);
    ~FolderWatching() override;

    // Watches the kept folders with this Ghostscript, and from now on every
    // folder chosen. Nothing is watched before, or with no Ghostscript.
    void start(const QString &ghostscriptPath);
    bool isStarted() const { return !m_ghostscriptPath.isEmpty() && !m_stopped; }
    // The folder dialog, whose folder is then watched with kind and kept.
    void chooseFolder(PdfKind kind);
    // The folder dialog, or a message about a folder, waits for an answer.
    bool isAsking() const { return m_choosing || m_telling; }
    // Watches folder with kind and keeps it; one already watched stays as it
    // is. False, after the message, when it cannot be watched.
    bool watch(const QString &folder, PdfKind kind);
    // Stops watching folder and no longer keeps it. Conversions under way
    // are cancelled; their inputs stay in In.
    void stopWatching(const QString &folder);
    // The window closes: every folder stops as stopWatching() stops one, but
    // stays kept for the next start.
    void stop();

    // The folders watched now, in the order they were chosen.
    QList<WatchedFolderEntry> folders() const;
    const QList<WatchResult> &results() const { return m_results; }
    int converted() const { return m_converted; }
    int failed() const { return m_failed; }

    // The folders kept in the settings.
    static QList<WatchedFolderEntry> saved();

signals:
    // The folders watched, isStarted() or isAsking() changed.
    void changed();
    void fileDone(const WatchResult &result);

private:
    struct Watched {
        WatchedFolderEntry entry;
        QPointer<WatchedFolder> folder;
    };

    // Starts watching; the reason when it cannot.
    bool startWatching(const WatchedFolderEntry &entry, QString *reason);
    void folderChosen(const QString &folder, PdfKind kind);
    void onFileDone(const QString &folder, const WatchedFile &file);
    // Lets folder finish stopping on its own, then go.
    static void retire(WatchedFolder *folder);
    void save() const;
    // One message per folder, each after the last has been answered.
    void tellCannotWatch(const QString &reason);
    void tellNext();

    MessagePresenter &m_dialogs;
    FolderChooser &m_chooser;
    QString m_ghostscriptPath;
    QList<Watched> m_watched;
    QList<WatchResult> m_results;
    int m_converted = 0;
    int m_failed = 0;
    bool m_choosing = false;
    bool m_stopped = false;
    QStringList m_untold;
    bool m_telling = false;
};
