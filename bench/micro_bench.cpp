// In-process work: the font sample sheet and the missing-font recognition.
// After the usual Google Benchmark output, one TARGET line per target compares
// the medians of the repetitions with what the program has to reach.

#include "support/Figures.h"

#include "convert/fonts/MissingFonts.h"
#include "fontsheet/FontSampleSheet.h"
#include "convert/job/GhostscriptArguments.h"
#include "install/GhostscriptLocator.h"
#include "platform/sandbox/GhostscriptSandbox.h"
#include "platform/sandbox/SandboxRules.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QString>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr double kSheetLargestTarget = 0.050; // seconds for 100 000 names
constexpr double kLinearWithin = 2.0;         // largest / smallest time per unit
constexpr double kRecognitionTarget = 200.0;  // MiB/s on the 50 MiB transcript
constexpr double kSandboxSetupTarget = 0.001; // seconds per confined start
constexpr double kMiB = 1024.0 * 1024.0;

// Names as the font folders give them: file names cut at their first ".",
// some with blanks, now and then one with a parenthesis to be escaped.
QStringList fontNames(qsizetype count)
{
    static const char *const stems[] = {
        "Helvetica Neue",           "SFNSText-Bold", "Arial Unicode", "Hiragino Sans GB W3",
        "Times New Roman (Kursiv)", "AppleGothic",   "Menlo-Regular", "Zapfino"};
    QStringList names;
    names.reserve(count);
    for (qsizetype i = 0; i < count; ++i)
        names.append(QString::fromLatin1(stems[i % std::size(stems)]) + QLatin1Char(' ') +
                     QString::number(i));
    return names;
}

void BM_FontSampleSheet(benchmark::State &state)
{
    const QStringList names = fontNames(state.range(0));
    qsizetype bytes = 0;
    for (auto _ : state) {
        const QByteArray sheet = BuildFontSampleSheet(names);
        benchmark::DoNotOptimize(sheet.constData());
        bytes = sheet.size();
    }
    state.SetBytesProcessed(state.iterations() * bytes);
    state.counters["fonts"] =
        benchmark::Counter(double(state.range(0)), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_FontSampleSheet)->Arg(10)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);

// A transcript as Ghostscript writes it for a long document that misses fonts:
// its banner, then per page the font lookups, with now and then a font it has
// to substitute. Forty fonts go missing in all, each reported many times.
QByteArray ghostscriptTranscript(qsizetype bytes)
{
    QByteArray transcript(
        "GPL Ghostscript 10.0.0 (2022-09-21)\n"
        "Copyright (C) 2022 Artifex Software, Inc.  All rights reserved.\n"
        "This software is supplied under the GNU AGPLv3 and comes with NO WARRANTY:\n"
        "see the file COPYING for details.\n"
        "Querying operating system for font files...\n");
    transcript.reserve(bytes + 512);
    for (int page = 1; transcript.size() < bytes; ++page) {
        const QByteArray font = "Futura-Condensed" + QByteArray::number(page % 40);
        transcript += "Page " + QByteArray::number(page) + '\n';
        transcript += "Can't find (or can't open) font file " + font +
                      ".\n"
                      "Didn't find this font on the system!\n"
                      "Substituting font Helvetica-Bold for " +
                      font +
                      ".\n"
                      "Loading NimbusSans-Bold font from /usr/share/ghostscript/"
                      "10.00.0/Resource/Font/NimbusSans-Bold... 5060800 3698866 "
                      "2706460 1387867 1 done.\n";
    }
    transcript.truncate(bytes);
    return transcript;
}

void BM_RecognizeMissingFonts(benchmark::State &state)
{
    const qsizetype bytes = state.range(0);
    const QByteArray transcript = ghostscriptTranscript(bytes);
    for (auto _ : state) {
        const QByteArrayList missing = RecognizeMissingFonts(transcript);
        benchmark::DoNotOptimize(missing.constData());
    }
    state.SetBytesProcessed(state.iterations() * bytes);
}
BENCHMARK(BM_RecognizeMissingFonts)
    ->Arg(512 * 1024)
    ->Arg(5 * 1024 * 1024)
    ->Arg(50 * 1024 * 1024)
    ->Unit(benchmark::kMillisecond);

