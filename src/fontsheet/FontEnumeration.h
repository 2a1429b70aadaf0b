#pragma once

#include "platform/process/ProcessResult.h"

#include <QString>
#include <QStringList>

// The text of a listing that was cut in the middle for its size, without the
// two lines the cut went through: they would give names no font has.
QString CompleteListingLines(const ProcessResult &result);

// Turns the text of the folder listing into font names: folder headings
// (lines ending in ":") and empty lines are dropped, every other line is cut
// at its first "." and trimmed; an entry that starts with "." gives nothing.
// Names stay in the listing's order, duplicates included.
QStringList ParseFontListing(const QString &listing);

// Turns fontconfig's list of font files, one path a line, into font names:
// each file's name (the path's last part) up to its first ".", each name
// once, sorted (fontconfig's own order follows its cache, which means nothing
// to a reader of the sheet).
QStringList ParseFontconfigListing(const QString &listing);
