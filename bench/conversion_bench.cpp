// Conversion overhead: for each PostScript file, the time from the drop intake
// to the verdict dialog (answered at once, as a person pressing OK), against
// running the same Ghostscript argument vector directly and against ps2pdf.
// The three are run side by side, file by file and round by round, so that a
// busy machine slows all of them alike; ratios are taken within a round.
// Then two kinds of PDF the same way: the archive (PDF/A-2b) against gs run
// directly with the same PDF/A arguments and definition file, and the small
// file's size against ps2pdf -dPDFSETTINGS=/ebook.
//
// Every run converts copies of the files in a folder of the run's own, where
// all the PDFs and the definition file go. The machine's huge-page state is
// printed before and after the runs: the figures depend on it.
//
//   pagora_conversion_bench [--rounds N] FILE.ps|FILE.eps ...

#include "ScriptedPresenter.h"
#include "support/ChildProcess.h"
#include "support/CorpusArguments.h"
#include "support/Figures.h"
#include "support/HugePageState.h"
#include "support/WorkingCopies.h"

#include "convert/job/ConversionJob.h"
#include "convert/job/ConversionTexts.h"
#include "convert/queue/DropIntake.h"
#include "convert/job/GhostscriptArguments.h"
#include "convert/pdf/PdfArchive.h"
#include "platform/files/FileDescriptor.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

constexpr double kOverheadTarget = 1.03; // median over the files of ours / direct gs
constexpr double kPs2pdfTarget = 1.00;   // ours / ps2pdf, on every file
constexpr double kArchiveTarget = 1.03;  // median over the files of ours / direct gs, PDF/A
constexpr double kSmallSizeTarget = 1.05; // ours / ps2pdf /ebook output size, on every file

using Clock = std::chrono::steady_clock;

// Presses OK (and "use the replacement", should a file miss fonts) and notes
// when the verdict came: the success or the failure dialog.
class VerdictPresenter : public ScriptedPresenter
{
public:
    void open(const MessageDialog &dialog, Answered answered) override
    {
        if (dialog.iconType == MessageDialog::Icon::Caution)
            questions++;
        else if (!verdictAt)
            verdictAt = Clock::now();
        ScriptedPresenter::open(dialog, std::move(answered));
    }

    std::optional<Clock::time_point> verdictAt;
    int questions = 0;
};

// The wall-clock and the processor time of one conversion.
struct Timing {
    double seconds = 0;
    double cpuSeconds = 0;
};

struct OurRun {
    Timing timing;
    bool succeeded = false;
    int questions = 0;
};

