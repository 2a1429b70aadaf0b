// Font-name repair on large files, against grep and sed on the same file:
//
//   pagora_repair_bench --generate BYTES with|without FILE
//       writes generated PostScript of that size, with "(Lucida Grande)" in
//       every 64 KiB or nowhere;
//   pagora_repair_bench [--rounds N] WITHOUT.ps WITH.ps
//       times the scan of WITHOUT.ps (no name: nothing is written) against
//       grep -F -i -c '(lucida grande)', and the rewriting of WITH.ps against
//       sed 's/(Lucida Grande)/(LucidaGrande)/Ig' writing beside it, side by
//       side round by round, and the peak memory of each repair run over that
//       of a run on an empty file;
//   pagora_repair_bench --repair FILE
//       the child each repair run is: FixPostScriptFonts on FILE, printing the
//       seconds it took.
//
// The repaired copy goes to FILE's folder, as a job's goes to its workspace,
// so that it and sed's output land on the same disk.

#include "support/ChildProcess.h"
#include "support/Figures.h"

#include "convert/input/FontRepair.h"
#include "platform/files/FolderItem.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

constexpr double kScanTarget = 1.0;        // ours / grep, at most
constexpr double kRewriteTarget = 3.0;     // sed / ours, at least
constexpr double kRewriteTargetFromMiB = 50; // the rewrite target holds from this size on
constexpr double kMemoryGrowthTarget = 64; // MiB over a run on an empty file
constexpr qint64 kNameEvery = 64 * 1024;

