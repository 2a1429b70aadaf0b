#include "convert/queue/ConversionQueue.h"

#include "convert/job/ConversionTexts.h"
#include "convert/queue/ConversionInputs.h"
#include "platform/files/FileNameEncoding.h"
#include "platform/files/FolderItem.h"
#include "platform/files/OutputFolder.h"
#include "platform/text/SystemErrorText.h"

#include <QThread>

#include <cerrno>
#include <cstring>

#include <sys/stat.h>

using namespace ConversionTexts;

ConversionQueue::ConversionQueue(QString ghostscriptPath, ConversionOptions options,
                                 QObject *parent)
    : QObject(parent), m_ghostscriptPath(std::move(ghostscriptPath)),
      m_options(std::move(options)),
      m_parallel(m_options.parallelJobs > 0 ? m_options.parallelJobs
                                            : std::max(1, QThread::idealThreadCount()))
{
}

ConversionQueue::~ConversionQueue() = default;

int ConversionQueue::add(const QString &input, const QByteArrayList &fontsToSubstitute,
                         const QString &outputName)
{
    QueuedFile file;
    file.input = input;
    file.fontsToSubstitute = fontsToSubstitute;
    resolve(file, outputName);
    const int index = int(m_files.size());
    m_files.append(file);
    m_jobs.append(nullptr);
    const bool runs = file.refusal == QueuedFile::Refusal::None && !m_cancelled;
    m_outputs.append(runs ? outputFolderFor(file.output) : nullptr);
    if (m_cancelled)
        end(index, ConversionJob::Outcome::Cancelled);
    if (m_running && !m_cancelled) {
        // A queue that had already run out is told again when the newcomers end.
        m_done = false;
        fill();
    } else {
        emit progressed();
    }
    return index;
}

void ConversionQueue::resolve(QueuedFile &file, const QString &outputName)
{
    // Looked at under the name's own bytes: QFileInfo goes through Qt's
    // conversion of names, which loses a byte that is no UTF-8.
    const QString absolute = AbsoluteFileName(file.input);
    std::optional<QString> output = PdfPathFor(absolute, m_options.outputFolder);
    if (output && !outputName.isEmpty() && !m_options.outputFolder.isEmpty())
        output = AbsoluteFileName(m_options.outputFolder) + QLatin1Char('/') + outputName;
    file.output = output.value_or(QString());
    struct stat info {
    };
    const bool exists = ::stat(EncodeFileName(absolute).constData(), &info) == 0;
    file.size = exists ? qint64(info.st_size) : 0;
    QString identity;
    if (!output) {
        file.refusal = QueuedFile::Refusal::NotPostScript;
        file.failureText = kNotPostScriptMessage;
    } else if (!exists) {
        file.refusal = QueuedFile::Refusal::NoSuchFile;
        file.failureText = kCannotOpenInput.arg(absolute, SystemErrorText(ENOENT));
    } else if (m_ghostscriptPath.isEmpty()) {
        file.refusal = QueuedFile::Refusal::NoGhostscript;
        file.failureText = kNoGhostscriptMessage;
    } else {
        // Two files that would write one PDF: the later one is refused rather
        // than overwrite what the earlier one made.
        identity = OutputIdentity(*output);
        file.sameOutputAs = int(m_identities.indexOf(identity));
        if (file.sameOutputAs >= 0) {
            file.refusal = QueuedFile::Refusal::SameOutput;
            file.failureText =
                kSameOutputLine.arg(FolderItem(m_files.at(file.sameOutputAs).input).name());
            identity.clear();
        }
    }
    m_identities.append(identity);
}

std::shared_ptr<const OutputFolder> ConversionQueue::outputFolderFor(const QString &output)
{
    if (m_outputFolder)
        return m_outputFolder;
    const QString path = FolderItem(output).parent().nativePath();
    std::shared_ptr<const OutputFolder> folder = m_folders.value(path).lock();
    if (!folder) {
        // One that cannot be opened fails each of its files with the reason,
        // as a job does with a folder it opens itself.
        auto opened = std::make_shared<OutputFolder>();
        opened->open(path);
        folder = std::move(opened);
        m_folders.insert(path, folder);
    }
    // Files that join the run later go there too, whatever its path leads
    // to by then.
    if (!m_options.outputFolder.isEmpty())
        m_outputFolder = folder;
    return folder;
}

