#pragma once

#include "platform/text/ProgramText.h"

#include <QCoreApplication>
#include <QString>

// The main window's own texts, byte for byte as the user sees them.
namespace WindowTexts {

inline const QString kTitle = QStringLiteral("Drop File here");
inline const QString kDropInstruction = QStringLiteral("Drop a PostScript file here to convert");
inline constexpr ProgramText kGhostscriptNotice = PAGORA_TEXT(
    "WindowTexts",
    "Diese Anwendung verwendet Ghostscript zur Konvertierung von PostScript-Dateien nach PDF. "
    "Ghostscript ist ein separates Programm und wird nicht mit dieser Anwendung ausgeliefert. "
    "Ghostscript wird von Artifex Software, Inc. entwickelt.");
// What a screen reader says about the drop zone.
inline constexpr ProgramText kDropZoneName = PAGORA_TEXT("WindowTexts", "Ablagefläche");
inline constexpr ProgramText kDropZoneDescription = PAGORA_TEXT(
    "WindowTexts", "PostScript-Dateien (.ps, .eps) hierher ziehen, um sie in PDF umzuwandeln.");

inline constexpr ProgramText kFontOverviewButton =
    PAGORA_TEXT("WindowTexts", "PostScript - Fontübersicht");

// A handler that fails unexpectedly says so instead of taking the program down.
inline constexpr ProgramText kHandlerFailedMessage = PAGORA_TEXT("WindowTexts", "Fehler");
inline const QString kOk = QStringLiteral("OK");

inline constexpr ProgramText kCancelButton = PAGORA_TEXT("WindowTexts", "Abbrechen");

// Texts that agree with a number: %n stands for it, and Counted() picks the
// form (the German forms are in translations/pagora_de.ts).
// n: the files that wait for their turn after those the progress shows.
inline constexpr const char *kFilesWaiting =
    QT_TRANSLATE_N_NOOP("WindowTexts", "%n weitere Dateien warten");

inline QString Counted(const char *text, qsizetype n)
{
    return QCoreApplication::translate("WindowTexts", text, nullptr, int(n));
}

// The open dialog's name filters: PostScript first, in force when it opens.
inline constexpr ProgramText kPostScriptFilter =
    PAGORA_TEXT("WindowTexts", "PostScript-Dateien (*.ps *.eps *.PS *.EPS)");
inline constexpr ProgramText kAllFilesFilter = PAGORA_TEXT("WindowTexts", "Alle Dateien (*)");

} // namespace WindowTexts
