#pragma once

#include "convert/job/RunJudgement.h"
#include "convert/pdf/PdfKind.h"

#include <QHash>
#include <QObject>
#include <QString>

#include <memory>

class ConversionQueue;
class FileDescriptor;
class FolderWatcher;

// How a watched folder converts, the same for every file that arrives.
struct WatchOptions {
    PdfKind pdfKind = PdfKind::Standard;
    // Nobody is asked: missing fonts are reported, or retried with substitutes.
    MissingFontPolicy missingFonts = MissingFontPolicy::Report;
    int parallelJobs = 0; // 0: as many as the machine has cores
    int settleMs = 1000;
};

// What became of one file that arrived in In.
struct WatchedFile {
    QString input;  // "In/<name>"
    QString output; // "Out/<name>.pdf" when converted
    bool converted = false;
    QString reason;     // why not, in one line
    QString transcript; // Ghostscript's, when it ran and failed
    QString log;        // "Errors/<name>.log" when one was written
};

// A folder W whose In is converted unattended: a PostScript or EPS file that
// comes to rest in In is converted through the one conversion queue, its PDF
// goes to Out and the input follows it there; a file that fails, or is no
// PostScript, or is no regular file at all, moves to Errors with a log beside
// it (NAME.log: the reason in one line, then Ghostscript's transcript). No
// name in Out or Errors is ever replaced: a newcomer gets a number. Every
// entry of In is treated as another user's: a link, a FIFO, a folder or a
// device is moved aside unopened, and a file is opened without following a
// link. In, Out and Errors are made when missing and opened once; every
// move and every PDF goes through those descriptors.
class WatchedFolder : public QObject
{
    Q_OBJECT

public:
    WatchedFolder(QString ghostscriptPath, QString folder, WatchOptions options = {},
                  QObject *parent = nullptr);
    ~WatchedFolder() override;

    // Makes and opens the folders and starts watching, the files already in
    // In included; false with the reason when it cannot.
    bool start(QString *error);
    // Takes no more files and cancels the conversions under way: their
    // inputs stay in In for the next start. stopped() follows once nothing runs.
    void stop();
    bool isStopping() const { return m_stopping; }
    QString folder() const { return m_folder; }
    int running() const;

signals:
    void fileDone(const WatchedFile &file);
    void stopped();

private:
    void onEntrySettled(const QString &name);
    void onFileFinished(int index);
    // A name for a PDF that is neither in Out nor claimed by a file under way.
    QString freeName(const QString &pdfName) const;
    // Moves name from In into folder under wanted, numbered when taken;
    // the name it got, or empty when it could not be moved.
    QString moveInto(int folder, const QString &name, const QString &wanted);
    void moveAside(int from, const QString &name);
    void setAside(const QString &name, const QString &reason, const QString &transcript = {});
    // False when the log could not be written whole.
    bool writeLog(const QString &logName, const QString &text);
    void checkStopped();

    QString m_ghostscriptPath;
    QString m_folder;
    WatchOptions m_options;
    std::shared_ptr<FileDescriptor> m_in;
    std::shared_ptr<FileDescriptor> m_out;
    std::shared_ptr<FileDescriptor> m_errors;
    FolderWatcher *m_watcher = nullptr;
    ConversionQueue *m_queue = nullptr;
    // Per queued file: its name in In and its PDF's name in Out.
    QHash<int, QPair<QString, QString>> m_queued;
    bool m_stopping = false;
};
