#pragma once

#include <QString>

// The line separator of every dialog explanation and every PostScript file the
// program writes: a single line feed, as on macOS.
inline const QString EndOfLine = QStringLiteral("\n");