// What each conversion pays before Ghostscript starts to confine it: the
// Landlock rules and the system-call filter, made as a job makes them (its
// workspace and its input by descriptor, the font folders by path).
void BM_SandboxPrepare(benchmark::State &state)
{
    const QString ghostscript = FindGhostscriptExecutable();
    QTemporaryDir workspace;
    const int folder = ::open(QFile::encodeName(workspace.path()).constData(),
                              O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const QString inputPath = workspace.filePath(QStringLiteral("input.ps"));
    QFile(inputPath).open(QIODevice::WriteOnly);
    const int input = ::open(QFile::encodeName(inputPath).constData(), O_RDONLY | O_CLOEXEC);
    if (ghostscript.isEmpty() || folder < 0 || input < 0) {
        state.SkipWithError("no Ghostscript or no workspace");
        return;
    }
    for (auto _ : state) {
        SandboxRules rules;
        rules.executable = ghostscript;
        rules.workspace = workspace.path();
        rules.workspaceDescriptor = folder;
        rules.readableDescriptors = {input};
        rules.fontFolders = SandboxRules::foldersOfFontPath(GhostscriptFontPath());
        const GhostscriptSandbox sandbox = GhostscriptSandbox::prepare(rules);
        benchmark::DoNotOptimize(sandbox.ready());
    }
    ::close(input);
    ::close(folder);
}
BENCHMARK(BM_SandboxPrepare)->Arg(1)->Unit(benchmark::kMicrosecond);

// Keeps the median of every case's repetitions, by function and argument.
class TargetReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &run : runs) {
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "median")
                continue;
            const double seconds =
                run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
            // Without repetitions the single run stands for its median.
            m_seconds[run.run_name.function_name][std::stoll(run.run_name.args)] = seconds;
        }
        ConsoleReporter::ReportRuns(runs);
    }

    // Seconds per iteration, by argument.
    const std::map<long long, double> &seconds(const std::string &function)
    {
        return m_seconds[function];
    }

private:
    std::map<std::string, std::map<long long, double>> m_seconds;
};

// The largest over the smallest of the seconds per unit (font or byte).
double spread(const std::map<long long, double> &seconds)
{
    double lowest = 0;
    double highest = 0;
    for (const auto &[units, time] : seconds) {
        const double perUnit = time / double(units);
        lowest = lowest == 0 ? perUnit : std::min(lowest, perUnit);
        highest = std::max(highest, perUnit);
    }
    return lowest > 0 ? highest / lowest : 0;
}

void printTargets(TargetReporter &reporter)
{
    const auto &sheet = reporter.seconds("BM_FontSampleSheet");
    if (!sheet.empty()) {
        std::printf("\nSample sheet, time per font:");
        for (const auto &[fonts, time] : sheet)
            std::printf("  %lld: %.1f ns", fonts, time / double(fonts) * 1e9);
        std::printf("\n");
        if (const auto largest = sheet.find(100000); largest != sheet.end())
            std::printf("TARGET sample sheet 100000 names: %.2f ms (target < %.0f ms): %s\n",
                        largest->second * 1e3, kSheetLargestTarget * 1e3,
                        Verdict(largest->second < kSheetLargestTarget));
        std::printf("TARGET sample sheet linear: time per font spread %.2fx (target <= %.1fx): "
                    "%s\n",
                    spread(sheet), kLinearWithin, Verdict(spread(sheet) <= kLinearWithin));
    }
    const auto &sandbox = reporter.seconds("BM_SandboxPrepare");
    if (const auto one = sandbox.find(1); one != sandbox.end())
        std::printf("TARGET sandbox set-up, filter included: %.0f us (target < %.0f us): %s\n",
                    one->second * 1e6, kSandboxSetupTarget * 1e6,
                    Verdict(one->second < kSandboxSetupTarget));
    const auto &recognition = reporter.seconds("BM_RecognizeMissingFonts");
    if (!recognition.empty()) {
        std::printf("\nMissing-font recognition, throughput:");
        for (const auto &[bytes, time] : recognition)
            std::printf("  %.1f MiB: %.0f MiB/s", double(bytes) / kMiB,
                        double(bytes) / kMiB / time);
        std::printf("\n");
        if (const auto largest = recognition.find(50 * 1024 * 1024); largest != recognition.end()) {
            const double rate = double(largest->first) / kMiB / largest->second;
            std::printf("TARGET missing-font recognition 50 MiB: %.0f MiB/s (target >= %.0f "
                        "MiB/s): %s\n",
                        rate, kRecognitionTarget, Verdict(rate >= kRecognitionTarget));
        }
        std::printf("TARGET missing-font recognition linear: time per byte spread %.2fx "
                    "(target <= %.1fx): %s\n",
                    spread(recognition), kLinearWithin,
                    Verdict(spread(recognition) <= kLinearWithin));
    }
}

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    TargetReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    printTargets(reporter);
    benchmark::Shutdown();
    return 0;
}
