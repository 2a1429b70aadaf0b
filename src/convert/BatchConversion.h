#pragma once

#include "convert/ConversionJob.h"

#include <QByteArrayList>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

// What became of one file of a batch.
struct BatchItem {
    QString input;
    QString output;
    bool finished = false;
    ConversionJob::Outcome outcome = ConversionJob::Outcome::Failed;
    QString failureText;             // below "Ausgabe:", when it failed
    QByteArrayList missingFonts;     // when it ended with missing fonts
    QByteArrayList substitutedFonts; // Ghostscript's own substitutes after a retry
    bool pdfPlaced = false;          // its PDF is in place (also with missing fonts)
};

// Many files converted as jobs of their own, several at a time, the largest
// first: each job has its workspace and its Ghostscript, and none shows a
// dialog. The items keep the order in which they were added. Files join the
// queue with add(), also while the batch runs; cancel() stops the running jobs
// and drops the queued ones. finished() comes once, when nothing is left.
class BatchConversion : public QObject
{
    Q_OBJECT

public:
    BatchConversion(QString ghostscriptPath, ConversionJob::MissingFonts policy,
                    QObject *parent = nullptr);
    ~BatchConversion() override;

    // As many at a time as the machine has cores, by default.
    void setParallelJobs(int count) { m_parallel = std::max(1, count); }
    void setTimeout(int milliseconds) { m_timeoutMs = milliseconds; }

    // Queues inputs, each converted to the PDF beside it; fontsToSubstitute,
    // when given, are bound from the first run on (a retry after consent).
    void add(const QString &input, const QByteArrayList &fontsToSubstitute = {});
    void start();
    void cancel();

    const QList<BatchItem> &items() const { return m_items; }
    int total() const { return int(m_items.size()); }
    int finishedCount() const;
    bool isCancelled() const { return m_cancelled; }
    // The files being converted now.
    QStringList running() const;

signals:
    void progressed();
    void finished();

private:
    void fill();
    int nextToStart() const;
    void onJobFinished(int index, ConversionJob *job, ConversionJob::Outcome outcome);

    QString m_ghostscriptPath;
    ConversionJob::MissingFonts m_policy;
    int m_parallel;
    int m_timeoutMs = ConversionJob::kTimeoutMs;
    QList<BatchItem> m_items;
    QList<QByteArrayList> m_fonts;
    QList<qint64> m_sizes;
    QList<bool> m_started; // per item: its job has been started (or it was dropped)
    QList<QPointer<ConversionJob>> m_jobs;
    bool m_running = false;
    bool m_cancelled = false;
    bool m_done = false;
};

// What a drop of several items, or of a folder, comes to: the PostScript
// files to convert (a folder gives its .ps and .eps files directly inside,
// not those below, in name order) and the items that are skipped.
struct BatchSelection {
    QStringList inputs;
    QStringList skipped;
};
BatchSelection SelectBatchInputs(const QStringList &paths);

// True when paths are converted as a batch: more than one item, or a folder.
bool IsBatch(const QStringList &paths);
