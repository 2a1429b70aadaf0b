#include "convert/BatchConversion.h"

#include "convert/DropIntake.h"
#include "convert/EpsBoundingBox.h"

#include <QDir>
#include <QFileInfo>
#include <QThread>

namespace {

bool isPostScriptName(const QString &name)
{
    return name.endsWith(QLatin1String(".ps"), Qt::CaseInsensitive) || IsEpsFigure(name);
}

} // namespace

BatchConversion::BatchConversion(QString ghostscriptPath, ConversionJob::MissingFonts policy,
                                 QObject *parent)
    : QObject(parent), m_ghostscriptPath(std::move(ghostscriptPath)), m_policy(policy),
      m_parallel(std::max(1, QThread::idealThreadCount()))
{
}

BatchConversion::~BatchConversion() = default;

void BatchConversion::add(const QString &input, const QByteArrayList &fontsToSubstitute)
{
    BatchItem item;
    item.input = input;
    item.output = PdfPathForDrop(input).value_or(QString());
    m_items.append(item);
    m_fonts.append(fontsToSubstitute);
    m_jobs.append(nullptr);
    m_sizes.append(QFileInfo(input).size());
    m_started.append(false);
    if (m_running && !m_cancelled) {
        // A batch that had already run out is told again when the newcomers end.
        m_done = false;
        fill();
    }
    emit progressed();
}

void BatchConversion::start()
{
    m_running = true;
    // Told from the event loop, after the caller has connected.
    QMetaObject::invokeMethod(this, &BatchConversion::fill, Qt::QueuedConnection);
}

void BatchConversion::cancel()
{
    if (m_cancelled)
        return;
    m_cancelled = true;
    // Queued files are dropped; running jobs end as cancelled, their older
    // PDFs untouched.
    m_started.fill(true);
    for (const QPointer<ConversionJob> &job : std::as_const(m_jobs)) {
        if (job)
            job->cancel();
    }
    fill();
}

int BatchConversion::finishedCount() const
{
    return int(std::count_if(m_items.cbegin(), m_items.cend(),
                             [](const BatchItem &item) { return item.finished; }));
}

QStringList BatchConversion::running() const
{
    QStringList names;
    for (qsizetype i = 0; i < m_jobs.size(); ++i) {
        if (m_jobs.at(i) && !m_items.at(i).finished)
            names.append(m_items.at(i).input);
    }
    return names;
}

void BatchConversion::fill()
{
    int runningJobs = int(std::count_if(m_jobs.cbegin(), m_jobs.cend(),
                                        [](const QPointer<ConversionJob> &job) { return job; }));
    for (int index = nextToStart(); !m_cancelled && runningJobs < m_parallel && index >= 0;
         index = nextToStart()) {
        m_started[index] = true;
        BatchItem &item = m_items[index];
        if (item.output.isEmpty()) {
            item.finished = true;
            item.failureText = item.input;
            continue;
        }
        auto *job = new ConversionJob(m_ghostscriptPath, item.input, item.output, nullptr, this);
        job->setMissingFonts(m_policy);
        job->setTimeout(m_timeoutMs);
        job->setFontsToSubstitute(m_fonts.at(index));
        connect(job, &ConversionJob::finished, this,
                [this, index, job](ConversionJob::Outcome outcome) {
                    onJobFinished(index, job, outcome);
                });
        m_jobs[index] = job;
        job->start();
        ++runningJobs;
    }
    emit progressed();
    if (runningJobs == 0 && (m_cancelled || nextToStart() < 0) && !m_done) {
        m_done = true;
        // Marked before it is told, so that a file added from the handler starts anew.
        emit finished();
    }
}

int BatchConversion::nextToStart() const
{
    // The largest file first: a long conversion started last would leave
    // the other cores idle at the end.
    int next = -1;
    for (qsizetype i = 0; i < m_items.size(); ++i) {
        if (!m_started.at(i) && (next < 0 || m_sizes.at(i) > m_sizes.at(next)))
            next = int(i);
    }
    return next;
}

void BatchConversion::onJobFinished(int index, ConversionJob *job, ConversionJob::Outcome outcome)
{
    BatchItem &item = m_items[index];
    item.finished = true;
    item.outcome = outcome;
    item.failureText = job->failureText();
    item.missingFonts = job->missingFonts();
    item.substitutedFonts = job->substitutedFonts();
    item.pdfPlaced = job->pdfPlaced();
    m_jobs[index] = nullptr;
    fill();
}

bool IsBatch(const QStringList &paths)
{
    return paths.size() > 1 || (paths.size() == 1 && QFileInfo(paths.first()).isDir());
}

BatchSelection SelectBatchInputs(const QStringList &paths)
{
    BatchSelection selection;
    for (const QString &path : paths) {
        const QFileInfo info(path);
        if (info.isDir()) {
            const QFileInfoList entries =
                QDir(path).entryInfoList(QDir::Files | QDir::Hidden, QDir::Name);
            for (const QFileInfo &entry : entries) {
                if (isPostScriptName(entry.fileName()))
                    selection.inputs.append(entry.absoluteFilePath());
            }
            continue;
        }
        if (isPostScriptName(info.fileName()))
            selection.inputs.append(path);
        else
            selection.skipped.append(path);
    }
    return selection;
}
