#pragma once

#include "app/CommandLine.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>

class ConversionQueue;

// Pagora --convert: the files of the command line run through the conversion
// queue, as the window's batches do; this presents what the queue reports.
// Each file gets one line on standard output, in the order the files were
// named (a line waits for those of the files before it); a failure's whole
// Ghostscript output goes to standard error. finished() tells the exit status
// once every job has ended.
class CommandLineConverter : public QObject
{
    Q_OBJECT

public:
    // ghostscriptPath empty: Ghostscript was not found, and every file fails.
    CommandLineConverter(const CommandLine &command, QString ghostscriptPath,
                         QObject *parent = nullptr);
    ~CommandLineConverter() override;

    void start();
    // Asked to end by signalNumber: the running jobs are cancelled (their
    // Ghostscript stopped, their workspaces removed, no PDF put in place),
    // no other starts, and finished() reports 128 + signalNumber.
    void cancel(int signalNumber);

signals:
    void finished(int exitStatus);

private:
    struct File {
        QString named;       // as on the command line
        QString shownOutput; // as the user would name it
        std::optional<QString> line;
        QString transcript;
        bool failed = false;
        bool done = false;
    };

    void onFileFinished(int index);
    void fail(File &file, const QString &reason);
    void printReady(bool all = false);
    void endIfDone();

    CommandLine m_command;
    QString m_ghostscriptPath;
    ConversionQueue *m_queue = nullptr;
    QList<File> m_files;
    int m_printed = 0;
    int m_signal = 0;
    bool m_ended = false;
};

// The whole run without a window: the application object (no display
// needed), the termination signals, the converter or the help, the version or
// a usage error. Returns the exit status.
int RunCommandLine(int argc, char **argv, const CommandLine &command);
