#include "convert/GhostscriptConversion.h"

#include "convert/ConversionTexts.h"
#include "convert/FontRepair.h"
#include "convert/MissingFonts.h"
#include "convert/PdfCompleteness.h"
#include "platform/AtomicFile.h"
#include "platform/EndOfLine.h"
#include "platform/MessageDialog.h"
#include "platform/ProcessRunner.h"
#include "platform/TemporaryFolder.h"

#include <QDir>
#include <QFileInfo>

#include <exception>
#include <optional>

using namespace ConversionTexts;

namespace {

// Ghostscript reads a leading "-" as an option and "|" or "%" as a device or
// pipe; an absolute path starts with neither.
QString asFileArgument(const QString &path)
{
    if (path.startsWith(QLatin1Char('/')))
        return path;
    return QStringLiteral("./") + path;
}

// Under -dSAFER Ghostscript will not open a file whose path has a "|" right
// after a "/": it takes it for a pipe. A link with a plain name in the run's
// own folder reaches the same file.
QString readableBySafeGhostscript(const QString &path, const ScratchFolder &scratch)
{
    if (!path.contains(QStringLiteral("/|")))
        return path;
    const QString link = scratch.path() + QStringLiteral("/") +
                         QString::number(qHash(path), 16) + QStringLiteral(".ps");
    return QFile::link(QFileInfo(path).absoluteFilePath(), link) ? link : path;
}

void showMessage(MessagePresenter &dialogs, MessageDialog::Icon icon, const QString &message,
                 const QString &explanation)
{
    MessageDialog dialog;
    dialog.iconType = icon;
    dialog.message = message;
    dialog.explanation = explanation;
    dialog.actionButton.caption = kOk;
    dialogs.showModal(dialog);
}

void showFailure(MessagePresenter &dialogs, const QString &output)
{
    showMessage(dialogs, MessageDialog::Icon::Stop, kFailureMessage,
                kFailureExplanationHead + EndOfLine + output);
}

void showSuccess(MessagePresenter &dialogs, const QString &outputPath,
                 const QStringList &substitutedFonts)
{
    QString explanation = kSuccessExplanationHead + EndOfLine + outputPath;
    if (!substitutedFonts.isEmpty())
        explanation += EndOfLine + kSubstitutedFontsLine +
                       substitutedFonts.join(QStringLiteral(", "));
    showMessage(dialogs, MessageDialog::Icon::Note, kSuccessMessage, explanation);
}

// Ghostscript's output as the dialogs show it, with a line where its middle
// was left out.
QString transcriptText(const ProcessResult &result)
{
    if (!result.started)
        return result.errorText;
    if (result.omittedAt < 0)
        return QString::fromUtf8(result.output);
    QString head = QString::fromUtf8(result.output.left(result.omittedAt));
    if (!head.isEmpty() && !head.endsWith(EndOfLine))
        head += EndOfLine;
    return head + kOmittedOutputLine.arg(result.omittedBytes) + EndOfLine +
           QString::fromUtf8(result.output.mid(result.omittedAt));
}

// Moves Ghostscript's finished file over the output path; the reason when it cannot.
std::optional<QString> putInPlace(AtomicFile &staged)
{
    try {
        staged.commit();
    } catch (const std::exception &error) {
        return kCannotReplaceOutput + QString::fromStdString(error.what());
    }
    return std::nullopt;
}

} // namespace

QString GhostscriptFontPath()
{
    // The shell never expanded "~" inside the quotes it once stood in, so
    // Ghostscript would look for a folder literally named "~".
    return QStringLiteral("/System/Library/Fonts:/Library/Fonts:") + QDir::homePath() +
           QStringLiteral("/Library/Fonts");
}

