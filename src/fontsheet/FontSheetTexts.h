#pragma once

#include <QString>

// The font overview's own texts and fixed values, byte for byte.
namespace FontSheetTexts {

// Error messages of a missing or unreadable folder go to /dev/null, so the
// folders that can be read are still listed.
inline const QString kFontListingCommand =
    QStringLiteral("ls /System/Library/Fonts/ /Library/Fonts/ ~/Library/Fonts/ 2>/dev/null");
inline constexpr int kFontListingTimeoutMs = 5000;

inline const QString kProposedSheetName = QStringLiteral("SystemFonts.ps");

inline const QString kNoFontsFound = QStringLiteral("Keine Fonts gefunden!");
inline const QString kFontsFoundTail = QStringLiteral(" Fonts gefunden.");

inline const QString kCannotWriteSheet =
    QStringLiteral("Die Fontübersicht kann nicht gesichert werden: ");

} // namespace FontSheetTexts
