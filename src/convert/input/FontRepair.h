#pragma once

#include <QString>

#include <atomic>
#include <stdexcept>

class DocumentFontNames;

// How much of the input the repair holds in memory at a time.
inline constexpr qint64 kFontRepairBufferSize = 64 * 1024;

// The file name of the repaired copy in a job's workspace.
inline const QString kRepairedCopyName = QStringLiteral("gs_fixed_temp.ps");

// The largest repaired copy written, as for every file of a conversion.
inline constexpr quint64 kRepairedCopyLimit = quint64(4) << 30;

// Thrown when a repair is told to stop (cancel, time-out, a termination signal).
class RepairStopped : public std::runtime_error
{
public:
    RepairStopped() : std::runtime_error("stopped") {}
};

// The repair of an open document: reads input from its start (without moving
// its file offset) and, when it spells "(Lucida Grande)" in any letter case,
// writes kRepairedCopyName into the open folder with every such name
// reading "(LucidaGrande)" and every other byte unchanged. Returns whether it
// wrote the copy. Between two blocks it looks at stop and throws
// RepairStopped once it is set. Throws std::runtime_error when the input
// cannot be read, the copy cannot be written or would grow past copyLimit.
// fonts, when given, is fed the whole input on the way: the fonts the
// document names.
bool FixPostScriptFonts(int input, int folder, const std::atomic<bool> *stop = nullptr,
                        qint64 bufferSize = kFontRepairBufferSize,
                        quint64 copyLimit = kRepairedCopyLimit,
                        DocumentFontNames *fonts = nullptr);

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
