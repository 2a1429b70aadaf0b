#pragma once

#include "platform/text/ProgramText.h"

// The reasons a watched folder writes into its logs, in the program's
// language (the command line speaks English).
namespace WatchTexts {

inline constexpr ProgramText kIsLink = PAGORA_TEXT(
    "WatchTexts", "Es handelt sich um einen symbolischen Link; er wird nicht geöffnet.");
inline constexpr ProgramText kIsFolder =
    PAGORA_TEXT("WatchTexts", "Es handelt sich um einen Ordner; er wird nicht geöffnet.");
inline constexpr ProgramText kIsNoFile = PAGORA_TEXT(
    "WatchTexts",
    "Es handelt sich um keine gewöhnliche Datei (etwa eine Pipe oder ein Gerät); sie wird "
    "nicht geöffnet.");
inline constexpr ProgramText kFontsMissing = PAGORA_TEXT("WatchTexts", "Fehlende Fonts: %1");
// %1: the folder, %2: the system's reason.
inline constexpr ProgramText kCannotOpenFolder =
    PAGORA_TEXT("WatchTexts", "Der Ordner %1 kann nicht angelegt oder geöffnet werden: %2");

} // namespace WatchTexts