// Runs the job to its end from the event loop, as the window does. A job
// still running well after its own Ghostscript time-out is cancelled, which
// ends it without a verdict.
void waitForJob(ConversionJob *job)
{
    QEventLoop loop;
    QObject::connect(job, &ConversionJob::finished, &loop, &QEventLoop::quit);
    const QPointer<ConversionJob> running(job);
    QTimer::singleShot(ConversionJob::kTimeoutMs + 30000, &loop, [running] {
        if (running)
            running->cancel();
    });
    loop.exec();
    // The job deletes itself from the loop it ended in; with no loop around
    // this one, its deletion is done here.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

OurRun convertByDrop(const QString &input,
                     const QStringList &ghostscriptCandidates = kDropTimeCandidates,
                     PdfKind kind = PdfKind::Standard)
{
    VerdictPresenter dialogs;
    const double cpuStart = ProcessorSeconds();
    const Clock::time_point start = Clock::now();
    if (ConversionJob *job = IntakeDrop({input}, dialogs, ghostscriptCandidates, nullptr,
                                        InstallationHelp(), {}, kind)) {
        waitForJob(job);
    } else {
        // The refusal is shown from the event loop, and the presenter must
        // outlive it.
        QCoreApplication::processEvents();
    }
    OurRun run;
    run.timing.seconds =
        std::chrono::duration<double>(dialogs.verdictAt.value_or(Clock::now()) - start).count();
    run.timing.cpuSeconds = ProcessorSeconds() - cpuStart;
    run.succeeded = !dialogs.shown.isEmpty() &&
                    dialogs.shown.constLast().message == ConversionTexts::kSuccessMessage;
    run.questions = dialogs.questions;
    return run;
}

enum Contender { Ours, DirectGs, Ps2pdf, kContenders };
const std::array<const char *, kContenders> kContenderNames{"ours", "gs", "ps2pdf"};

// The PDF a contender writes: ours where a drop puts it, the others beside it.
QString outputOf(Contender contender, const QString &input)
{
    const char *suffix = contender == Ours       ? ".pdf"
                         : contender == DirectGs ? ".direct.pdf"
                                                 : ".ps2pdf.pdf";
    const QFileInfo info(input);
    return info.absolutePath() + QLatin1Char('/') + info.completeBaseName() + QLatin1String(suffix);
}

std::vector<std::string> directGhostscript(const QString &ghostscript, const QString &input)
{
    std::vector<std::string> argv{ghostscript.toStdString()};
    const QStringList arguments = GhostscriptArguments(input, outputOf(DirectGs, input), QString());
    for (const QString &argument : arguments)
        argv.push_back(argument.toStdString());
    return argv;
}

std::vector<std::string> ps2pdf(const QString &input)
{
    return {"ps2pdf", input.toStdString(), outputOf(Ps2pdf, input).toStdString()};
}

QString besideInput(const QString &input, const char *suffix)
{
    const QFileInfo info(input);
    return info.absolutePath() + QLatin1Char('/') + info.completeBaseName() + QLatin1String(suffix);
}

// gs with the archive's arguments and a definition file as ours writes it.
std::vector<std::string> directArchive(const QString &ghostscript, const QString &input)
{
    const QString profile = FindSrgbProfile(ghostscript);
    const QString definition = besideInput(input, ".pdfa_def.ps");
    OpenFailure failure;
    const FileDescriptor document = OpenRegularFile(input, &failure);
    QFile file(definition);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(PdfaDefinition(profile, DocumentTitle(document.get())));
    std::vector<std::string> argv{ghostscript.toStdString()};
    const QStringList arguments =
        GhostscriptArguments(input, besideInput(input, ".direct-pdfa.pdf"), QString(), false,
                             PdfKind::Archive, profile, definition);
    for (const QString &argument : arguments)
        argv.push_back(argument.toStdString());
    return argv;
}

// The archive against gs directly, side by side, and the small file's size
// against ps2pdf /ebook. Returns false when a run did not succeed.
bool printKinds(const QStringList &files, const QString &ghostscript, int rounds)
{
    if (FindSrgbProfile(ghostscript).isEmpty()) {
        std::printf("\nNo sRGB profile beside %s: no archive figures\n", qPrintable(ghostscript));
        return false;
    }
    bool allRan = true;
    std::vector<double> archiveRatios;
    double worstSize = 0;
    std::printf("\n%-28s %9s %9s %9s %11s %11s %9s\n", "file (kinds)", "pdfa s", "gs pdfa s",
                "ours/gs", "small bytes", "ebook bytes", "size o/e");
    for (const QString &input : files) {
        std::vector<double> ratios;
        std::vector<double> ours;
        std::vector<double> direct;
        for (int round = 0; round <= rounds && allRan; ++round) {
            QFile::remove(outputOf(Ours, input));
            QFile::remove(besideInput(input, ".direct-pdfa.pdf"));
            OurRun ourRun;
            ChildRun directRun;
            // Turns from round to round, as above.
            for (int k = 0; k < 2; ++k) {
                if ((round + k) % 2 == 0)
                    ourRun = convertByDrop(input, kDropTimeCandidates, PdfKind::Archive);
                else
                    directRun = RunChild(directArchive(ghostscript, input));
            }
            if (!ourRun.succeeded || directRun.exitCode != 0) {
                std::fprintf(stderr, "%s: the archive did not succeed\n", qPrintable(input));
                allRan = false;
            }
            if (round == 0)
                continue;
            ours.push_back(ourRun.timing.seconds);
            direct.push_back(directRun.seconds);
            ratios.push_back(ourRun.timing.seconds / directRun.seconds);
        }
        if (!allRan)
            break;
        archiveRatios.push_back(Median(ratios));

        // Sizes do not change from run to run: one each.
        QFile::remove(outputOf(Ours, input));
        const OurRun small = convertByDrop(input, kDropTimeCandidates, PdfKind::SmallFile);
        const QString ebook = besideInput(input, ".ebook.pdf");
        const ChildRun reference =
            RunChild({"ps2pdf", "-dPDFSETTINGS=/ebook", input.toStdString(), ebook.toStdString()});
        if (!small.succeeded || reference.exitCode != 0) {
            allRan = false;
            break;
        }
        const qint64 smallBytes = QFileInfo(outputOf(Ours, input)).size();
        const qint64 ebookBytes = QFileInfo(ebook).size();
        worstSize = std::max(worstSize, double(smallBytes) / double(ebookBytes));
        std::printf("%-28s %9.4f %9.4f %9.3f %11lld %11lld %9.3f\n",
                    qPrintable(QFileInfo(input).fileName()), Median(ours), Median(direct),
                    Median(ratios), static_cast<long long>(smallBytes),
                    static_cast<long long>(ebookBytes), double(smallBytes) / double(ebookBytes));
    }
    if (!allRan)
        return false;
    const double archive = Median(archiveRatios);
    std::printf("\nTARGET archive overhead: median ours/gs (PDF/A) %.3f (target <= %.2f): %s\n",
                archive, kArchiveTarget, Verdict(archive <= kArchiveTarget));
    std::printf("TARGET small file size: worst file ours/ps2pdf-ebook %.3f (target <= %.2f): %s\n",
                worstSize, kSmallSizeTarget, Verdict(worstSize <= kSmallSizeTarget));
    return true;
}

struct FileFigures {
    QString path;
    std::array<std::vector<double>, kContenders> seconds;
    std::vector<double> oursToGs;
    std::vector<double> oursToPs2pdf;
    std::vector<double> cpuOursToGs;
    std::vector<double> cpuOursToPs2pdf;
    int questions = 0;
    bool failed = false;
};

// Every run starts from the same state: no PDF of an earlier run (ext4 writes
// a file out at once when it replaces another one, by rename or truncation)
// and no written data still on its way to the disk.
void startAfresh(Contender contender, const QString &input)
{
    QFile::remove(outputOf(contender, input));
#ifdef Q_OS_UNIX
    ::sync();
#endif
}

// One run of one contender, or nothing when it did not succeed.
std::optional<Timing> runOnce(Contender contender, const QString &ghostscript, FileFigures &file)
{
    startAfresh(contender, file.path);
    if (contender == Ours) {
        const OurRun run = convertByDrop(file.path);
        file.questions += run.questions;
        return run.succeeded ? std::optional(run.timing) : std::nullopt;
    }
    const ChildRun run = RunChild(contender == DirectGs ? directGhostscript(ghostscript, file.path)
                                                        : ps2pdf(file.path));
    return run.exitCode == 0 ? std::optional(Timing{run.seconds, run.cpuSeconds}) : std::nullopt;
}

// What the drop path adds to any Ghostscript run, seen with a stand-in that
// does nothing: the drop to its (failure) verdict against starting the
// stand-in directly with the same arguments. Unlike the figures with gs these
// are small and steady; the difference is the overhead in milliseconds.
double printFixedCost(const QString &input, int rounds)
{
    const QString standIn = QStringLiteral("/bin/true");
    std::vector<double> drops;
    std::vector<double> directs;
    std::vector<double> added;
    for (int round = 0; round <= rounds; ++round) {
        const OurRun drop = convertByDrop(input, {standIn});
        const ChildRun direct = RunChild(directGhostscript(standIn, input));
        if (round == 0)
            continue;
        drops.push_back(drop.timing.seconds * 1e3);
        directs.push_back(direct.seconds * 1e3);
        added.push_back(drops.back() - directs.back());
    }
    std::printf("Fixed cost of the drop path (gs replaced by %s, %d rounds): drop to verdict "
                "%.2f ms, %s started directly %.2f ms: %.2f ms added to a conversion\n",
                qPrintable(standIn), rounds, Median(drops), qPrintable(standIn), Median(directs),
                Median(added));
    return Median(added) / 1e3;
}

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
    std::printf("Conversion overhead: %lld files, %d rounds after one warm-up, Ghostscript %s, "
                "converting copies in %s\n",
                static_cast<long long>(files.size()), rounds, qPrintable(ghostscript),
                qPrintable(copies.folder()));
    const HugePageState hugePagesBefore = ReadHugePageState();
    std::printf("%s\n", HugePageLine("before the conversions", hugePagesBefore).c_str());

    const double fixedCost = printFixedCost(files.first(), std::max(20, 3 * rounds));

    std::vector<FileFigures> figures;
    for (const QString &path : files)
        figures.push_back(FileFigures{path, {}, {}, {}, {}, {}, 0, false});

    // Round 0 warms the page cache and Ghostscript's font lookup and is not counted.
    for (int round = 0; round <= rounds; ++round) {
        for (FileFigures &file : figures) {
            if (file.failed)
                continue;
            std::array<Timing, kContenders> timings{};
            for (int k = 0; k < kContenders; ++k) {
                // The order turns from round to round: no contender always
                // comes first after another file's runs.
                const auto contender = Contender((round + k) % kContenders);
                const std::optional<Timing> run = runOnce(contender, ghostscript, file);
                if (!run) {
                    std::fprintf(stderr, "%s: %s did not succeed\n", qPrintable(file.path),
                                 kContenderNames[contender]);
                    file.failed = true;
                    break;
                }
                timings[contender] = *run;
            }
            if (round == 0 || file.failed)
                continue;
            for (int k = 0; k < kContenders; ++k)
                file.seconds[k].push_back(timings[k].seconds);
            file.oursToGs.push_back(timings[Ours].seconds / timings[DirectGs].seconds);
            file.oursToPs2pdf.push_back(timings[Ours].seconds / timings[Ps2pdf].seconds);
            file.cpuOursToGs.push_back(timings[Ours].cpuSeconds / timings[DirectGs].cpuSeconds);
            file.cpuOursToPs2pdf.push_back(timings[Ours].cpuSeconds / timings[Ps2pdf].cpuSeconds);
        }
    }

    std::printf("\n%-28s %10s %8s %8s %8s %8s %11s %8s %11s %9s\n", "file", "bytes", "ours s",
                "gs s", "ps2pdf s", "ours/gs", "ours/ps2pdf", "cpu o/gs", "cpu o/ps2pdf",
                "questions");
    std::vector<double> overheadRatios;
    std::vector<double> cpuOverheadRatios;
    double worstToPs2pdf = 0;
    double cpuWorstToPs2pdf = 0;
    double shortestGs = 0;
    bool anyFailed = false;
    for (const FileFigures &file : figures) {
        const QFileInfo info(file.path);
        if (file.failed) {
            std::printf("%-28s failed\n", qPrintable(info.fileName()));
            anyFailed = true;
            continue;
        }
        const double toGs = Median(file.oursToGs);
        const double toPs2pdf = Median(file.oursToPs2pdf);
        overheadRatios.push_back(toGs);
        worstToPs2pdf = std::max(worstToPs2pdf, toPs2pdf);
        cpuOverheadRatios.push_back(Median(file.cpuOursToGs));
        cpuWorstToPs2pdf = std::max(cpuWorstToPs2pdf, Median(file.cpuOursToPs2pdf));
        const double gs = Median(file.seconds[DirectGs]);
        shortestGs = shortestGs == 0 ? gs : std::min(shortestGs, gs);
        std::printf("%-28s %10lld %8.4f %8.4f %8.4f %8.3f %11.3f %8.3f %11.3f %9d\n",
                    qPrintable(info.fileName()), static_cast<long long>(info.size()),
                    Median(file.seconds[Ours]), Median(file.seconds[DirectGs]),
                    Median(file.seconds[Ps2pdf]), toGs, toPs2pdf, Median(file.cpuOursToGs),
                    Median(file.cpuOursToPs2pdf), file.questions);
    }
    std::printf("\nRaw seconds per round (ours | gs | ps2pdf):\n");
    for (const FileFigures &file : figures) {
        if (file.failed)
            continue;
        std::printf("  %s\n    ours   %s\n    gs     %s\n    ps2pdf %s\n",
                    qPrintable(QFileInfo(file.path).fileName()), Joined(file.seconds[Ours]).c_str(),
                    Joined(file.seconds[DirectGs]).c_str(), Joined(file.seconds[Ps2pdf]).c_str());
    }

    std::printf("\nProcessor time (less disturbed by other load): median ours/gs %.3f, worst "
                "file ours/ps2pdf %.3f\n",
                Median(cpuOverheadRatios), cpuWorstToPs2pdf);
    if (shortestGs > 0)
        std::printf("The fixed cost is %.1f%% of the shortest direct gs run (%.3f s)\n",
                    fixedCost / shortestGs * 100, shortestGs);
    const double overhead = Median(overheadRatios);
    std::printf("\nTARGET conversion overhead: median ours/gs %.3f (target <= %.2f): %s\n",
                overhead, kOverheadTarget, Verdict(overhead <= kOverheadTarget));
    std::printf("TARGET conversion vs ps2pdf: worst file ours/ps2pdf %.3f (target <= %.2f): %s\n",
                worstToPs2pdf, kPs2pdfTarget, Verdict(worstToPs2pdf <= kPs2pdfTarget));
    std::fflush(stdout);

    if (!printKinds(files, ghostscript, rounds))
        anyFailed = true;
    if (hugePagesBefore.known) {
        const std::string after =
            HugePageLine("after the conversions", ReadHugePageState(), &hugePagesBefore);
        std::printf("\n%s\n", after.c_str());
    }
    return anyFailed ? 1 : 0;
}
