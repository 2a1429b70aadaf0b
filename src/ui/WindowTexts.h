#pragma once

#include <QString>

// The main window's own texts, byte for byte as the user sees them.
namespace WindowTexts {

inline const QString kTitle = QStringLiteral("Drop File here");
inline const QString kDropInstruction = QStringLiteral("Drop a PostScript file here to convert");
inline const QString kGhostscriptNotice = QStringLiteral(
    "Diese Anwendung verwendet Ghostscript zur Konvertierung von PostScript-Dateien nach PDF. "
    "Ghostscript ist ein separates Programm und wird nicht mit dieser Anwendung ausgeliefert. "
    "Ghostscript wird von Artifex Software, Inc. entwickelt.");
// What a screen reader says about the drop zone.
inline const QString kDropZoneName = QStringLiteral("Ablagefläche");
inline const QString kDropZoneDescription =
    QStringLiteral("PostScript-Dateien (.ps, .eps) hierher ziehen, um sie in PDF umzuwandeln.");

inline const QString kFontOverviewButton = QStringLiteral("PostScript - Fontübersicht");

// A handler that fails unexpectedly says so instead of taking the program down.
inline const QString kHandlerFailedMessage = QStringLiteral("Fehler");
inline const QString kOk = QStringLiteral("OK");

inline const QString kCancelButton = QStringLiteral("Abbrechen");

// The open dialog's name filters: PostScript first, in force when it opens.
inline const QString kPostScriptFilter =
    QStringLiteral("PostScript-Dateien (*.ps *.eps *.PS *.EPS)");
inline const QString kAllFilesFilter = QStringLiteral("Alle Dateien (*)");

} // namespace WindowTexts
