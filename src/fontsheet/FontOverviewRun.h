#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class SaveFileChooser;

// How one run of the font overview ended.
struct FontOverviewResult {
    // The new text of the window's status label; nothing: it keeps its text.
    std::optional<QString> status;
    // Why the run failed, for the window to tell; for a sheet that could not
    // be written it names the file, and an earlier file of that name is left
    // as it was. Nothing when nothing failed.
    std::optional<QString> failure;
};

// The button "PostScript - Fontübersicht", once FontListing has listed the
// fonts: builds the sample sheet, asks where to save it and writes it. It
// returns at once; finished gets the result exactly once, later from the
// event loop and never from within this call: once the file has been chosen
// and written, or the dialog cancelled. Nothing is thrown; a failure is in
// the result.
void RunFontOverview(SaveFileChooser &chooser, const QStringList &names,
                     std::function<void(const FontOverviewResult &)> finished);
