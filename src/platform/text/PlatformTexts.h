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
// %1: the private temporary folder, %2: the system's reason.
inline constexpr ProgramText kNoWorkspace =
    PAGORA_TEXT("PlatformTexts", "In %1 lässt sich kein Ordner anlegen: %2");

inline constexpr ProgramText kNoSeccomp =
    PAGORA_TEXT("PlatformTexts", "Dieser Kernel kennt keine seccomp-Filter");
inline constexpr ProgramText kCannotBuildProcessFilter =
    PAGORA_TEXT("PlatformTexts", "Der Prozessfilter lässt sich nicht erstellen");
// %1: the call that failed, %2: the system's reason.
inline constexpr ProgramText kCannotBuildProcessFilterAt =
    PAGORA_TEXT("PlatformTexts", "Der Prozessfilter lässt sich nicht erstellen (%1): %2");
inline constexpr ProgramText kNoLandlock =
    PAGORA_TEXT("PlatformTexts", "Landlock ist in diesem Kernel nicht verfügbar");
inline constexpr ProgramText kLandlockOnlyOnLinux =
    PAGORA_TEXT("PlatformTexts", "Landlock gibt es nur unter Linux");
inline constexpr ProgramText kNothingToConfine =
    PAGORA_TEXT("PlatformTexts", "Programm oder Arbeitsordner fehlen");
// %1: the system's reason.
inline constexpr ProgramText kCannotCreateRuleset =
    PAGORA_TEXT("PlatformTexts", "Die Landlock-Regeln lassen sich nicht anlegen: %1");
// %1: a path, or an open descriptor told by kDescriptor; %2: the system's reason.
inline constexpr ProgramText kCannotGrant =
    PAGORA_TEXT("PlatformTexts", "Der Zugriff auf %1 lässt sich nicht freigeben: %2");
inline constexpr ProgramText kDescriptor = PAGORA_TEXT("PlatformTexts", "Deskriptor %1");

// The system's common reasons (SystemErrorText), in the program's language:
// they follow a sentence of ours and a colon, as the C library's texts do.
inline constexpr ProgramText kPermissionDenied = PAGORA_TEXT("PlatformTexts", "Keine Berechtigung");
inline constexpr ProgramText kNotPermitted =
    PAGORA_TEXT("PlatformTexts", "Der Vorgang ist nicht erlaubt");
inline constexpr ProgramText kNoSuchFile =
    PAGORA_TEXT("PlatformTexts", "Datei oder Ordner nicht gefunden");
inline constexpr ProgramText kNoSpace =
    PAGORA_TEXT("PlatformTexts", "Auf dem Datenträger ist kein Platz mehr frei");
inline constexpr ProgramText kQuotaExceeded =
    PAGORA_TEXT("PlatformTexts", "Das Speicherkontingent ist ausgeschöpft");
inline constexpr ProgramText kReadOnly =
    PAGORA_TEXT("PlatformTexts", "Der Datenträger ist schreibgeschützt");
inline constexpr ProgramText kExists = PAGORA_TEXT("PlatformTexts", "Die Datei existiert bereits");
inline constexpr ProgramText kIsFolder = PAGORA_TEXT("PlatformTexts", "Es ist ein Ordner");
inline constexpr ProgramText kIsNoFolder = PAGORA_TEXT("PlatformTexts", "Es ist kein Ordner");
// The program opens without following links, so a link is refused this way.
inline constexpr ProgramText kLinkRefused = PAGORA_TEXT(
    "PlatformTexts", "Ein symbolischer Link, dem nicht gefolgt wird, oder zu viele Links");
inline constexpr ProgramText kNameTooLong = PAGORA_TEXT("PlatformTexts", "Der Name ist zu lang");
inline constexpr ProgramText kTooManyOpenFiles =
    PAGORA_TEXT("PlatformTexts", "Zu viele Dateien sind geöffnet");
inline constexpr ProgramText kOtherFileSystem =
    PAGORA_TEXT("PlatformTexts", "Das geht nicht über Dateisystemgrenzen hinweg");
inline constexpr ProgramText kBusy =
    PAGORA_TEXT("PlatformTexts", "Das Gerät oder die Ressource ist belegt");
inline constexpr ProgramText kInputOutputError =
    PAGORA_TEXT("PlatformTexts", "Fehler beim Lesen oder Schreiben des Datenträgers");

// What an unexpected failure says instead of the exception's own text.
inline constexpr ProgramText kNoMemory =
    PAGORA_TEXT("PlatformTexts", "Nicht genug Arbeitsspeicher.");
inline constexpr ProgramText kUnexpectedFailure =
    PAGORA_TEXT("PlatformTexts", "Ein unerwarteter interner Fehler ist aufgetreten.");

} // namespace PlatformTexts
