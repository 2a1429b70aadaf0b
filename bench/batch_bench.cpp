// Batches: all files converted by one ConversionQueue (missing fonts reported,
// as many at a time as the machine has cores), against a shell loop running
// ps2pdf on them one after another and against the sum of our single-file
// conversions (one ConversionJob at a time). The three take turns round by
// round, the order rotating; ratios are taken within a round.
//
// Memory: while the batch runs, a sampler adds up the resident sets of this
// process and of everything below it (the Ghostscript children and their
// watchers) every few milliseconds. Its peak is held against as many of the
// largest single Ghostscript as run at once, that one's peak being the
// kernel's own figure for it (ru_maxrss of the reaped children, taken after
// the first pass of single-file runs, before any other child has run).
//
// The batch and the singles convert copies of the files in a folder of the
// run's own, where their PDFs and ps2pdf's go.
//
//   pagora_batch_bench [--rounds N] FILE.ps|FILE.eps ...

#include "support/ChildProcess.h"
#include "support/CorpusArguments.h"
#include "support/Figures.h"
#include "support/WorkingCopies.h"

#include "convert/queue/ConversionInputs.h"
#include "convert/queue/ConversionQueue.h"
#include "convert/job/ConversionJob.h"
#include "convert/queue/DropIntake.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <sys/resource.h>
#include <unistd.h>

namespace {

constexpr double kBatchToSinglesTarget = 1.15; // batch / (singles / min(cores, files))
constexpr double kSpeedUpPerCore = 0.85;       // ps2pdf loop / batch, per core
constexpr double kMemoryAllowanceMiB = 64;     // above cores × the largest single gs

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

std::string loadAverage()
{
    std::ifstream file("/proc/loadavg");
    std::string one, five, fifteen;
    file >> one >> five >> fifteen;
    return file ? one + " " + five + " " + fifteen : std::string("unknown");
}

// The resident set of a process in MiB, 0 when it has gone meanwhile.
double residentMiB(long pid)
{
    std::ifstream statm("/proc/" + std::to_string(pid) + "/statm");
    long size = 0;
    long resident = 0;
    if (!(statm >> size >> resident))
        return 0;
    static const double pageMiB = double(::sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
    return double(resident) * pageMiB;
}

// A process and everything below it, in MiB: each thread's children are
// listed apart, and a child may be forked from any of our threads.
double treeResidentMiB(long pid)
{
    double total = residentMiB(pid);
    const QString tasks = QStringLiteral("/proc/%1/task").arg(pid);
    const QStringList threads = QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &thread : threads) {
        std::ifstream children(
            (tasks + QLatin1Char('/') + thread + QLatin1String("/children")).toStdString());
        long child = 0;
        while (children >> child)
            total += treeResidentMiB(child);
    }
    return total;
}

// Samples the tree below this process on a thread of its own until stopped.
class MemorySampler
{
public:
    MemorySampler()
        : m_thread([this] {
              while (!m_stop.load()) {
                  m_peakMiB = std::max(m_peakMiB, treeResidentMiB(long(::getpid())));
                  std::this_thread::sleep_for(std::chrono::milliseconds(20));
              }
          })
    {
    }

