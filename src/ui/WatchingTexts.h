#pragma once

#include "platform/text/ProgramText.h"

// The window's texts about the folders it watches, byte for byte as the user
// sees them.
namespace WatchingTexts
{

// The window's line while it watches. %1: the folders' names.
inline constexpr ProgramText kWatchingLine = PAGORA_TEXT("WatchingTexts", "Überwacht: %1");
// %1: the files converted, %2: those that failed, since the window opened.
inline constexpr ProgramText kWatchingCounts =
    PAGORA_TEXT("WatchingTexts", "%1 umgewandelt, %2 fehlgeschlagen");
inline constexpr ProgramText kShowResults = PAGORA_TEXT("WatchingTexts", "Ergebnisse anzeigen");

inline constexpr ProgramText kChooseFolderTitle =
    PAGORA_TEXT("WatchingTexts", "Ordner zum Überwachen wählen");
inline constexpr ProgramText kCannotWatch =
    PAGORA_TEXT("WatchingTexts", "Der Ordner kann nicht überwacht werden.");

// The list of what became of the watched files.
inline constexpr ProgramText kResultsTitle = PAGORA_TEXT("WatchingTexts", "Überwachte Ordner");
// %1: the file's name, %2: its PDF.
inline constexpr ProgramText kConvertedEntry = PAGORA_TEXT("WatchingTexts", "%1 → %2");
// %1: the file's name, %2: why it failed.
inline constexpr ProgramText kFailedEntry = PAGORA_TEXT("WatchingTexts", "%1: %2");
// %1: where the log lies.
inline constexpr ProgramText kLogEntry = PAGORA_TEXT("WatchingTexts", "Protokoll: %1");

} // namespace WatchingTexts