// PostScript as a typesetter writes it: font set-up, then lines of positioned
// words. "with" puts a "(Lucida Grande)" look-up into every 64 KiB (the first
// in the set-up); "without" has only near misses such as "(Lucida Sans)".
int generate(qint64 size, bool withName, const QString &path)
{
    QByteArray block;
    std::uint32_t seed = 12345;
    auto next = [&seed] { return seed = seed * 1103515245u + 12345u; };
    static const char *const words[] = {
        "conversion",  "PostScript", "(Lucida", "Sans)",  "Grande", "font", "findfont", "page",
        "Ghostscript", "the",        "of",      "lucida", "and",    "a",    "to",       "in"};
    const QByteArray named = withName ? "/F9 (Lucida Grande) cvn findfont 10 scalefont def\n"
                                      : "/F9 (Lucida Sans) cvn findfont 10 scalefont def\n";
    block += "%!PS-Adobe-3.0\n%%Creator: generated\n";
    while (block.size() < 1024 * 1024) {
        if (block.size() / kNameEvery != (block.size() + 80) / kNameEvery || block.size() < 100)
            block += named;
        block += QByteArray::number(72 + next() % 400) + ' ' +
                 QByteArray::number(72 + next() % 700) + " m(";
        for (int n = 0; n < 8; ++n) {
            block += words[next() % std::size(words)];
            block += ' ';
        }
        block += ")-.25 E\n";
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 1;
    for (qint64 written = 0; written < size; written += block.size()) {
        const qint64 part = std::min<qint64>(block.size(), size - written);
        if (file.write(block.constData(), part) != part)
            return 1;
    }
    return file.flush() ? 0 : 1;
}

// The child: one repair, timed inside the process so that loading the
// program is not counted, as the window has long been loaded at a drop.
int repairOnce(const QString &path)
{
    try {
        const auto start = std::chrono::steady_clock::now();
        const QString result = FixPostScriptFonts(path, QFileInfo(path).absolutePath());
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("%.6f %s\n", seconds, qPrintable(result));
        return 0;
    } catch (const std::exception &error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
}

// Both rewrites must give the same bytes, or the race is not a fair one.
bool sameBytes(const QString &first, const QString &second)
{
    QFile a(first);
    QFile b(second);
    if (!a.open(QIODevice::ReadOnly) || !b.open(QIODevice::ReadOnly) || a.size() != b.size())
        return false;
    for (;;) {
        const QByteArray left = a.read(1 << 20);
        if (left != b.read(1 << 20))
            return false;
        if (left.isEmpty())
            return true;
    }
}

// Every run starts from the same state: no output of an earlier run (ext4
// writes a file out at once when it replaces another one by rename or
// truncation, which would time the disk rather than the program) and no
// written data still on its way to the disk.
void startAfresh(const QString &output = QString())
{
    if (!output.isEmpty())
        QFile::remove(output);
#ifdef Q_OS_UNIX
    ::sync();
#endif
}

struct RepairRun {
    bool ok = false;
    double inside = 0; // FixPostScriptFonts alone
    double whole = 0;  // the whole child process
    double peakMiB = 0;
};

RepairRun runRepair(const std::string &self, const QString &file, const QString &folder)
{
    const std::string out = (folder + QStringLiteral("/repair.out")).toStdString();
    const ChildRun child = RunChild({self, "--repair", file.toStdString()}, out);
    RepairRun run;
    run.whole = child.seconds;
    run.peakMiB = child.peakRssMiB;
    QFile report(QString::fromStdString(out));
    if (child.exitCode != 0 || !report.open(QIODevice::ReadOnly))
        return run;
    run.inside = report.readLine().split(' ').value(0).toDouble(&run.ok);
    return run;
}

struct Series {
    std::vector<double> seconds;
    void add(double value) { seconds.push_back(value); }
    double median() const { return Median(seconds); }
};

int compare(const std::string &self, int rounds, const QString &without, const QString &with)
{
    const QString folder = QFileInfo(with).absolutePath();
    const QString empty = folder + QStringLiteral("/empty.ps");
    QFile(empty).open(QIODevice::WriteOnly | QIODevice::Truncate);
    const std::string sedOut = (folder + QStringLiteral("/sed-out.ps")).toStdString();
    const std::vector<std::string> grep{
        "grep", "-F", "-i", "-c", "(lucida grande)", without.toStdString()};
    const std::vector<std::string> grepEmpty{
        "grep", "-F", "-i", "-c", "(lucida grande)", empty.toStdString()};
    const std::vector<std::string> sed{"sed", "s/(Lucida Grande)/(LucidaGrande)/Ig",
                                       with.toStdString()};
    const QString repairedCopy = FolderItem(folder).child(kRepairedCopyName).nativePath();

    Series scanInside, scanWhole, grepRun, grepStart, rewriteInside, rewriteWhole, sedRun;
    Series emptyPeak, scanPeak, rewritePeak, scanToGrep, sedToRewrite;
    bool failed = false;
    // Round 0 brings the files into the page cache and is not counted.
    for (int round = 0; round <= rounds && !failed; ++round) {
        RepairRun scan, rewrite, onEmpty;
        ChildRun grepped, grepOnEmpty, sedded;
        for (int k = 0; k < 5; ++k) {
            switch ((round + k) % 5) {
            case 0:
                startAfresh();
                scan = runRepair(self, without, folder);
                break;
            case 1:
                startAfresh();
                grepped = RunChild(grep);
                break;
            case 2:
                startAfresh(repairedCopy);
                rewrite = runRepair(self, with, folder);
                break;
            case 3:
                startAfresh(QString::fromStdString(sedOut));
                sedded = RunChild(sed, sedOut);
                break;
            default:
                startAfresh();
                onEmpty = runRepair(self, empty, folder);
                grepOnEmpty = RunChild(grepEmpty);
            }
        }
        // grep counts 0 lines with 1 as its status; sed must succeed.
        failed =
            !scan.ok || !rewrite.ok || !onEmpty.ok || grepped.exitCode != 1 || sedded.exitCode != 0;
        if (round == 0 || failed)
            continue;
        scanInside.add(scan.inside);
        scanWhole.add(scan.whole);
        grepRun.add(grepped.seconds);
        grepStart.add(grepOnEmpty.seconds);
        rewriteInside.add(rewrite.inside);
        rewriteWhole.add(rewrite.whole);
        sedRun.add(sedded.seconds);
        emptyPeak.add(onEmpty.peakMiB);
        scanPeak.add(scan.peakMiB);
        rewritePeak.add(rewrite.peakMiB);
        scanToGrep.add(scan.inside / grepped.seconds);
        sedToRewrite.add(sedded.seconds / rewrite.inside);
    }
    const bool same = sameBytes(repairedCopy, QString::fromStdString(sedOut));
    QFile::remove(repairedCopy);
    QFile::remove(QString::fromStdString(sedOut));
    QFile::remove(empty);
    if (failed) {
        std::fprintf(stderr, "a run did not succeed\n");
        return 1;
    }
    if (!same)
        std::fprintf(stderr, "the repaired copy and sed's output differ\n");

    const double mib = double(QFileInfo(without).size()) / (1024.0 * 1024.0);
    const double growth =
        std::max(*std::max_element(scanPeak.seconds.begin(), scanPeak.seconds.end()),
                 *std::max_element(rewritePeak.seconds.begin(), rewritePeak.seconds.end())) -
        emptyPeak.median();
    std::printf("Font-name repair on %.0f MiB, %d rounds after one warm-up\n", mib, rounds);
    std::printf("  scan (no name)    ours %.4f s in-process (%.4f s whole process), grep %.4f s "
                "(of it start %.4f s): %.0f vs %.0f MiB/s\n",
                scanInside.median(), scanWhole.median(), grepRun.median(), grepStart.median(),
                mib / scanInside.median(), mib / grepRun.median());
    std::printf("  rewrite (name)    ours %.4f s in-process (%.4f s whole process), sed %.4f s; "
                "copies byte-identical: %s\n",
                rewriteInside.median(), rewriteWhole.median(), sedRun.median(),
                same ? "yes" : "NO");
    std::printf("  peak RSS          empty file %.1f MiB, scan %.1f MiB, rewrite %.1f MiB\n",
                emptyPeak.median(), scanPeak.median(), rewritePeak.median());
    std::printf("  raw scan ours     %s\n  raw grep          %s\n",
                Joined(scanInside.seconds).c_str(), Joined(grepRun.seconds).c_str());
    std::printf("  raw rewrite ours  %s\n  raw sed           %s\n",
                Joined(rewriteInside.seconds).c_str(), Joined(sedRun.seconds).c_str());
    std::printf("TARGET repair scan %.0f MiB: ours/grep %.3f (target <= %.2f): %s\n", mib,
                scanToGrep.median(), kScanTarget, Verdict(scanToGrep.median() <= kScanTarget));
    // At 1 MiB both sides are mostly the start of a process: a figure, no target.
    if (mib < kRewriteTargetFromMiB)
        std::printf("FIGURE repair rewrite %.0f MiB: sed/ours %.2f\n", mib, sedToRewrite.median());
    else
        std::printf("TARGET repair rewrite %.0f MiB: sed/ours %.2f (target >= %.1f): %s\n", mib,
                    sedToRewrite.median(), kRewriteTarget,
                    Verdict(sedToRewrite.median() >= kRewriteTarget));
    std::printf("TARGET repair memory %.0f MiB: peak growth %.1f MiB (target <= %.0f MiB): %s\n",
                mib, growth, kMemoryGrowthTarget, Verdict(growth <= kMemoryGrowthTarget));
    return same ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    if (arguments.size() == 2 && arguments[0] == "--repair")
        return repairOnce(QString::fromStdString(arguments[1]));
    if (arguments.size() == 4 && arguments[0] == "--generate")
        return generate(std::stoll(arguments[1]), arguments[2] == "with",
                        QString::fromStdString(arguments[3]));

    int rounds = 5;
    std::vector<QString> files;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == "--rounds" && i + 1 < arguments.size())
            rounds = std::max(1, std::atoi(arguments[++i].c_str()));
        else
            files.push_back(QFileInfo(QString::fromStdString(arguments[i])).absoluteFilePath());
    }
    if (files.size() != 2) {
        std::fprintf(stderr,
                     "usage: %s [--rounds N] WITHOUT.ps WITH.ps\n"
                     "       %s --generate BYTES with|without FILE\n",
                     argv[0], argv[0]);
        return 2;
    }
    return compare(QFileInfo(QString::fromLocal8Bit(argv[0])).absoluteFilePath().toStdString(),
                   rounds, files[0], files[1]);
}
