#pragma once

#include <QString>

// The conversion's own texts, byte for byte as the user sees them.
namespace ConversionTexts {

inline const QString kNotPostScriptMessage = QStringLiteral("Keine PostScript-Datei");
inline const QString kNotPostScriptExplanation =
    QStringLiteral("Die Datei ist keine PostScript-Datei (.ps oder .eps).");

inline const QString kNoGhostscriptMessage = QStringLiteral("Ghostscript nicht gefunden");
// Followed by the installation help's command for this system on a line of
// its own; where no command is known, the help's general sentence stands alone.
inline const QString kNoGhostscriptExplanationHead = QStringLiteral("Bitte installieren mit:");

inline const QString kSuccessMessage = QStringLiteral("Erfolg!");
inline const QString kSuccessExplanationHead = QStringLiteral("Die PDF-Datei wurde erstellt:");

inline const QString kFailureMessage = QStringLiteral("Fehler bei der Konvertierung!");
inline const QString kFailureExplanationHead = QStringLiteral("Ausgabe:");
inline const QString kTimedOutLine = QStringLiteral("Ghostscript wurde nach 30 Sekunden abgebrochen.");
// Stands where the middle of an overlong transcript was left out; %1 is the count.
inline const QString kOmittedOutputLine = QStringLiteral("[… %1 Bytes der Ausgabe ausgelassen …]");
inline const QString kCrashedLine =
    QStringLiteral("Ghostscript wurde von au\u00dfen beendet oder ist abgest\u00fcrzt.");
inline const QString kIncompletePdfLine = QStringLiteral(
    "Die PDF-Datei wurde nicht vollst\u00e4ndig geschrieben (ist der Datentr\u00e4ger voll?).");
inline const QString kCannotCreateOutput =
    QStringLiteral("Die PDF-Datei kann in diesem Ordner nicht angelegt werden: ");
inline const QString kCannotReplaceOutput =
    QStringLiteral("Die PDF-Datei kann nicht an ihren Platz gelegt werden: ");

inline const QString kMissingFontsMessage = QStringLiteral("Fehlende Schriftarten");
inline const QString kMissingFontsHead = QStringLiteral("Folgende Fonts wurden nicht gefunden:");
inline const QString kMissingFontBullet = QStringLiteral("  \u2022 ");
inline const QString kSuggestionHead = QStringLiteral("Vorgeschlagener Ersatz f\u00fcr '");
inline const QString kSuggestionHeadEnd = QStringLiteral("':");
inline const QString kSuggestionArrow = QStringLiteral("  \u2192 ");
inline const QString kRetryQuestion =
    QStringLiteral("Soll die Konvertierung mit dem Ersatzfont wiederholt werden?");
inline const QString kUseReplacement = QStringLiteral("Ja, Ersatzfont verwenden");
inline const QString kDeclineReplacement = QStringLiteral("Nein, abbrechen");
inline const QString kSubstitutedFontsLine = QStringLiteral("Ersetzte Schriften: ");
inline const QString kCannotRepairInput =
    QStringLiteral("Die Eingabedatei kann nicht vorbereitet werden: ");
inline const QString kCannotWriteSubstitution =
    QStringLiteral("Die Ersatzschriften k\u00f6nnen nicht geschrieben werden: ");

inline const QString kCannotPrepareWorkspace = QStringLiteral(
    "Der Arbeitsordner f\u00fcr die Konvertierung kann nicht angelegt werden: ");

inline const QString kCannotConfine =
    QStringLiteral("Ghostscript kann nicht abgeschirmt gestartet werden: ");

inline const QString kOk = QStringLiteral("OK");

} // namespace ConversionTexts
