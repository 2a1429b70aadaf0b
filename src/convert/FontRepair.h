#pragma once

#include <QString>

// The path Ghostscript is to read for inputPath: the input itself, or a copy
// with the font name "(Lucida Grande)" repaired.
QString FixPostScriptFonts(const QString &inputPath);
