#pragma once

#include <QString>

// How much of the input the repair holds in memory at a time.
inline constexpr qint64 kFontRepairBufferSize = 64 * 1024;

// The file name of the repaired copy in a job's workspace.
inline const QString kRepairedCopyName = QStringLiteral("gs_fixed_temp.ps");

// The path Ghostscript is to read for inputPath: the input itself, or, when the
// input spells the font name "(Lucida Grande)" or "(LucidaGrande)" in any
// letter case, a copy in folder in which every "(Lucida Grande)"
// reads "(LucidaGrande)" and every other byte is unchanged. A missing input, or
// anything but a regular file (a FIFO, a device), is returned as it is without
// being opened. Throws std::runtime_error when the input cannot be read or
// the copy cannot be written.
// It reads the whole input and may take a while: call it off the GUI thread.
QString FixPostScriptFonts(const QString &inputPath, const QString &folder,
                           qint64 bufferSize = kFontRepairBufferSize);
