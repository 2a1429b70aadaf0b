#pragma once

#include "convert/job/ConversionJob.h"

#include <QByteArrayList>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <memory>

class OutputFolder;

// The options of one run of the queue, the same for every file in it.
struct ConversionOptions {
    // What a job does when Ghostscript reports missing fonts. Ask is only
    // for a job with a person to answer; the queue's jobs have none and
    // report the fonts instead.
    ConversionJob::MissingFonts missingFonts = ConversionJob::MissingFonts::Report;
    // Where the PDFs go; empty: each beside its input.
    QString outputFolder;
    // How many jobs run at once; 0: as many as the machine has cores.
    int parallelJobs = 0;
    int timeoutMs = ConversionJob::kTimeoutMs;
    PdfKind pdfKind = PdfKind::Standard;
    // Inputs are entries of a folder others may write: one that is a link
    // is refused rather than followed.
    bool inputLinksRefused = false;
};

// One file in the queue: how it was resolved when it joined, and what became
// of it.
struct QueuedFile {
    // Why a file is not converted at all; decided when it joins.
    enum class Refusal { None, NotPostScript, NoSuchFile, NoGhostscript, SameOutput };

    QString input;  // as it was handed over
    QString output; // absolute; empty when the input is no PostScript
    Refusal refusal = Refusal::None;
    int sameOutputAs = -1; // with SameOutput: the earlier file that writes that PDF
    QByteArrayList fontsToSubstitute;
    qint64 size = 0;

    bool started = false;
    bool finished = false;
    ConversionJob::Outcome outcome = ConversionJob::Outcome::Failed;
    QString failureText;             // the job's explanation (German), when it failed
    QByteArrayList missingFonts;     // when it ended with missing fonts
    QByteArrayList substitutedFonts; // Ghostscript's own substitutes after a retry
    bool pdfPlaced = false;          // its PDF is in place (also with missing fonts)
};

// The one place that runs conversions of many files, for every way in: the
// window's batch and the command line present what it reports. Each file
// joins with add(), also while the queue runs, and is resolved once: its
// output, whether it is PostScript and exists, and whether an earlier file
// already writes the same PDF. Up to k jobs run at a time, the largest file
// first; each job has its workspace and its Ghostscript and shows no dialog.
// A PDF goes into its folder as the queue opened it when the first file for
// that folder joined, never through the folder's path looked up again: the
// run's output folder is held for the whole run, a folder of PDFs beside
// their inputs while files for it wait or run.
// cancel() stops the running jobs and drops the waiting files. finished()
// comes whenever nothing is left to do; files that join later start it anew.
class ConversionQueue : public QObject
{
    Q_OBJECT

public:
    // ghostscriptPath empty: Ghostscript was not found, and every
    // PostScript file is refused.
    ConversionQueue(QString ghostscriptPath, ConversionOptions options = {},
                    QObject *parent = nullptr);
    ~ConversionQueue() override;

    // Adds a file and returns its index; fontsToSubstitute, when given, are
    // bound from the first run on (a retry after consent). outputName, when
    // given, names the PDF in the run's output folder instead of the input's
    // name with ".pdf".
    int add(const QString &input, const QByteArrayList &fontsToSubstitute = {},
            const QString &outputName = {});
    // Starts from the event loop, after the caller has connected.
    void start();
    void cancel();

    const ConversionOptions &options() const { return m_options; }
    const QList<QueuedFile> &files() const { return m_files; }
    const QueuedFile &file(int index) const { return m_files.at(index); }
    int total() const { return int(m_files.size()); }
    int finishedCount() const;
    bool isCancelled() const { return m_cancelled; }
    // The files being converted now, in the order they joined.
    QStringList running() const;

signals:
    void fileStarted(int index);
    void fileFinished(int index);
    // Any change of the counts or of what runs.
    void progressed();
    void finished();

private:
    void resolve(QueuedFile &file, const QString &outputName);
    std::shared_ptr<const OutputFolder> outputFolderFor(const QString &output);
    void fill();
    int nextToStart() const;
    // Ends a file that gets no job: refused, or dropped by a cancel.
    void end(int index, ConversionJob::Outcome outcome);
    void onJobFinished(int index, ConversionJob *job, ConversionJob::Outcome outcome);

    QString m_ghostscriptPath;
    ConversionOptions m_options;
    int m_parallel;
    QList<QueuedFile> m_files;
    QList<QString> m_identities; // per file: which PDF it writes
    QList<QPointer<ConversionJob>> m_jobs;
    // Per file, while it waits or runs: the folder its PDF goes into.
    QList<std::shared_ptr<const OutputFolder>> m_outputs;
    // The folders opened so far, by path; each is open while a file holds it.
    QHash<QString, std::weak_ptr<const OutputFolder>> m_folders;
    // ConversionOptions::outputFolder, opened once for the whole run.
    std::shared_ptr<const OutputFolder> m_outputFolder;
    bool m_running = false;
    bool m_cancelled = false;
    bool m_done = false;
};
