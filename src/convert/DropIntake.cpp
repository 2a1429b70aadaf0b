#include "convert/DropIntake.h"

#include "convert/ConversionTexts.h"
#include "convert/GhostscriptConversion.h"
#include "install/InstallTexts.h"
#include "platform/EndOfLine.h"
#include "platform/FolderItem.h"
#include "platform/MessageDialog.h"

using namespace ConversionTexts;

namespace {

void refuse(MessagePresenter &dialogs, const QString &message, const QString &explanation)
{
    MessageDialog dialog;
    dialog.iconType = MessageDialog::Icon::Stop;
    dialog.message = message;
    dialog.explanation = explanation;
    dialog.actionButton.caption = kOk;
    dialogs.open(dialog, [](MessageDialog::Button) {});
}

} // namespace

std::optional<QString> PdfPathForDrop(const QString &droppedPath)
{
    const FolderItem file(droppedPath);
    const QString name = file.name();
    const QString testName = name.toLower();
    if (!testName.endsWith(QLatin1String(".ps")) && !testName.endsWith(QLatin1String(".eps")))
        return std::nullopt;

    const QString baseName = name.left(name.lastIndexOf(QLatin1Char('.')));
    QString folderPath = file.parent().nativePath();
    if (!folderPath.endsWith(QLatin1Char('/')))
        folderPath += QLatin1Char('/');
    return folderPath + baseName + QStringLiteral(".pdf");
}

QString GhostscriptForDrop(MessagePresenter &dialogs, const QStringList &ghostscriptCandidates,
                           const InstallationHelp &installation)
{
    const QString ghostscript = FindGhostscriptExecutable(ghostscriptCandidates);
    if (ghostscript.isEmpty()) {
        const QString command = installation.installCommand();
        refuse(dialogs, kNoGhostscriptMessage,
               command.isEmpty() ? InstallTexts::kUseThePackageManager
                                 : kNoGhostscriptExplanationHead + EndOfLine + command);
    }
    return ghostscript;
}

ConversionJob *IntakeDrop(const QStringList &droppedPaths, MessagePresenter &dialogs,
                          const QStringList &ghostscriptCandidates, QObject *parent,
                          const InstallationHelp &installation)
{
    // Only the first of several dropped files counts.
    if (droppedPaths.isEmpty() || droppedPaths.first().isEmpty())
        return nullptr;
    const QString inputPath = FolderItem(droppedPaths.first()).nativePath();

    const std::optional<QString> outputPath = PdfPathForDrop(inputPath);
    if (!outputPath) {
        refuse(dialogs, kNotPostScriptMessage, kNotPostScriptExplanation);
        return nullptr;
    }

    const QString ghostscript = GhostscriptForDrop(dialogs, ghostscriptCandidates, installation);
    if (ghostscript.isEmpty())
        return nullptr;

    return ConvertWithGhostscript(ghostscript, inputPath, *outputPath, dialogs, parent);
}
