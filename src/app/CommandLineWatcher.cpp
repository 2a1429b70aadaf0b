#include "app/CommandLineWatcher.h"

#include "app/CommandLine.h"
#include "app/CommandLineTexts.h"
#include "convert/watch/WatchedFolder.h"
#include "platform/process/ChildProcess.h"
#include "platform/process/TerminationSignals.h"

#include <QCoreApplication>
#include <QDir>
#include <QList>

#include <cstdio>
#include <memory>

using namespace CommandLineTexts;

namespace
{

void printLine(FILE *stream, const QString &line)
{
    const QByteArray bytes = ForTerminal(line + QLatin1Char('\n'));
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

// A file's line; with several folders each name stands under its folder.
QString lineFor(const WatchedFile &file, const QString &folder, bool several)
{
    const QString prefix = several ? folder + QLatin1Char('/') : QString();
    if (file.converted)
        return kConvertedLine.arg(OnOneLine(prefix + file.input), OnOneLine(prefix + file.output));
    return kFailedLine.arg(OnOneLine(prefix + file.input), OnOneLine(file.reason));
}

} // namespace

int RunWatchFolders(const CommandLine &command, const QString &ghostscriptPath)
{
    WatchOptions options;
    options.pdfKind = command.pdfKind;
    options.missingFonts = command.substituteFonts ? MissingFontPolicy::Substitute
                                                   : MissingFontPolicy::Report;
    options.parallelJobs = command.jobs;
    const bool several = command.watchFolders.size() > 1;
    std::vector<std::unique_ptr<WatchedFolder>> folders;
    for (const QString &name : command.watchFolders) {
        auto folder = std::make_unique<WatchedFolder>(ghostscriptPath, name, options);
        QObject::connect(folder.get(), &WatchedFolder::fileDone, [name, several](const WatchedFile &file) {
            printLine(stdout, lineFor(file, QDir::cleanPath(name), several));
        });
        QString error;
        if (!folder->start(&error))
            return ReportUsageError(kCannotWatch.arg(error));
        folders.push_back(std::move(folder));
    }
    // The first signal stops taking files and cancels what runs, whose
    // inputs stay in In; the program ends once every folder has stopped. A
    // second one does not wait.
    int stopping = 0;
    const auto oneStopped = [&stopping, count = int(folders.size())] {
        if (++stopping == count)
            QCoreApplication::exit(0);
    };
    for (const auto &folder : folders)
        QObject::connect(folder.get(), &WatchedFolder::stopped, oneStopped);
    TerminationSignals termination;
    bool received = false;
    QObject::connect(&termination, &TerminationSignals::received,
                     [&folders, &received](int signalNumber) {
                         if (received) {
                             StopAllChildProcesses();
                             QCoreApplication::exit(128 + signalNumber);
                             return;
                         }
                         received = true;
                         for (const auto &folder : folders)
                             folder->stop();
                     });
    return QCoreApplication::exec();
}
