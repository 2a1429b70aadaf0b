#include "app/CommandLineConverter.h"

#include "app/CommandLineTexts.h"
#include "app/CommandLineWatcher.h"
#include "app/Version.h"
#include "convert/job/ConversionTexts.h"
#include "convert/queue/ConversionQueue.h"
#include "convert/fonts/FontSubstitution.h"
#include "install/GhostscriptLocator.h"
#include "convert/fonts/MissingFonts.h"
#include "platform/process/ChildProcess.h"
#include "platform/files/JobWorkspace.h"
#include "platform/process/TerminationSignals.h"
#include "platform/text/Translations.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QRegularExpression>

#include <cstdio>
#include <optional>

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
QString shown(const QString &name)
{
    return OnOneLine(name);
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

void print(FILE *stream, const QString &text)
{
    const QByteArray bytes = ForTerminal(text);
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

// What stands in line for the placeholders of text, from the first to the
// last with the text between them; nothing when line is not that text.
std::optional<QString> filledIn(const QString &line, const QString &text)
{
    static const QRegularExpression placeholder(QStringLiteral("%[0-9]"));
    const qsizetype first = text.indexOf(placeholder);
    const qsizetype last = text.lastIndexOf(placeholder);
    if (first < 0)
        return std::nullopt;
    const QString head = text.left(first);
    const QString tail = text.mid(last + 2);
    if (line.size() < head.size() + tail.size() || !line.startsWith(head) || !line.endsWith(tail))
        return std::nullopt;
    return line.mid(head.size(), line.size() - head.size() - tail.size());
}

// The job's explanation, written for its dialog, told in one line of the
// command line's own: Ghostscript's own error line where there is one, else
// the explanation's last line.
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
        ProgramText conversion;
        const QString &commandLine;
    } whole[] = {
        {ConversionTexts::kTimedOutLine, kTimedOut},
        {ConversionTexts::kCrashedLine, kCrashed},
        {ConversionTexts::kIncompletePdfLine, kIncompletePdf},
    };
    for (const auto &text : whole) {
        if (last == text.conversion)
            return text.commandLine;
    }
    const struct {
        ProgramText conversion;
        const QString &commandLine;
    } heads[] = {
        {ConversionTexts::kCannotCreateOutput, kCannotCreateOutput},
        {ConversionTexts::kCannotReplaceOutput, kCannotReplaceOutput},
        {ConversionTexts::kCannotRepairInput, kCannotRepairInput},
        {ConversionTexts::kCannotWriteSubstitution, kCannotWriteSubstitution},
        {ConversionTexts::kCannotPrepareWorkspace, kCannotPrepareWorkspace},
        {ConversionTexts::kCannotConfine, kCannotConfine},
        {ConversionTexts::kNoSrgbProfile, kNoSrgbProfile},
        {ConversionTexts::kCannotWriteDefinition, kCannotWriteDefinition},
    };
    for (const auto &text : heads) {
        if (const std::optional<QString> rest = filledIn(last, text.conversion))
            return text.commandLine + *rest;
    }
    // Ghostscript's first line of why, below the head.
    const qsizetype lost = lines.indexOf(ConversionTexts::kPdfaLostHead);
    if (lost >= 0 && lost + 1 < lines.size())
        return kPdfaLost + lines.at(lost + 1).trimmed().remove(0, 2);
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
    ConversionOptions options;
    options.missingFonts = m_command.substituteFonts ? ConversionJob::MissingFonts::Substitute
                                                     : ConversionJob::MissingFonts::Report;
    options.outputFolder = m_command.outputFolder;
    options.pdfKind = m_command.pdfKind;
    m_queue = new ConversionQueue(m_ghostscriptPath, options, this);
    for (const QString &named : std::as_const(m_command.files)) {
        File file;
        file.named = named;
        file.shownOutput = shownOutputFor(named, m_command.outputFolder);
        m_files.append(file);
        m_queue->add(named);
    }
    connect(m_queue, &ConversionQueue::fileFinished, this, &CommandLineConverter::onFileFinished);
    connect(m_queue, &ConversionQueue::finished, this, &CommandLineConverter::endIfDone);
    m_queue->start();
}

void CommandLineConverter::onFileFinished(int index)
{
    const QueuedFile &queued = m_queue->file(index);
    File &file = m_files[index];
    switch (queued.refusal) {
    case QueuedFile::Refusal::NotPostScript:
        fail(file, kNotPostScript);
        break;
    case QueuedFile::Refusal::NoSuchFile:
        fail(file, kNoSuchFile);
        break;
    case QueuedFile::Refusal::NoGhostscript:
        fail(file, kNoGhostscript);
        break;
    case QueuedFile::Refusal::SameOutput:
        fail(file, kSameOutput.arg(shown(m_files.at(queued.sameOutputAs).named)));
        break;
    case QueuedFile::Refusal::None:
        switch (queued.outcome) {
        case ConversionJob::Outcome::Converted: {
            file.done = true;
            QString line = kConvertedLine.arg(shown(file.named), shown(file.shownOutput));
            if (!queued.substitutedFonts.isEmpty())
                line += kSubstitutedSuffix.arg(shown(JoinedFontNames(queued.substitutedFonts)));
            file.line = line;
            break;
        }
        case ConversionJob::Outcome::FontsMissing: {
            const QByteArrayList &missing = queued.missingFonts;
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
            file.transcript = queued.failureText;
            fail(file, reasonOf(file.transcript));
            break;
        }
        break;
    }
    printReady(m_signal != 0);
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
    m_queue->cancel();
}

void CommandLineConverter::endIfDone()
{
    if (m_ended || m_queue->finishedCount() < m_queue->total())
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
    // The conversion's texts in English, like the lines around them.
    InstallCommandLineTranslations(application);
    // What a killed run of the program left behind, whatever this run does.
    RemoveStaleWorkspaces();

    switch (command.action) {
    case CommandLine::Action::Help:
        print(stdout, CommandLineHelp());
        return 0;
    case CommandLine::Action::Version:
        print(stdout, QStringLiteral("Pagora %1\n").arg(QLatin1String(kPagoraVersion)));
        return 0;
    case CommandLine::Action::Watch:
        return RunWatchFolders(command, FindGhostscriptExecutable());
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