QStringList GhostscriptArguments(const QString &inputPath, const QString &outputFile,
                                 const QString &prologPath)
{
    QString escapedOutput = asFileArgument(outputFile);
    // "%" starts a format or an I/O device in Ghostscript's output file names.
    escapedOutput.replace(QLatin1Char('%'), QStringLiteral("%%"));
    QStringList arguments{
        QStringLiteral("-dBATCH"),
        QStringLiteral("-dNOPAUSE"),
        QStringLiteral("-dSAFER"),
        QStringLiteral("-sDEVICE=pdfwrite"),
        QStringLiteral("-sFONTPATH=") + GhostscriptFontPath(),
        QStringLiteral("-sOutputFile=") + escapedOutput,
    };
    if (!prologPath.isEmpty())
        arguments << asFileArgument(prologPath);
    arguments << asFileArgument(inputPath);
    return arguments;
}

void ConvertWithGhostscript(const QString &ghostscriptPath, const QString &inputPath,
                            const QString &outputPath, const QString &prologArgument,
                            ConversionContext &context, const QStringList &boundFonts)
{
    QString inputToConvert;
    try {
        inputToConvert = FixPostScriptFonts(inputPath);
    } catch (const std::exception &error) {
        // Thrown on through the window's event handler it would end the program.
        showFailure(context.dialogs, kCannotRepairInput + QString::fromStdString(error.what()));
        return;
    }

    // Ghostscript empties its output file when it starts, so it never writes
    // to the user's PDF directly.
    AtomicFile staged{FolderItem(outputPath)};
    try {
        staged.open();
    } catch (const std::exception &error) {
        showFailure(context.dialogs, kCannotCreateOutput + QString::fromStdString(error.what()));
        return;
    }

    ProcessResult result;
    {
        // Under -dSAFER a document may still write and delete files in the
        // temporary folder; it gets a fresh one of its own, removed afterwards.
        ScratchFolder scratch;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"TMPDIR", "TEMP", "TMP"})
            environment.insert(QString::fromLatin1(name), scratch.path());

        ProcessRunner shell(context.timeoutMs);
        shell.setEnvironment(environment);
        shell.setObserver(context.observer);
        shell.setOutputLimit(ConversionContext::kTranscriptLimit);
        result = shell.run(ghostscriptPath,
                           GhostscriptArguments(readableBySafeGhostscript(inputToConvert, scratch),
                                                staged.siblingPath(),
                                                readableBySafeGhostscript(prologArgument, scratch)));
    }
    if (result.cancelled)
        return;

    const QString output = transcriptText(result);
    const bool ranThrough = result.succeeded() && QFileInfo(staged.siblingPath()).size() > 0;
    // Ghostscript reports a full disk under its PDF but still exits with 0.
    const bool produced = ranThrough && IsCompletePdf(staged.siblingPath());

    const QStringList missingFonts = RecognizeMissingFonts(output);
    // A retry whose prolog already binds every font it reports found no
    // better font than Ghostscript's own substitute; asking again would
    // only repeat the same question.
    const bool substitutedAlready =
        !missingFonts.isEmpty() && AreAllSubstituted(missingFonts, boundFonts);
    if (!missingFonts.isEmpty() && !substitutedAlready) {
        // Declining the substitution keeps the PDF this run made; a retry
        // replaces it only when it succeeds.
        if (produced)
            putInPlace(staged);
        HandleMissingFonts(missingFonts, ghostscriptPath, inputPath, outputPath, prologArgument,
                           context, boundFonts);
        return;
    }

    if (result.timedOut) {
        showFailure(context.dialogs, output + EndOfLine + kTimedOutLine);
        return;
    }
    if (result.crashed) {
        // Its transcript just stops; without this line nothing would say why.
        showFailure(context.dialogs, output + EndOfLine + kCrashedLine);
        return;
    }
    if (!produced) {
        showFailure(context.dialogs, ranThrough ? output + EndOfLine + kIncompletePdfLine : output);
        return;
    }
    if (const auto error = putInPlace(staged)) {
        showFailure(context.dialogs, output + EndOfLine + *error);
        return;
    }
    showSuccess(context.dialogs, outputPath, substitutedAlready ? missingFonts : QStringList());
}
