#pragma once

#include "platform/text/ProgramText.h"

// Why the platform could not give a conversion its private folder or its
// sandbox: the reasons that follow the conversion's own sentence, each in
// turn followed by the system's error text where there is one.
namespace PlatformTexts {

// %1: the temporary folder that was asked for.
inline constexpr ProgramText kNoOwnTemporaryFolder =
    PAGORA_TEXT("PlatformTexts", "Kein temporärer Ordner, den nur dieser Benutzer ändern kann: %1");
// %1: the folder, %2: the system's error text.
inline constexpr ProgramText kNoPrivateTemporaryFolder =
    PAGORA_TEXT("PlatformTexts", "Kein eigener temporärer Ordner in %1: %2");
// %1: the private temporary folder.
inline constexpr ProgramText kNoWorkspace =
    PAGORA_TEXT("PlatformTexts", "In %1 lässt sich kein Ordner anlegen");

inline constexpr ProgramText kNoSeccomp =
    PAGORA_TEXT("PlatformTexts", "Dieser Kernel kennt keine seccomp-Filter");
inline constexpr ProgramText kCannotBuildProcessFilter =
    PAGORA_TEXT("PlatformTexts", "Der Prozessfilter lässt sich nicht erstellen");
inline constexpr ProgramText kNoLandlock =
    PAGORA_TEXT("PlatformTexts", "Landlock ist in diesem Kernel nicht verfügbar");
inline constexpr ProgramText kLandlockOnlyOnLinux =
    PAGORA_TEXT("PlatformTexts", "Landlock gibt es nur unter Linux");
inline constexpr ProgramText kNothingToConfine =
    PAGORA_TEXT("PlatformTexts", "Programm oder Arbeitsordner fehlen");
inline constexpr ProgramText kCannotCreateRuleset =
    PAGORA_TEXT("PlatformTexts", "Die Landlock-Regeln lassen sich nicht anlegen");
// %1: a path, or an open descriptor told by kDescriptor.
inline constexpr ProgramText kCannotGrant =
    PAGORA_TEXT("PlatformTexts", "Der Zugriff auf %1 lässt sich nicht freigeben");
inline constexpr ProgramText kDescriptor = PAGORA_TEXT("PlatformTexts", "Deskriptor %1");

} // namespace PlatformTexts
