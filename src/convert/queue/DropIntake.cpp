#include "convert/queue/DropIntake.h"

#include "convert/queue/ConversionInputs.h"
#include "convert/job/ConversionTexts.h"
#include "convert/job/GhostscriptConversion.h"
#include "install/InstallTexts.h"
#include "platform/text/EndOfLine.h"
#include "platform/files/FolderItem.h"
#include "platform/desktop/MessageDialog.h"

using namespace ConversionTexts;

namespace {

void refuse(MessagePresenter &dialogs, const QString &message, const QString &explanation,
            const std::function<void()> &answered)
{
    MessageDialog dialog;
    dialog.iconType = MessageDialog::Icon::Stop;
    dialog.message = message;
    dialog.explanation = explanation;
    dialog.actionButton.caption = kOk;
    dialogs.open(dialog, [answered](MessageDialog::Button) {
        if (answered)
            answered();
    });
}

} // namespace

QString GhostscriptForDrop(MessagePresenter &dialogs, const QStringList &ghostscriptCandidates,
                           const InstallationHelp &installation,
                           const std::function<void()> &answered)
{
    const QString ghostscript = FindGhostscriptExecutable(ghostscriptCandidates);
    if (ghostscript.isEmpty()) {
        const QString command = installation.installCommand();
        refuse(dialogs, kNoGhostscriptMessage,
               command.isEmpty() ? InstallTexts::kUseThePackageManager
                                 : kNoGhostscriptExplanationHead + EndOfLine + command,
               answered);
    }
    return ghostscript;
}

void RefuseNotPostScript(MessagePresenter &dialogs, const std::function<void()> &answered)
{
    refuse(dialogs, kNotPostScriptMessage, kNotPostScriptExplanation, answered);
}

ConversionJob *IntakeDrop(const QStringList &droppedPaths, MessagePresenter &dialogs,
                          const QStringList &ghostscriptCandidates, QObject *parent,
                          const InstallationHelp &installation,
                          const std::function<void()> &refusalAnswered, PdfKind kind)
{
    // Only the first of several dropped files counts.
    if (droppedPaths.isEmpty() || droppedPaths.first().isEmpty())
        return nullptr;
    const QString inputPath = FolderItem(droppedPaths.first()).nativePath();

    const std::optional<QString> outputPath = PdfPathFor(inputPath);
    if (!outputPath) {
        RefuseNotPostScript(dialogs, refusalAnswered);
        return nullptr;
    }

    const QString ghostscript =
        GhostscriptForDrop(dialogs, ghostscriptCandidates, installation, refusalAnswered);
    if (ghostscript.isEmpty())
        return nullptr;

    return ConvertWithGhostscript(ghostscript, inputPath, *outputPath, dialogs, parent, kind);
}
