#pragma once

#include "platform/text/ProgramText.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>

// The font overview's own texts and fixed values, byte for byte.
namespace FontSheetTexts {

// Error messages of a missing or unreadable folder go to /dev/null, so the
// folders that can be read are still listed.
inline const QString kFontListingCommand =
    QStringLiteral("ls /System/Library/Fonts/ /Library/Fonts/ ~/Library/Fonts/ 2>/dev/null");
inline constexpr int kFontListingTimeoutMs = 5000;
// Off macOS: every font file fontconfig knows, one path a line.
inline const QString kFontconfigProgram = QStringLiteral("fc-list");
inline const QStringList kFontconfigArguments{QStringLiteral("--format"),
                                              QStringLiteral("%{file}\\n")};
// The listing is kept up to this size, its beginning and its end: a folder
// filled with hundreds of thousands of names gave tens of megabytes of
// listing and hundreds of megabytes of memory. 4 MiB still hold some 50 000
// font paths, far more than a sheet of twenty fonts a page is read for.
inline constexpr qint64 kFontListingOutputLimit = 4 * 1024 * 1024;

inline const QString kProposedSheetName = QStringLiteral("SystemFonts.ps");

inline constexpr ProgramText kNoFontsFound = PAGORA_TEXT("FontSheetTexts", "Keine Fonts gefunden!");
// The number of names in the list in plain decimal, then " Fonts gefunden."
// for any number; English tells one font from several.
inline constexpr const char *kFontsFound =
    QT_TRANSLATE_N_NOOP("FontSheetTexts", "%n Fonts gefunden.");
inline QString FontsFound(qsizetype count)
{
    return QCoreApplication::translate("FontSheetTexts", kFontsFound, nullptr, int(count));
}

// %1: the reason.
inline constexpr ProgramText kCannotWriteSheet =
    PAGORA_TEXT("FontSheetTexts", "Die Fontübersicht kann nicht gespeichert werden: %1");

} // namespace FontSheetTexts
