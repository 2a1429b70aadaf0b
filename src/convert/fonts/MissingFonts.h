#pragma once

#include "platform/desktop/MessageDialog.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QString>

// Font names are kept as the bytes Ghostscript printed, from the transcript to
// the prolog: a name that is not UTF-8 must be bound under exactly the bytes
// the document asks for. They are decoded only to be shown.
QString DisplayFontName(const QByteArray &name);

// The fonts a Ghostscript transcript reports as not found, in first-seen order
// and each once. Ghostscript prints "Substituting font <substitute> for <name>."
// once for every font it has to stand in for; the name is kept as printed.
QByteArrayList RecognizeMissingFonts(const QByteArray &transcript);

// True when every missing font is one that a prolog binding boundFonts already
// binds, under its own name or under its target name: running again with the
// same prolog could only report the same fonts.
bool AreAllSubstituted(const QByteArrayList &missingFonts, const QByteArrayList &boundFonts);

// The names the next prolog binds: those bound so far, then each missing font
// that is not yet bound. Keeping the earlier ones lets a document that asks
// for other fonts once the first are found come to an end.
QByteArrayList FontsToSubstitute(const QByteArrayList &boundFonts,
                                 const QByteArrayList &missingFonts);

// The missing fonts of a run under the names every text gives them: a prolog
// binds "Gill Sans" to the font GillSans, and when that is missing as well
// Ghostscript reports "GillSans", which stands for the name the question
// asked about (each bound name of that target). Each name once, in the order
// reported.
QByteArrayList NamesAsAsked(const QByteArrayList &missingFonts, const QByteArrayList &boundFonts);

// The question of the missing-font dialog, listing every missing font and a
// replacement for the first.
QString MissingFontsExplanation(const QByteArrayList &missingFonts);

// The whole missing-font dialog: "Ja, Ersatzfont verwenden" or "Nein, abbrechen".
MessageDialog MissingFontsDialog(const QByteArrayList &missingFonts);

// The names as a success message lists them: "A, B".
QString JoinedFontNames(const QByteArrayList &names);
