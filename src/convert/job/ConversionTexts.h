#pragma once

#include "platform/text/ProgramText.h"

#include <QCoreApplication>
#include <QString>

// The conversion's own texts, byte for byte as the user sees them: in German,
// the source language, translated where the program speaks another
// (translations/pagora_en.ts).
namespace ConversionTexts {

inline constexpr ProgramText kNotPostScriptMessage =
    PAGORA_TEXT("ConversionTexts", "Keine PostScript-Datei");
inline constexpr ProgramText kNotPostScriptExplanation =
    PAGORA_TEXT("ConversionTexts", "Die Datei ist keine PostScript-Datei (.ps oder .eps).");

inline constexpr ProgramText kNoGhostscriptMessage =
    PAGORA_TEXT("ConversionTexts", "Ghostscript nicht gefunden");
// Followed by the installation help's command for this system on a line of
// its own; where no command is known, the help's general sentence stands alone.
inline constexpr ProgramText kNoGhostscriptExplanationHead =
    PAGORA_TEXT("ConversionTexts", "Bitte installieren mit:");

inline constexpr ProgramText kSuccessMessage = PAGORA_TEXT("ConversionTexts", "Erfolg!");
inline constexpr ProgramText kSuccessExplanationHead =
    PAGORA_TEXT("ConversionTexts", "Die PDF-Datei wurde erstellt:");

inline constexpr ProgramText kFailureMessage =
    PAGORA_TEXT("ConversionTexts", "Fehler bei der Konvertierung!");
// Above Ghostscript's output; a failure before Ghostscript ran has none.
inline constexpr ProgramText kFailureExplanationHead = PAGORA_TEXT("ConversionTexts", "Ausgabe:");
inline constexpr ProgramText kTimedOutLine =
    PAGORA_TEXT("ConversionTexts", "Ghostscript wurde nach 30 Sekunden abgebrochen.");
// Stands where the middle of an overlong transcript was left out; %1 is the count.
inline constexpr ProgramText kOmittedOutputLine =
    PAGORA_TEXT("ConversionTexts", "[… %1 Bytes der Ausgabe ausgelassen …]");
inline constexpr ProgramText kCrashedLine =
    PAGORA_TEXT("ConversionTexts", "Ghostscript wurde von außen beendet oder ist abgestürzt.");
inline constexpr ProgramText kIncompletePdfLine =
    PAGORA_TEXT("ConversionTexts",
                "Die PDF-Datei wurde nicht vollständig geschrieben (ist der Datenträger voll?).");
// %1: the PDF's path, %2: the system's reason.
inline constexpr ProgramText kCannotCreateOutput = PAGORA_TEXT(
    "ConversionTexts", "Die PDF-Datei kann in diesem Ordner nicht angelegt werden: %1: %2");
inline constexpr ProgramText kCannotReplaceOutput =
    PAGORA_TEXT("ConversionTexts", "Die PDF-Datei kann nicht am Zielort abgelegt werden: %1: %2");

inline constexpr ProgramText kMissingFontsMessage =
    PAGORA_TEXT("ConversionTexts", "Fehlende Schriftarten");
inline constexpr ProgramText kMissingFontsHead =
    PAGORA_TEXT("ConversionTexts", "Folgende Fonts wurden nicht gefunden:");
inline const QString kMissingFontBullet = QStringLiteral("  \u2022 ");
// %1: the first missing font.
inline constexpr ProgramText kSuggestionHead =
    PAGORA_TEXT("ConversionTexts", "Vorgeschlagener Ersatz für '%1':");
inline const QString kSuggestionArrow = QStringLiteral("  \u2192 ");
inline constexpr ProgramText kRetryQuestion =
    PAGORA_TEXT("ConversionTexts", "Soll die Konvertierung mit dem Ersatzfont wiederholt werden?");
inline constexpr ProgramText kUseReplacement =
    PAGORA_TEXT("ConversionTexts", "Ja, Ersatzfont verwenden");
inline constexpr ProgramText kDeclineReplacement =
    PAGORA_TEXT("ConversionTexts", "Nein, abbrechen");
// %1: the fonts, joined.
inline constexpr ProgramText kSubstitutedFontsLine =
    PAGORA_TEXT("ConversionTexts", "Ersetzte Fonts: %1");
// %1: the input's path or one of the reasons below.
inline constexpr ProgramText kCannotRepairInput =
    PAGORA_TEXT("ConversionTexts", "Die Eingabedatei kann nicht vorbereitet werden: %1");
// %1: the input's path, %2: the system's reason or one of the two below.
inline constexpr ProgramText kCannotOpenInput =
    PAGORA_TEXT("ConversionTexts", "Die Eingabedatei kann nicht geöffnet werden: %1: %2");
inline constexpr ProgramText kInputIsFolder =
    PAGORA_TEXT("ConversionTexts", "Es handelt sich um einen Ordner.");
inline constexpr ProgramText kInputIsNoRegularFile =
    PAGORA_TEXT("ConversionTexts", "Es handelt sich nicht um eine gewöhnliche Datei, sondern etwa "
                                   "um eine Pipe oder ein Gerät.");
inline constexpr ProgramText kPreparationTimedOutLine = PAGORA_TEXT(
    "ConversionTexts", "Die Vorbereitung der Eingabedatei wurde nach 30 Sekunden abgebrochen.");
inline constexpr ProgramText kWorkspaceTooLargeLine = PAGORA_TEXT(
    "ConversionTexts",
    "Ghostscript wurde abgebrochen: Die Konvertierung belegte mehr als 4 GiB auf dem Datenträger.");
// %1: the earlier file of the same run whose PDF it is.
inline constexpr ProgramText kSameOutputLine =
    PAGORA_TEXT("ConversionTexts", "Dieselbe PDF-Datei wird bereits aus %1 erzeugt.");
// %1: how many rounds of substitutes were tried, %2: the fonts still missing.
inline constexpr ProgramText kStillMissingLine = PAGORA_TEXT(
    "ConversionTexts", "Auch nach %1 Durchgängen mit Ersatzfonts fehlen noch Fonts: %2");
// The prolog that binds the missing fonts to their substitutes; %1: the reason.
inline constexpr ProgramText kCannotWriteSubstitution = PAGORA_TEXT(
    "ConversionTexts", "Die Datei für die Fontersetzung kann nicht geschrieben werden: %1");

// %1: the reason.
inline constexpr ProgramText kCannotPrepareWorkspace = PAGORA_TEXT(
    "ConversionTexts", "Der Arbeitsordner für die Konvertierung kann nicht angelegt werden: %1");

// The kinds of PDF, as the dialogs name them.
inline constexpr ProgramText kPdfKindStandard = PAGORA_TEXT("ConversionTexts", "Standard");
inline constexpr ProgramText kPdfKindArchive = PAGORA_TEXT("ConversionTexts", "Archiv (PDF/A-2b)");
inline constexpr ProgramText kPdfKindPrint = PAGORA_TEXT("ConversionTexts", "Druck");
inline constexpr ProgramText kPdfKindSmallFile = PAGORA_TEXT("ConversionTexts", "Kleine Datei");
inline constexpr ProgramText kPdfKindGrayscale = PAGORA_TEXT("ConversionTexts", "Graustufen");
// %1: the kind's name; below the success text and in a batch's summary.
inline constexpr ProgramText kPdfKindLine = PAGORA_TEXT("ConversionTexts", "PDF-Art: %1");
// Followed by Ghostscript's lines, each on a line of its own.
inline constexpr ProgramText kPdfaLostHead = PAGORA_TEXT(
    "ConversionTexts",
    "Ghostscript konnte kein gültiges PDF/A erzeugen; es wurde keine PDF-Datei abgelegt:");
// %1: the Ghostscript whose installation lacks it.
inline constexpr ProgramText kNoSrgbProfile = PAGORA_TEXT(
    "ConversionTexts", "Für PDF/A fehlt das sRGB-Farbprofil von Ghostscript (iccprofiles/srgb.icc) "
                       "in der Installation von %1.");
// %1: the reason.
inline constexpr ProgramText kCannotWriteDefinition =
    PAGORA_TEXT("ConversionTexts", "Die PDF/A-Einstellungen können nicht geschrieben werden: %1");

// %1: the reason.
inline constexpr ProgramText kCannotConfine =
    PAGORA_TEXT("ConversionTexts", "Ghostscript kann nicht in seiner Sandbox gestartet werden: %1");
// macOS: %1 is the Ghostscript the profile was to be written for.
inline constexpr ProgramText kNoSandboxProfile =
    PAGORA_TEXT("ConversionTexts", "Für %1 lässt sich kein Sandbox-Profil schreiben.");

// Why the input could not be prepared; %1: the system's reason.
inline constexpr ProgramText kCannotReadDocument =
    PAGORA_TEXT("ConversionTexts", "Das Dokument kann nicht gelesen werden: %1");
inline constexpr ProgramText kCannotWriteRepairedCopy =
    PAGORA_TEXT("ConversionTexts", "Die bereinigte Kopie kann nicht geschrieben werden: %1");
inline constexpr ProgramText kCannotReadRepairedCopy =
    PAGORA_TEXT("ConversionTexts", "Die bereinigte Kopie kann nicht gelesen werden: %1");
inline constexpr ProgramText kCannotOpenRepairFolder = PAGORA_TEXT(
    "ConversionTexts", "Der Ordner für die bereinigte Kopie kann nicht geöffnet werden: %1");
inline constexpr ProgramText kCannotReadFigure =
    PAGORA_TEXT("ConversionTexts", "Die Grafik kann nicht gelesen werden: %1");
inline constexpr ProgramText kCannotWriteFigureCopy = PAGORA_TEXT(
    "ConversionTexts", "Die zugeschnittene Kopie der Grafik kann nicht geschrieben werden: %1");
inline constexpr ProgramText kCannotOpenFigureFolder =
    PAGORA_TEXT("ConversionTexts", "Der Ordner für die zugeschnittene Kopie der Grafik kann nicht "
                                   "geöffnet werden: %1");
// These stand alone; %1: the limit in GiB.
inline constexpr ProgramText kRepairedCopyTooLarge =
    PAGORA_TEXT("ConversionTexts", "Die bereinigte Kopie würde größer als %1 GiB werden.");
inline constexpr ProgramText kFigureCopyTooLarge = PAGORA_TEXT(
    "ConversionTexts", "Die zugeschnittene Kopie der Grafik würde größer als %1 GiB werden.");

// A batch: the question after it and its summary. The counted ones agree
// with their number: Counted() picks the German form (translations/pagora_de.ts),
// %n stands for the number.
inline constexpr const char *kTextContext = "ConversionTexts";
// n: the files with missing fonts.
inline constexpr const char *kBatchFontsHead =
    QT_TRANSLATE_N_NOOP("ConversionTexts", "In diesen Dateien fehlen Fonts:");
// The question asks of one missing font or of several (each font once
// however many files miss it); n: the files with missing fonts.
inline constexpr const char *kBatchRetryWithReplacement = QT_TRANSLATE_N_NOOP(
    "ConversionTexts", "Sollen diese Dateien mit dem Ersatzfont erneut konvertiert werden?");
inline constexpr const char *kBatchRetryWithReplacements = QT_TRANSLATE_N_NOOP(
    "ConversionTexts", "Sollen diese Dateien mit den Ersatzfonts erneut konvertiert werden?");
// n: the missing fonts.
inline constexpr const char *kBatchUseReplacement =
    QT_TRANSLATE_N_NOOP("ConversionTexts", "Ja, Ersatzfonts verwenden");
inline constexpr ProgramText kBatchDeclineReplacement = PAGORA_TEXT("ConversionTexts", "Nein");
inline constexpr ProgramText kBatchSummaryMessage =
    PAGORA_TEXT("ConversionTexts", "Konvertierung abgeschlossen");
// The verb agrees with the PDFs made (%1), the noun with the files (n): one
// sentence for a single PDF, one for any other number.
inline constexpr const char *kBatchMadeOneLine =
    QT_TRANSLATE_N_NOOP("ConversionTexts", "%1 von %n Dateien wurde in PDF umgewandelt.");
inline constexpr const char *kBatchMadeLine =
    QT_TRANSLATE_N_NOOP("ConversionTexts", "%1 von %n Dateien wurden in PDF umgewandelt.");
inline constexpr ProgramText kBatchFailedHead = PAGORA_TEXT("ConversionTexts", "Fehlgeschlagen:");
inline constexpr ProgramText kBatchSkippedHead =
    PAGORA_TEXT("ConversionTexts", "Übersprungen (keine PostScript-Datei):");
// Each line: the file, then the fonts.
inline constexpr ProgramText kBatchSubstitutedHead =
    PAGORA_TEXT("ConversionTexts", "Mit Ersatzfonts erstellt:");
inline constexpr ProgramText kBatchFontsMissingHead =
    PAGORA_TEXT("ConversionTexts", "Mit fehlenden Fonts erstellt (ohne Ersatzfont):");
// n: files not converted.
inline constexpr const char *kBatchCancelledLine = QT_TRANSLATE_N_NOOP(
    "ConversionTexts", "Abgebrochen: %n Dateien wurden nicht in PDF umgewandelt.");
inline constexpr ProgramText kBatchDetailsHead =
    PAGORA_TEXT("ConversionTexts", "Ausgabe von Ghostscript für %1:");
// The progress: %1 files done, n files in all.
inline constexpr const char *kBatchProgress =
    QT_TRANSLATE_N_NOOP("ConversionTexts", "%1 von %n Dateien");
inline constexpr ProgramText kBatchProgressTitle = PAGORA_TEXT("ConversionTexts", "Konvertierung");

// One of the texts above in the form that agrees with n.
inline QString Counted(const char *text, qsizetype n)
{
    return QCoreApplication::translate(kTextContext, text, nullptr, int(n));
}

inline const QString kOk = QStringLiteral("OK");

} // namespace ConversionTexts
