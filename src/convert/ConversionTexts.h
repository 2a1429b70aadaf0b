#pragma once

#include <QCoreApplication>
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
// Followed by the input's path, ": " and one of the reasons below.
inline const QString kCannotOpenInput =
    QStringLiteral("Die Eingabedatei kann nicht ge\u00f6ffnet werden: ");
inline const QString kInputIsFolder = QStringLiteral("Sie ist ein Ordner.");
inline const QString kInputIsNoRegularFile =
    QStringLiteral("Sie ist keine gew\u00f6hnliche Datei (sondern etwa eine Pipe oder ein Ger\u00e4t).");
inline const QString kPreparationTimedOutLine =
    QStringLiteral("Die Vorbereitung der Eingabedatei wurde nach 30 Sekunden abgebrochen.");
inline const QString kWorkspaceTooLargeLine = QStringLiteral(
    "Ghostscript wurde abgebrochen: Die Konvertierung belegte mehr als 4 GiB auf dem Datentr\u00e4ger.");
// %1: the earlier file of the same run whose PDF it is.
inline const QString kSameOutputLine = QStringLiteral("Dieselbe PDF-Datei entsteht schon aus %1.");
// %1: how many rounds of substitutes were tried.
inline const QString kStillMissingLine = QStringLiteral(
    "Auch nach %1 Durchg\u00e4ngen mit Ersatzschriften fehlen noch Schriften: ");
inline const QString kCannotWriteSubstitution =
    QStringLiteral("Die Ersatzschriften k\u00f6nnen nicht geschrieben werden: ");

inline const QString kCannotPrepareWorkspace = QStringLiteral(
    "Der Arbeitsordner f\u00fcr die Konvertierung kann nicht angelegt werden: ");

// The kinds of PDF, as the dialogs name them.
inline const QString kPdfKindStandard = QStringLiteral("Standard");
inline const QString kPdfKindArchive = QStringLiteral("Archiv (PDF/A-2b)");
inline const QString kPdfKindPrint = QStringLiteral("Druck");
inline const QString kPdfKindSmallFile = QStringLiteral("Kleine Datei");
inline const QString kPdfKindGrayscale = QStringLiteral("Graustufen");
// Followed by the kind's name, below the success text and in a batch's summary.
inline const QString kPdfKindLine = QStringLiteral("PDF-Art: ");
// Followed by Ghostscript's lines, each on a line of its own.
inline const QString kPdfaLostHead = QStringLiteral(
    "Ghostscript konnte kein g\u00fcltiges PDF/A erzeugen; es wurde keine PDF-Datei abgelegt:");
inline const QString kNoSrgbProfile = QStringLiteral(
    "F\u00fcr PDF/A fehlt das sRGB-Farbprofil von Ghostscript (iccprofiles/srgb.icc) bei: ");
inline const QString kCannotWriteDefinition =
    QStringLiteral("Die PDF/A-Einstellungen k\u00f6nnen nicht geschrieben werden: ");

inline const QString kCannotConfine =
    QStringLiteral("Ghostscript kann nicht abgeschirmt gestartet werden: ");

// A batch: the question after it and its summary. The counted ones agree
// with their number: Counted() picks the German form (translations/pagora_de.ts),
// %n stands for the number.
inline constexpr const char *kTextContext = "ConversionTexts";
// n: the files with missing fonts.
inline constexpr const char *kBatchFontsHead =
    QT_TRANSLATE_N_NOOP("ConversionTexts", "In diesen Dateien wurden Fonts nicht gefunden:");
inline constexpr const char *kBatchRetryQuestion = QT_TRANSLATE_N_NOOP(
    "ConversionTexts", "Sollen diese Dateien mit den Ersatzfonts erneut konvertiert werden?");
inline constexpr const char *kBatchUseReplacement =
    QT_TRANSLATE_N_NOOP("ConversionTexts", "Ja, Ersatzfonts verwenden");
inline const QString kBatchDeclineReplacement = QStringLiteral("Nein");
inline const QString kBatchSummaryMessage = QStringLiteral("Konvertierung abgeschlossen");
// n: the PDFs made; %1: the files they were made of, told by kBatchFiles.
inline constexpr const char *kBatchMadeLine =
    QT_TRANSLATE_N_NOOP("ConversionTexts", "%n von %1 wurden in PDF umgewandelt.");
// n: files.
inline constexpr const char *kBatchFiles = QT_TRANSLATE_N_NOOP("ConversionTexts", "%n Dateien");
inline const QString kBatchFailedHead = QStringLiteral("Fehlgeschlagen:");
inline const QString kBatchSkippedHead =
    QStringLiteral("\u00dcbersprungen (keine PostScript-Datei):");
// Each line: the file, then the fonts.
inline const QString kBatchSubstitutedHead = QStringLiteral("Mit Ersatzfonts erstellt:");
inline const QString kBatchFontsMissingHead =
    QStringLiteral("Mit fehlenden Fonts erstellt (ohne Ersatzfont):");
// n: files not converted.
inline constexpr const char *kBatchCancelledLine = QT_TRANSLATE_N_NOOP(
    "ConversionTexts", "Abgebrochen: %n Dateien wurden nicht konvertiert.");
inline const QString kBatchDetailsHead = QStringLiteral("Ausgabe von Ghostscript f\u00fcr %1:");
// The progress: %1 files done, n files in all.
inline constexpr const char *kBatchProgress =
    QT_TRANSLATE_N_NOOP("ConversionTexts", "%1 von %n Dateien");
inline const QString kBatchProgressTitle = QStringLiteral("Konvertierung");

// One of the texts above in the form that agrees with n.
inline QString Counted(const char *text, qsizetype n)
{
    return QCoreApplication::translate(kTextContext, text, nullptr, int(n));
}

inline const QString kOk = QStringLiteral("OK");

} // namespace ConversionTexts
