#pragma once

#include <QString>
#include <QStringList>

// The entries of the three font folders, each cut at its first ".", in the
// order the listing gives them. Duplicates and non-font entries stay in.
QStringList ListInstalledFonts();

// Turns the text of the folder listing into font names: folder headings
// (lines ending in ":") and empty lines are dropped, every other line is cut
// at its first "." and trimmed; an entry that starts with "." gives nothing.
QStringList ParseFontListing(const QString &listing);
