#include "fontsheet/FontOverviewRun.h"

#include "fontsheet/FontSampleSheet.h"
#include "fontsheet/FontSheetTexts.h"
#include "platform/desktop/DesktopServices.h"
#include "platform/files/TextStreams.h"
#include "platform/text/EndOfLine.h"
#include "platform/text/SystemErrorText.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <exception>
#include <stdexcept>
#include <utility>

namespace {

// What the window tells of a failure that carries no text of ours.
QString reasonOf(const std::exception_ptr &failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const std::exception &error) {
        return FailureText(error);
    } catch (...) {
    }
    return QString();
}

FontOverviewResult writeSheet(const FolderItem &file, const QByteArray &sheet, qsizetype count)
{
    // The stream writes a hidden sibling and renames it into place only when it
    // is complete, so a failed write leaves an earlier file of that name whole.
    try {
        TextOutputStream stream = TextOutputStream::create(file);
        stream.write(sheet);
        stream.close();
    } catch (const std::exception &error) {
        return {std::nullopt, FontSheetTexts::kCannotWriteSheet.arg(FailureText(error))};
    } catch (...) {
        return {std::nullopt, reasonOf(std::current_exception())};
    }
    return {FontSheetTexts::FontsFound(count) + EndOfLine, std::nullopt};
}

} // namespace

void RunFontOverview(SaveFileChooser &chooser, const QStringList &names,
                     std::function<void(const FontOverviewResult &)> finished)
{
    const auto finishLater = [&finished](const FontOverviewResult &result) {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [finished, result] { finished(result); },
            Qt::QueuedConnection);
    };
    if (names.isEmpty()) {
        finishLater({FontSheetTexts::kNoFontsFound, std::nullopt});
        return;
    }
    try {
        // The sheet is complete before the dialog opens, so that nothing but
        // the writing itself is left once the user has chosen a file.
        QByteArray sheet = BuildFontSampleSheet(names);
        chooser.saveFileDialog(QString(), FontSheetTexts::kProposedSheetName,
                               [finished, sheet = std::move(sheet),
                                count = names.size()](const std::optional<FolderItem> &file) {
                                   finished(file ? writeSheet(*file, sheet, count)
                                                 : FontOverviewResult{});
                               });
    } catch (...) {
        finishLater({std::nullopt, reasonOf(std::current_exception())});
    }
}
