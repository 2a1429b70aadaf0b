#pragma once

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
