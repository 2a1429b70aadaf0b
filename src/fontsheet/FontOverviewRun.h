#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class SaveFileChooser;

// The button "PostScript - Fontübersicht", once FontListing has listed the
// fonts: builds the sample sheet, asks where to save it and writes it.
// Returns the new text of the window's status label, or nothing when the
// label is to keep its text.
// Throws std::runtime_error naming the file when the sheet cannot be written;
// an earlier file of that name is then left as it was.
std::optional<QString> RunFontOverview(SaveFileChooser &chooser, const QStringList &names);
