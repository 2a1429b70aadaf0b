#pragma once

#include "convert/pdf/PdfKind.h"

#include <QString>
#include <QStringList>

// The fonts the Ghostscript font path names; "~" stands for the user's home.
QString GhostscriptFontPath();

// The argument vector Ghostscript is started with, for files named inside a
// job's workspace (Ghostscript runs there). prologName, when not empty, stands
// in front of the input so that its definitions come first. A figure is
// cropped to its bounding box: its PDF page is the figure, not a sheet of paper.
QStringList GhostscriptArguments(const QString &inputName, const QString &outputName,
                                 const QString &prologName, bool figure = false);

// The same for a kind of PDF: the kind's options follow the output, the code
// it runs first stands before the files, and its definition file (a name in
// the workspace, when the kind has one) is read before the prolog and the
// input. Standard gives the vector above.
QStringList GhostscriptArguments(const QString &inputName, const QString &outputName,
                                 const QString &prologName, bool figure, PdfKind kind,
                                 const QString &profilePath = QString(),
                                 const QString &definitionName = QString());
