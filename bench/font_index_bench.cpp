// Installed fonts on a machine with many: 2,000 faces in the user's font
// folder (copies of the test collection under new names). Times the making
// of the font index on a worker thread, with fontconfig's cache made (as on
// any machine where fonts were installed) and without, and what handing the
// fonts over adds to a conversion: the names in the document found by the
// streaming scan, looked up, their files opened and the font map written,
// against the shortest conversion (a page in one installed font).
//
//   pagora_font_index_bench [--rounds N]

#include "InstalledTestFonts.h"
#include "support/Figures.h"

#include "convert/job/ConversionJob.h"
#include "convert/input/DocumentFontNames.h"
#include "convert/fonts/FontIndex.h"
#include "convert/input/FontRepair.h"
#include "convert/fonts/InstalledFontHandover.h"
#include "convert/fonts/InstalledFonts.h"
#include "platform/files/FileDescriptor.h"
#include "platform/files/JobWorkspace.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <cstring>

namespace {

constexpr int kFaces = 2000;
constexpr double kIndexTargetMs = 200;
constexpr double kShareTarget = 0.02;

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The collection again with its family renamed to name (as long as
// "PagoraTestSans"), in both encodings of the name table.
QByteArray renamed(QByteArray collection, const QByteArray &name)
{
    const QByteArray old = "PagoraTestSans";
    QByteArray oldWide, newWide;
    for (int i = 0; i < old.size(); ++i) {
        oldWide += '\0';
        oldWide += old[i];
        newWide += '\0';
        newWide += name[i];
    }
    collection.replace(old, name);
    collection.replace(oldWide, newWide);
    return collection;
}

double indexBuildMs()
{
    auto index = std::make_shared<FontIndex>();
    const Clock::time_point start = Clock::now();
    QFuture<FontIndex::Snapshot> snapshot = index->snapshot();
    snapshot.waitForFinished();
    const double ms = msSince(start);
    if (snapshot.result()->size() < kFaces)
        std::printf("  (the index lists only %lld faces)\n", (long long)snapshot.result()->size());
    return ms;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    int rounds = 9;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--rounds") == 0)
            rounds = std::max(1, std::atoi(argv[i + 1]));

    InstalledTestFonts fonts;
    if (!fonts.isValid()) {
        std::printf("cannot make the fonts: %s\n", qPrintable(fonts.error()));
        return 1;
    }
    QFile source(fonts.collection());
    source.open(QIODevice::ReadOnly);
    const QByteArray collection = source.readAll();
    for (int copy = 1; copy * 3 < kFaces; ++copy) {
        QFile out(fonts.fontFolder() + QStringLiteral("/Copy%1.ttc").arg(copy));
        out.open(QIODevice::WriteOnly);
        out.write(renamed(collection, "Pagora" + QByteArray::number(copy).rightJustified(8, '0')));
    }

    std::vector<double> cold, warm;
    for (int round = 0; round < rounds; ++round) {
        QDir(qEnvironmentVariable("XDG_CACHE_HOME") + QStringLiteral("/fontconfig")).removeRecursively();
        cold.push_back(indexBuildMs());
        warm.push_back(indexBuildMs());
    }
    std::printf("Index of %d faces: made with fontconfig's cache %.1f ms (median; %s), "
                "without (first start after fonts were added) %.1f ms\n",
                kFaces, Median(warm), Joined(warm, "%.1f").c_str(), Median(cold));

    // A document in ten installed faces.
    QTemporaryDir work;
    QByteArray document = "%!PS-Adobe-3.0\n%%EndComments\n";
    for (int i = 1; i <= 10; ++i)
        document += "/Pagora" + QByteArray::number(i * 50).rightJustified(8, '0') +
                    "-Bold findfont 20 scalefont setfont 40 " + QByteArray::number(800 - i * 40) +
                    " moveto (Hamburg) show\n";
    document += "showpage\n";
    const QString input = work.filePath(QStringLiteral("ten.ps"));
    QFile file(input);
    file.open(QIODevice::WriteOnly);
    file.write(document);
    file.close();

    auto index = std::make_shared<FontIndex>();
    index->snapshot().waitForFinished();
    std::vector<double> handover, withoutNames, conversion;
    for (int round = 0; round < rounds + 1; ++round) {
        JobWorkspace workspace;
        const FileDescriptor opened = OpenRegularFile(input, nullptr);
        // The scan the job runs anyway, without and with the names.
        Clock::time_point start = Clock::now();
        FixPostScriptFonts(opened.get(), workspace.descriptor());
        const double plainMs = msSince(start);
        start = Clock::now();
        DocumentFontNames names;
        FixPostScriptFonts(opened.get(), workspace.descriptor(), nullptr, kFontRepairBufferSize,
                           kRepairedCopyLimit, &names);
        InstalledFontHandover fontsHandedOver(index->snapshot().result());
        fontsHandedOver.add(names.names());
        fontsHandedOver.writeMap(workspace);
        const QStringList arguments = fontsHandedOver.arguments(workspace.path());
        const double handoverMs = msSince(start);
        if (fontsHandedOver.names().size() != 10)
            std::printf("  (handed over %lld fonts, not 10)\n",
                        (long long)fontsHandedOver.names().size());

        auto *job = new ConversionJob(QStandardPaths::findExecutable(QStringLiteral("gs")), input,
                                      work.filePath(QStringLiteral("ten.pdf")), nullptr);
        job->setFontIndex(index);
        job->setMissingFonts(ConversionJob::MissingFonts::Report);
        QSignalSpy finished(job, &ConversionJob::finished);
        start = Clock::now();
        job->start();
        finished.wait(60000);
        const double conversionMs = msSince(start);
        if (round == 0)
            continue; // warm-up
        handover.push_back(handoverMs - plainMs);
        withoutNames.push_back(plainMs);
        conversion.push_back(conversionMs);
    }
    const double share = Median(handover) / Median(conversion);
    std::printf("Per conversion: the fonts handed over %.3f ms (median; scan alone %.3f ms), "
                "the conversion %.1f ms: %.2f %%\n",
                Median(handover), Median(withoutNames), Median(conversion), share * 100);
    std::printf("TARGET index of %d faces < %.0f ms: %s (%.1f ms)\n", kFaces, kIndexTargetMs,
                Verdict(Median(warm) < kIndexTargetMs), Median(warm));
    std::printf("TARGET font map < %.0f %% of the shortest conversion: %s (%.2f %%)\n",
                kShareTarget * 100, Verdict(share < kShareTarget), share * 100);
    return 0;
}