void ConversionQueue::start()
{
    m_running = true;
    QMetaObject::invokeMethod(this, &ConversionQueue::fill, Qt::QueuedConnection);
}

void ConversionQueue::cancel()
{
    if (m_cancelled)
        return;
    m_cancelled = true;
    // Waiting files are dropped; running jobs end as cancelled, their older
    // PDFs untouched.
    for (int index = 0; index < m_files.size(); ++index) {
        if (!m_files.at(index).started && !m_files.at(index).finished)
            end(index, ConversionJob::Outcome::Cancelled);
    }
    const QList<QPointer<ConversionJob>> jobs = m_jobs;
    for (const QPointer<ConversionJob> &job : jobs) {
        if (job)
            job->cancel();
    }
    fill();
}

void ConversionQueue::end(int index, ConversionJob::Outcome outcome)
{
    QueuedFile &file = m_files[index];
    file.started = true;
    file.finished = true;
    file.outcome = outcome;
    m_outputs[index].reset();
    emit fileFinished(index);
}

int ConversionQueue::finishedCount() const
{
    return int(std::count_if(m_files.cbegin(), m_files.cend(),
                             [](const QueuedFile &file) { return file.finished; }));
}

QStringList ConversionQueue::running() const
{
    QStringList names;
    for (qsizetype i = 0; i < m_jobs.size(); ++i) {
        if (m_jobs.at(i) && !m_files.at(i).finished)
            names.append(m_files.at(i).input);
    }
    return names;
}

void ConversionQueue::fill()
{
    if (!m_running)
        return;
    int runningJobs = int(std::count_if(m_jobs.cbegin(), m_jobs.cend(),
                                        [](const QPointer<ConversionJob> &job) { return job; }));
    for (int index = nextToStart(); !m_cancelled && runningJobs < m_parallel && index >= 0;
         index = nextToStart()) {
        QueuedFile &file = m_files[index];
        if (file.refusal != QueuedFile::Refusal::None) {
            end(index, ConversionJob::Outcome::Failed);
            continue;
        }
        file.started = true;
        auto *job = new ConversionJob(m_ghostscriptPath, AbsoluteFileName(file.input), file.output,
                                      nullptr, this);
        job->setMissingFonts(m_options.missingFonts);
        job->setTimeout(m_options.timeoutMs);
        job->setPdfKind(m_options.pdfKind);
        job->setFontsToSubstitute(file.fontsToSubstitute);
        job->setOutputFolder(m_outputs.at(index));
        job->setInputLinksRefused(m_options.inputLinksRefused);
        connect(job, &ConversionJob::finished, this,
                [this, index, job](ConversionJob::Outcome outcome) {
                    onJobFinished(index, job, outcome);
                });
        m_jobs[index] = job;
        emit fileStarted(index);
        job->start();
        ++runningJobs;
    }
    emit progressed();
    if (runningJobs == 0 && nextToStart() < 0 && !m_done) {
        m_done = true;
        // Marked before it is told, so that a file added from the handler starts anew.
        emit finished();
    }
}

int ConversionQueue::nextToStart() const
{
    // The largest file first: a long conversion started last would leave
    // the other cores idle at the end. Refused files take no time and go
    // first, so that what they say is not held back.
    int next = -1;
    for (qsizetype i = 0; i < m_files.size(); ++i) {
        const QueuedFile &file = m_files.at(i);
        if (file.started || file.finished)
            continue;
        if (file.refusal != QueuedFile::Refusal::None)
            return int(i);
        if (next < 0 || file.size > m_files.at(next).size)
            next = int(i);
    }
    return next;
}

void ConversionQueue::onJobFinished(int index, ConversionJob *job, ConversionJob::Outcome outcome)
{
    // The job deletes itself after this: what it found is read now.
    QueuedFile &file = m_files[index];
    file.finished = true;
    file.outcome = outcome;
    file.failureText = job->failureText();
    file.missingFonts = job->missingFonts();
    file.substitutedFonts = job->substitutedFonts();
    file.pdfPlaced = job->pdfPlaced();
    m_jobs[index] = nullptr;
    m_outputs[index].reset();
    emit fileFinished(index);
    fill();
}