    // The highest sum seen.
    double stop()
    {
        m_stop = true;
        m_thread.join();
        return m_peakMiB;
    }

private:
    std::atomic<bool> m_stop{false};
    double m_peakMiB = 0;
    std::thread m_thread;
};

// The largest peak resident set of any child reaped so far (and of what
// those children reaped), in MiB.
double largestChildPeakMiB()
{
    struct rusage usage {
    };
    ::getrusage(RUSAGE_CHILDREN, &usage);
#ifdef Q_OS_MACOS
    return double(usage.ru_maxrss) / (1024.0 * 1024.0); // bytes there
#else
    return double(usage.ru_maxrss) / 1024.0; // KiB on Linux
#endif
}

QString ourOutput(const QString &input)
{
    return PdfPathFor(input).value_or(QString());
}

QString ps2pdfOutput(const QString &input)
{
    const QFileInfo info(input);
    return info.absolutePath() + QLatin1Char('/') + info.completeBaseName() +
           QLatin1String(".ps2pdf.pdf");
}

// A run starts without the PDFs of an earlier one and with no written data
// still on its way to the disk.
void startAfresh(const QStringList &outputs)
{
    for (const QString &output : outputs)
        QFile::remove(output);
    ::sync();
}

// Runs the loop until done() is emitted, cancelling through cancel() should
// it take far longer than any Ghostscript may.
template <typename Object, typename Signal, typename Cancel>
void runUntil(Object *object, Signal done, int timeoutMs, Cancel cancel)
{
    QEventLoop loop;
    QObject::connect(object, done, &loop, &QEventLoop::quit);
    const QPointer<Object> running(object);
    QTimer::singleShot(timeoutMs, &loop, [running, cancel] {
        if (running)
            cancel(running.data());
    });
    loop.exec();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

struct BatchRunFigures {
    double seconds = 0;
    double peakMiB = 0;
    bool succeeded = false;
};

BatchRunFigures runBatch(const QString &ghostscript, const QStringList &files)
{
    QStringList outputs;
    for (const QString &file : files)
        outputs.append(ourOutput(file));
    startAfresh(outputs);

    ConversionQueue batch(ghostscript);
    for (const QString &file : files)
        batch.add(file);
    MemorySampler sampler;
    BatchRunFigures figures;
    const Clock::time_point start = Clock::now();
    batch.start();
    runUntil(&batch, &ConversionQueue::finished,
             int(files.size()) * ConversionJob::kTimeoutMs + 30000,
             [](ConversionQueue *running) { running->cancel(); });
    figures.seconds = secondsSince(start);
    figures.peakMiB = sampler.stop();
    const QList<QueuedFile> &items = batch.files();
    figures.succeeded = !batch.isCancelled() &&
                        std::all_of(items.cbegin(), items.cend(), [](const QueuedFile &item) {
                            if (!item.pdfPlaced)
                                std::fprintf(stderr, "batch: %s: %s\n", qPrintable(item.input),
                                             qPrintable(item.failureText));
                            return item.pdfPlaced;
                        });
    return figures;
}

// The sum of single conversions, each timed from start() to finished().
std::optional<double> runSingles(const QString &ghostscript, const QStringList &files)
{
    double total = 0;
    for (const QString &file : files) {
        startAfresh({ourOutput(file)});
        auto *job = new ConversionJob(ghostscript, file, ourOutput(file), nullptr);
        job->setMissingFonts(ConversionJob::MissingFonts::Report);
        bool placed = false;
        QObject::connect(job, &ConversionJob::finished, job,
                         [job, &placed](ConversionJob::Outcome) { placed = job->pdfPlaced(); });
        const Clock::time_point start = Clock::now();
        job->start();
        runUntil(job, &ConversionJob::finished, ConversionJob::kTimeoutMs + 30000,
                 [](ConversionJob *running) { running->cancel(); });
        total += secondsSince(start);
        if (!placed) {
            std::fprintf(stderr, "single: %s did not succeed\n", qPrintable(file));
            return std::nullopt;
        }
    }
    return total;
}

// ps2pdf on every file, one after another, as a shell loop would run it.
std::optional<double> runPs2pdfLoop(const QStringList &files)
{
    QStringList outputs;
    for (const QString &file : files)
        outputs.append(ps2pdfOutput(file));
    startAfresh(outputs);
    std::vector<std::string> argv{
        "sh", "-c", "for f do ps2pdf \"$f\" \"${f%.*}.ps2pdf.pdf\" || exit; done", "sh"};
    for (const QString &file : files)
        argv.push_back(file.toStdString());
    const ChildRun run = RunChild(argv);
    if (run.exitCode != 0) {
        std::fprintf(stderr, "the ps2pdf loop did not succeed\n");
        return std::nullopt;
    }
    return run.seconds;
}

enum Contender { Singles, Batch, Ps2pdfLoop, kContenders };
const std::array<const char *, kContenders> kContenderNames{"singles", "batch", "ps2pdf loop"};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    const std::optional<CorpusArguments> read = ReadCorpusArguments(application.arguments());
    if (!read)
        return 2;
    const WorkingCopies copies(read->files);
    if (!copies.isValid())
        return 2;
    const int rounds = read->rounds;
    const QStringList &files = copies.files();
    const QString &ghostscript = read->ghostscript;
    const int cores = std::max(1, QThread::idealThreadCount());
    const int atOnce = std::min(cores, int(files.size()));
    std::printf("Batch: %lld files, %d cores, %d rounds after one warm-up, Ghostscript %s, "
                "converting copies in %s\n",
                static_cast<long long>(files.size()), cores, rounds, qPrintable(ghostscript),
                qPrintable(copies.folder()));

    std::array<std::vector<double>, kContenders> seconds;
    std::vector<double> batchToShare;
    std::vector<double> speedUps;
    std::vector<double> peaks;
    double largestGsMiB = 0;
    std::printf("\n%5s %-34s %9s %9s %9s %9s %9s  %s\n", "round", "order", "singles s", "batch s",
                "ps2pdf s", "share", "speed-up", "load");
    // Round 0 warms the page cache and Ghostscript's font lookup; its times
    // are not counted. It begins with the single-file runs, so that the
    // largest child seen after them is the largest single Ghostscript of ours.
    for (int round = 0; round <= rounds; ++round) {
        std::array<double, kContenders> timings{};
        std::string order;
        for (int k = 0; k < kContenders; ++k) {
            const auto contender = Contender((round + k) % kContenders);
            order += std::string(k ? ", " : "") + kContenderNames[contender];
            std::optional<double> taken;
            if (contender == Singles) {
                taken = runSingles(ghostscript, files);
                if (round == 0)
                    largestGsMiB = largestChildPeakMiB();
            } else if (contender == Batch) {
                const BatchRunFigures batch = runBatch(ghostscript, files);
                if (batch.succeeded) {
                    taken = batch.seconds;
                    peaks.push_back(batch.peakMiB);
                }
            } else {
                taken = runPs2pdfLoop(files);
            }
            if (!taken) {
                std::fprintf(stderr, "%s did not succeed\n", kContenderNames[contender]);
                return 1;
            }
            timings[contender] = *taken;
        }
        const double share = timings[Batch] / (timings[Singles] / atOnce);
        const double speedUp = timings[Ps2pdfLoop] / timings[Batch];
        std::printf("%5d %-34s %9.3f %9.3f %9.3f %9.3f %9.3f  %s%s\n", round, order.c_str(),
                    timings[Singles], timings[Batch], timings[Ps2pdfLoop], share, speedUp,
                    loadAverage().c_str(), round == 0 ? "  (warm-up)" : "");
        if (round == 0)
            continue;
        for (int k = 0; k < kContenders; ++k)
            seconds[k].push_back(timings[k]);
        batchToShare.push_back(share);
        speedUps.push_back(speedUp);
    }

    const double peakMiB = *std::max_element(peaks.cbegin(), peaks.cend());
    const double memoryLimitMiB = cores * largestGsMiB + kMemoryAllowanceMiB;
    std::printf("\nMedians: singles %.3f s, batch %.3f s, ps2pdf loop %.3f s\n",
                Median(seconds[Singles]), Median(seconds[Batch]), Median(seconds[Ps2pdfLoop]));
    std::printf("Peak resident sets of the batch's process tree per run (MiB, warm-up first): "
                "%s; largest single Ghostscript %.1f MiB\n",
                Joined(peaks, "%.1f").c_str(), largestGsMiB);

    const double share = Median(batchToShare);
    const double speedUp = Median(speedUps);
    std::printf("\nTARGET batch vs single files: median batch / (singles / %d) %.3f (target <= "
                "%.2f): %s\n",
                atOnce, share, kBatchToSinglesTarget, Verdict(share <= kBatchToSinglesTarget));
    std::printf("TARGET batch vs ps2pdf loop: median speed-up %.3f on %d cores (target >= %.2f): "
                "%s\n",
                speedUp, cores, kSpeedUpPerCore * cores,
                Verdict(speedUp >= kSpeedUpPerCore * cores));
    if (!QFileInfo::exists(QStringLiteral("/proc/self/statm"))) {
        std::printf(
            "Batch memory not measured: the sampler reads /proc, which this system lacks\n");
        return 0;
    }
    std::printf("TARGET batch memory: peak %.1f MiB (target < %d x %.1f + %.0f = %.1f MiB): %s\n",
                peakMiB, cores, largestGsMiB, kMemoryAllowanceMiB, memoryLimitMiB,
                Verdict(peakMiB < memoryLimitMiB));
    return 0;
}
