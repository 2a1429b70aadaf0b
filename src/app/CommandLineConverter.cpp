#include "app/CommandLineConverter.h"

#include "app/CommandLineTexts.h"
#include "app/Version.h"
#include "convert/ConversionTexts.h"
#include "convert/DropIntake.h"
#include "convert/FontSubstitution.h"
#include "convert/GhostscriptLocator.h"
#include "convert/MissingFonts.h"
#include "platform/ChildProcess.h"
#include "platform/JobWorkspace.h"
#include "platform/TerminationSignals.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <cstdio>

#include <sys/stat.h>
#include <unistd.h>

using namespace CommandLineTexts;

namespace
{

// A control character: C0, DEL or C1, which a terminal acts on rather than
// shows.
bool isControl(QChar c)
{
    return c.unicode() < 0x20 || (c.unicode() >= 0x7f && c.unicode() <= 0x9f);
}

// A name as a line shows it: a control character (a newline in a file name)
// would break the one-line-per-file promise.
QString shown(QString name)
{
    for (QChar &c : name) {
        if (isControl(c))
            c = QLatin1Char('?');
    }
    return name;
}

// Ghostscript's transcript for a terminal: the document chose its bytes, and
// an escape sequence among them must not reach the terminal. Lines and tabs
// stay; into a pipe or a file it goes as it is.
QString forStandardError(QString transcript)
{
    if (::isatty(STDERR_FILENO) != 1)
        return transcript;
    for (QChar &c : transcript) {
        if (isControl(c) && c != QLatin1Char('\n') && c != QLatin1Char('\t'))
            c = QLatin1Char('?');
    }
    return transcript;
}

// Which PDF an output path writes: its folder by device and inode, and its
// name, so that a folder reached through a link is the folder itself. A
// folder that cannot be looked at is its spelling.
QString OutputIdentity(const QString &output)
{
    const QFileInfo info(output);
    struct stat folder {
    };
    if (::stat(QFile::encodeName(info.absolutePath()).constData(), &folder) != 0)
        return QDir::cleanPath(output);
    return QStringLiteral("%1:%2/").arg(folder.st_dev).arg(folder.st_ino) + info.fileName();
}

void print(FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

// The job's explanation, in German for its dialog, told in one English line:
// Ghostscript's own error line where there is one, else the explanation's
// last line.
QString reasonOf(const QString &failureText)
{
    const QStringList lines = failureText.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QString last;
    for (auto line = lines.crbegin(); line != lines.crend(); ++line) {
        if (!line->trimmed().isEmpty()) {
            last = line->trimmed();
            break;
        }
    }
    const struct {
        const QString &german;
        const QString &english;
    } whole[] = {
        {ConversionTexts::kTimedOutLine, kTimedOut},
        {ConversionTexts::kCrashedLine, kCrashed},
        {ConversionTexts::kIncompletePdfLine, kIncompletePdf},
    };
    for (const auto &text : whole) {
        if (last == text.german)
            return text.english;
    }
    const struct {
        const QString &german;
        const QString &english;
    } heads[] = {
        {ConversionTexts::kCannotCreateOutput, kCannotCreateOutput},
        {ConversionTexts::kCannotReplaceOutput, kCannotReplaceOutput},
        {ConversionTexts::kCannotRepairInput, kCannotRepairInput},
        {ConversionTexts::kCannotWriteSubstitution, kCannotWriteSubstitution},
        {ConversionTexts::kCannotPrepareWorkspace, kCannotPrepareWorkspace},
        {ConversionTexts::kCannotConfine, kCannotConfine},
    };
    for (const auto &text : heads) {
        if (last.startsWith(text.german))
            return text.english + last.mid(text.german.size());
    }
    for (const QString &line : lines) {
        if (line.startsWith(QLatin1String("Error: ")))
            return line.trimmed();
    }
    return last.isEmpty() ? kGhostscriptFailed : last;
}

// The output's name as the user named the input: "docs/a.ps" -> "docs/a.pdf",
// or "pdf/a.pdf" with --output-dir pdf.
QString shownOutputFor(const QString &named, const QString &outputFolder)
{
    const QString baseName = QFileInfo(named).fileName().section(QLatin1Char('.'), 0, -2);
    const QString pdfName = baseName + QStringLiteral(".pdf");
    if (!outputFolder.isEmpty()) {
        QString folder = outputFolder;
        if (!folder.endsWith(QLatin1Char('/')))
            folder += QLatin1Char('/');
        return folder + pdfName;
    }
    const qsizetype slash = named.lastIndexOf(QLatin1Char('/'));
    return named.left(slash + 1) + pdfName;
}

} // namespace

CommandLineConverter::CommandLineConverter(const CommandLine &command, QString ghostscriptPath,
                                           QObject *parent)
    : QObject(parent), m_command(command), m_ghostscriptPath(std::move(ghostscriptPath))
{
}

CommandLineConverter::~CommandLineConverter() = default;

void CommandLineConverter::start()
{
    // Two files that would write one PDF: the later one fails rather than
    // overwrite what the earlier one made.
    QHash<QString, QString> claimed;
    for (const QString &named : std::as_const(m_command.files)) {
        File file;
        file.named = named;
        file.input = QFileInfo(named).absoluteFilePath();
        std::optional<QString> beside = PdfPathForDrop(file.input);
        if (beside) {
            file.output =
                m_command.outputFolder.isEmpty()
                    ? *beside
                    : QDir(m_command.outputFolder).absoluteFilePath(QFileInfo(*beside).fileName());
            file.shownOutput = shownOutputFor(named, m_command.outputFolder);
        }
        if (!beside)
            fail(file, kNotPostScript);
        else if (!QFileInfo::exists(file.input))
            fail(file, kNoSuchFile);
        else if (m_ghostscriptPath.isEmpty())
            fail(file, kNoGhostscript);
        else if (claimed.contains(OutputIdentity(file.output)))
            fail(file, kSameOutput.arg(shown(claimed.value(OutputIdentity(file.output)))));
        else
            claimed.insert(OutputIdentity(file.output), named);
        m_files.append(file);
    }
    // Told from the event loop, after the caller has connected to finished().
    QMetaObject::invokeMethod(
        this,
        [this] {
            printReady();
            startMore();
            endIfDone();
        },
        Qt::QueuedConnection);
}

void CommandLineConverter::startMore()
{
    const int atOnce = qMax(1, QThread::idealThreadCount());
    while (m_signal == 0 && m_running.size() < atOnce && m_next < m_files.size()) {
        const int index = m_next++;
        const File &file = m_files.at(index);
        if (file.done)
            continue;
        auto *job = new ConversionJob(m_ghostscriptPath, file.input, file.output, nullptr, this);
        job->setMissingFonts(m_command.substituteFonts ? ConversionJob::MissingFonts::Substitute
                                                       : ConversionJob::MissingFonts::Report);
        connect(job, &ConversionJob::finished, this,
                [this, index, job](ConversionJob::Outcome outcome) {
                    onJobFinished(index, job, outcome);
                });
        m_running.append(job);
        job->start();
    }
}

void CommandLineConverter::onJobFinished(int index, ConversionJob *job,
                                         ConversionJob::Outcome outcome)
{
    // The job deletes itself after this: what it found is read now.
    m_running.removeOne(job);
    File &file = m_files[index];
    switch (outcome) {
    case ConversionJob::Outcome::Converted: {
        file.done = true;
        QString line = kConvertedLine.arg(shown(file.named), shown(file.shownOutput));
        if (!job->substitutedFonts().isEmpty())
            line += kSubstitutedSuffix.arg(shown(JoinedFontNames(job->substitutedFonts())));
        file.line = line;
        break;
    }
    case ConversionJob::Outcome::FontsMissing: {
        const QByteArrayList missing = job->missingFonts();
        file.done = true;
        file.failed = true;
        file.line =
            kFontsLine.arg(shown(file.named), shown(JoinedFontNames(missing)),
                           shown(SuggestReplacementFont(DisplayFontName(missing.value(0)))));
        break;
    }
    case ConversionJob::Outcome::Cancelled:
    case ConversionJob::Outcome::Declined:
        // Only a signal cancels a job here; its file gets no line.
        file.done = true;
        file.failed = true;
        break;
    case ConversionJob::Outcome::Failed:
        file.transcript = job->failureText();
        fail(file, reasonOf(file.transcript));
        break;
    }
    printReady(m_signal != 0);
    startMore();
    endIfDone();
}

void CommandLineConverter::fail(File &file, const QString &reason)
{
    file.done = true;
    file.failed = true;
    file.line = kFailedLine.arg(shown(file.named), shown(reason));
}

void CommandLineConverter::printReady(bool all)
{
    for (int index = m_printed; index < m_files.size(); ++index) {
        File &file = m_files[index];
        if (!file.done) {
            if (all)
                continue;
            break;
        }
        if (file.line && (!m_command.quiet || file.failed))
            print(stdout, *file.line + QLatin1Char('\n'));
        if (file.line && !file.transcript.isEmpty()) {
            QString transcript = file.transcript;
            if (!transcript.endsWith(QLatin1Char('\n')))
                transcript += QLatin1Char('\n');
            print(stderr, kTranscriptHead.arg(shown(file.named)) + QLatin1Char('\n') +
                              forStandardError(transcript));
        }
        file.line.reset();
        if (!all)
            m_printed = index + 1;
    }
}

void CommandLineConverter::cancel(int signalNumber)
{
    if (m_signal != 0)
        return;
    m_signal = signalNumber;
    // Lines of files already done are not held back for the ones cut off.
    printReady(true);
    const QList<ConversionJob *> running = m_running;
    for (ConversionJob *job : running)
        job->cancel();
    endIfDone();
}

void CommandLineConverter::endIfDone()
{
    if (m_ended || !m_running.isEmpty())
        return;
    if (m_signal == 0 && m_printed < m_files.size())
        return;
    m_ended = true;
    if (m_signal != 0) {
        emit finished(128 + m_signal);
        return;
    }
    bool failed = false;
    for (const File &file : std::as_const(m_files))
        failed = failed || file.failed;
    emit finished(failed ? 1 : 0);
}

int RunCommandLine(int argc, char **argv, const CommandLine &command)
{
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Pagora"));
    QCoreApplication::setApplicationVersion(QLatin1String(kPagoraVersion));
    // What a killed run of the program left behind, whatever this run does.
    RemoveStaleWorkspaces();

    switch (command.action) {
    case CommandLine::Action::Help:
        print(stdout, CommandLineHelp());
        return 0;
    case CommandLine::Action::Version:
        print(stdout, QStringLiteral("Pagora %1\n").arg(QLatin1String(kPagoraVersion)));
        return 0;
    case CommandLine::Action::UsageError:
    case CommandLine::Action::Window:
        return ReportUsageError(command.error);
    case CommandLine::Action::Convert:
        break;
    }

    CommandLineConverter converter(command, FindGhostscriptExecutable());
    QObject::connect(&converter, &CommandLineConverter::finished, &application,
                     [](int exitStatus) { QCoreApplication::exit(exitStatus); });
    // The first signal cancels the jobs, which stop their Ghostscript and
    // remove their workspaces; a second one does not wait for that.
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::received, &converter,
                     [&converter, received = false](int signalNumber) mutable {
                         if (received) {
                             StopAllChildProcesses();
                             QCoreApplication::exit(128 + signalNumber);
                             return;
                         }
                         received = true;
                         converter.cancel(signalNumber);
                     });
    converter.start();
    return QCoreApplication::exec();
}
