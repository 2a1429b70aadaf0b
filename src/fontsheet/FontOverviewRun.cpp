#include "fontsheet/FontOverviewRun.h"

#include "fontsheet/FontSampleSheet.h"
#include "fontsheet/FontSheetTexts.h"
#include "platform/DesktopServices.h"
#include "platform/EndOfLine.h"
#include "platform/TextStreams.h"

#include <stdexcept>

std::optional<QString> RunFontOverview(SaveFileChooser &chooser, const QStringList &names)
{
    if (names.isEmpty())
        return FontSheetTexts::kNoFontsFound;

    // The sheet is complete before the dialog opens, so that nothing but the
    // writing itself is left once the user has chosen a file.
    const QByteArray sheet = BuildFontSampleSheet(names);

    const std::optional<FolderItem> file =
        chooser.showSaveFileDialog(QString(), FontSheetTexts::kProposedSheetName);
    if (!file)
        return std::nullopt;

    // The stream writes a hidden sibling and renames it into place only when it
    // is complete, so a failed write leaves an earlier file of that name whole.
    // The failure goes on to the window with the reason and the path.
    try {
        TextOutputStream stream = TextOutputStream::create(*file);
        stream.write(sheet);
        stream.close();
    } catch (const std::runtime_error &error) {
        throw std::runtime_error(
            (FontSheetTexts::kCannotWriteSheet + QString::fromUtf8(error.what())).toStdString());
    }

    return QString::number(names.size()) + FontSheetTexts::kFontsFoundTail + EndOfLine;
}
