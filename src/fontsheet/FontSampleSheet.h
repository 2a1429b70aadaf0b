#pragma once

#include <QByteArray>
#include <QStringList>

// The PostScript sample sheet for A4 with one specimen block per name, twenty
// to a page, each font re-encoded to the code page 1252 glyph names first. The
// names are meant to be at least one; an empty list gives a sheet whose only
// page is blank. Names are carried as UTF-8.
QByteArray BuildFontSampleSheet(const QStringList &fontNames);
