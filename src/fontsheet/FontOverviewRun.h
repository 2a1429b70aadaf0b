#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class SaveFileChooser;

using FontLister = std::function<QStringList()>;

// The button "PostScript - Fontübersicht": lists the fonts, builds the sample
// sheet, asks where to save it and writes it. Returns the new text of the
// window's status label, or nothing when the label is to keep its text.
std::optional<QString> RunFontOverview(SaveFileChooser &chooser, const FontLister &listFonts);
