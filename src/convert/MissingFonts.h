#pragma once

#include <QString>
#include <QStringList>

struct ConversionContext;

// The fonts a Ghostscript transcript reports as not found, in first-seen order
// and each once. Ghostscript prints "Substituting font <substitute> for <name>."
// once for every font it has to stand in for; the name is kept as printed.
QStringList RecognizeMissingFonts(const QString &transcript);

// True when every missing font is one that a prolog binding boundFonts already
// binds, under its own name or under its target name: running again with the
// same prolog could only report the same fonts.
bool AreAllSubstituted(const QStringList &missingFonts, const QStringList &boundFonts);

// The names the next prolog binds: those bound so far, then each missing font
// that is not yet bound. Keeping the earlier ones lets a document that asks
// for other fonts once the first are found come to an end.
QStringList FontsToSubstitute(const QStringList &boundFonts, const QStringList &missingFonts);

// The question of the missing-font dialog, listing every missing font and a
// replacement for the first.
QString MissingFontsExplanation(const QStringList &missingFonts);

// Asks whether to run again with substitutes for the missing fonts, and does
// so when the user agrees. boundFonts are the names the current run's prolog
// bound (empty for a first run).
void HandleMissingFonts(const QStringList &missingFonts, const QString &ghostscriptPath,
                        const QString &inputPath, const QString &outputPath,
                        const QString &prologArgument, ConversionContext &context,
                        const QStringList &boundFonts = {});
