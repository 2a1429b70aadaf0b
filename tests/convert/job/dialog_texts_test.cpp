// What the dialogs say, in German and in English, where their wording was
// set right: each text as the dialog shows it, filled in as the program
// fills it in.
#include "convert/fonts/MissingFonts.h"
#include "convert/job/ConversionTexts.h"
#include "convert/job/VerdictDialogs.h"
#include "convert/queue/BatchReport.h"
#include "fontsheet/FontSheetTexts.h"
#include "install/InstallationHelp.h"
#include "platform/desktop/MessageDialog.h"
#include "platform/text/SystemErrorText.h"
#include "platform/text/Translations.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <string>

using namespace ConversionTexts;

namespace
{

QueuedFile file(const QString &name, ConversionJob::Outcome outcome, bool finished = true)
{
    QueuedFile file;
    file.input = QStringLiteral("/docs/") + name;
    file.started = file.finished = finished;
    file.outcome = outcome;
    file.pdfPlaced = outcome == ConversionJob::Outcome::Converted;
    return file;
}

QueuedFile withMissingFonts(const QString &name, const QByteArrayList &fonts)
{
    QueuedFile missing = file(name, ConversionJob::Outcome::FontsMissing);
    missing.missingFonts = fonts;
    return missing;
}

QString linuxInstallation()
{
    QTemporaryDir folder;
    const QString osRelease = folder.filePath(QStringLiteral("os-release"));
    QFile release(osRelease);
    if (!release.open(QIODevice::WriteOnly) || release.write("ID=debian\n") < 0)
        return QStringLiteral("cannot write os-release");
    release.close();
    return InstallationHelp(InstallationHelp::System::Linux, {}, {osRelease}).explanation();
}

struct Wording {
    const char *what;
    std::function<QString()> shown;
    const char *german;
    const char *english;
};

// Asked each time: the reason is told in the language spoken at the time.
QString fullDisk()
{
    return SystemErrorText(ENOSPC);
}

const Wording kWordings[] = {
    {"the kind below the success text",
     [] { return SuccessDialog(QStringLiteral("/d/a.pdf"), PdfKind::SmallFile, {}).explanation; },
     "Die PDF-Datei wurde erstellt:\n/d/a.pdf\nPDF-Art: Kleine Datei",
     "The PDF file was created:\n/d/a.pdf\nPDF type: Small File"},
    {"the question's button",
     [] { return MissingFontsDialog({"LucidaGrande"}).actionButton.caption; },
     "Ja, Ersatzfont verwenden", "Yes, use the replacement font"},
    {"a failure before Ghostscript ran has no heading of its output",
     [] {
         return FailureDialog(
                    kCannotCreateOutput.arg(QStringLiteral("/d/a.pdf"), SystemErrorText(EROFS)),
                    false)
             .explanation;
     },
     "Die PDF-Datei kann in diesem Ordner nicht angelegt werden: /d/a.pdf: Der Datenträger ist "
     "schreibgeschützt",
     "The PDF file cannot be created in this folder: /d/a.pdf: The disk is read-only"},
    {"a PDF that cannot be put where it belongs",
     [] { return kCannotReplaceOutput.arg(QStringLiteral("/d/a.pdf"), SystemErrorText(EACCES)); },
     "Die PDF-Datei kann nicht am Zielort abgelegt werden: /d/a.pdf: Keine Berechtigung",
     "The PDF file cannot be moved into place: /d/a.pdf: Permission denied"},
    {"an input that is a folder",
     [] { return kCannotOpenInput.arg(QStringLiteral("/d/a.ps"), kInputIsFolder); },
     "Die Eingabedatei kann nicht geöffnet werden: /d/a.ps: Es handelt sich um einen Ordner.",
     "The input file cannot be opened: /d/a.ps: It is a folder."},
    {"an input that is a pipe", [] { return kInputIsNoRegularFile.toString(); },
     "Es handelt sich nicht um eine gewöhnliche Datei, sondern etwa um eine Pipe oder ein Gerät.",
     "It is not a regular file but something like a pipe or a device."},
    {"a repaired copy too large", [] { return kRepairedCopyTooLarge.arg(4); },
     "Die bereinigte Kopie würde größer als 4 GiB werden.",
     "The repaired copy would be larger than 4 GiB."},
    {"a cropped copy too large", [] { return kFigureCopyTooLarge.arg(4); },
     "Die zugeschnittene Kopie der Grafik würde größer als 4 GiB werden.",
     "The cropped copy of the figure would be larger than 4 GiB."},
    {"a document that cannot be read",
     [] { return kCannotRepairInput.arg(kCannotReadDocument.arg(SystemErrorText(EIO))); },
     "Die Eingabedatei kann nicht vorbereitet werden: Das Dokument kann nicht gelesen werden: "
     "Fehler beim Lesen oder Schreiben des Datenträgers",
     "The input file cannot be prepared: The document cannot be read: Input/output error on the "
     "disk"},
    {"no sandbox profile",
     [] { return kCannotConfine.arg(kNoSandboxProfile.arg(QStringLiteral("/usr/bin/gs"))); },
     "Ghostscript kann nicht in seiner Sandbox gestartet werden: Für /usr/bin/gs lässt sich kein "
     "Sandbox-Profil schreiben.",
     "Ghostscript cannot be started in its sandbox: No sandbox profile can be written for "
     "/usr/bin/gs."},
    {"the same PDF", [] { return kSameOutputLine.arg(QStringLiteral("a.eps")); },
     "Dieselbe PDF-Datei wird bereits aus a.eps erzeugt.", "a.eps already produces this PDF."},
    {"the substitution file", [] { return kCannotWriteSubstitution.arg(fullDisk()); },
     "Die Datei für die Fontersetzung kann nicht geschrieben werden: Auf dem Datenträger ist kein "
     "Platz mehr frei",
     "The font substitution file cannot be written: No space left on the disk"},
    {"no sRGB profile", [] { return kNoSrgbProfile.arg(QStringLiteral("/usr/bin/gs")); },
     "Für PDF/A fehlt das sRGB-Farbprofil von Ghostscript (iccprofiles/srgb.icc) in der "
     "Installation von /usr/bin/gs.",
     "PDF/A needs Ghostscript's sRGB color profile (iccprofiles/srgb.icc), which the "
     "installation of /usr/bin/gs lacks."},
    {"the font overview not saved",
     [] { return FontSheetTexts::kCannotWriteSheet.arg(fullDisk()); },
     "Die Fontübersicht kann nicht gespeichert werden: Auf dem Datenträger ist kein Platz mehr "
     "frei",
     "The font overview cannot be saved: No space left on the disk"},
    {"the batch's question of one file and one font",
     [] {
         return BatchFontsDialog({withMissingFonts(QStringLiteral("a.ps"), {"LucidaGrande"})})
             .explanation;
     },
     "In dieser Datei fehlen Fonts:\n\na.ps:\n  • LucidaGrande\n\n"
     "Vorgeschlagener Ersatz für 'LucidaGrande':\n  → Helvetica\n\n"
     "Soll diese Datei mit dem Ersatzfont erneut konvertiert werden?",
     "This file uses fonts that are not installed:\n\na.ps:\n  • LucidaGrande\n\n"
     "Suggested replacement for 'LucidaGrande':\n  → Helvetica\n\n"
     "Convert this file again with the replacement font?"},
    {"the batch's question of two files and two fonts",
     [] {
         const MessageDialog dialog =
             BatchFontsDialog({withMissingFonts(QStringLiteral("a.ps"), {"LucidaGrande"}),
                               withMissingFonts(QStringLiteral("b.ps"), {"Futura-Bold"})});
         return dialog.explanation.section(QLatin1Char('\n'), 0, 0) + QLatin1Char('|') +
                dialog.explanation.section(QLatin1Char('\n'), -1) + QLatin1Char('|') +
                dialog.actionButton.caption;
     },
     "In diesen Dateien fehlen Fonts:|"
     "Sollen diese Dateien mit den Ersatzfonts erneut konvertiert werden?|"
     "Ja, Ersatzfonts verwenden",
     "These files use fonts that are not installed:|"
     "Convert these files again with the replacement fonts?|Yes, use the replacement fonts"},
    {"a cancelled batch's summary",
     [] {
         return BatchSummaryDialog(
                    {file(QStringLiteral("a.ps"), ConversionJob::Outcome::Converted),
                     file(QStringLiteral("b.ps"), ConversionJob::Outcome::Failed, false)},
                    {}, true, PdfKind::SmallFile)
             .explanation;
     },
     "1 von 2 Dateien wurde in PDF umgewandelt.\nPDF-Art: Kleine Datei\n"
     "Abgebrochen: 1 Datei wurde nicht in PDF umgewandelt.",
     "1 of 2 files was converted to PDF.\nPDF type: Small File\n"
     "Canceled: 1 file was not converted."},
    {"the installation help's button", [] { return InstallTexts::kHelpButton.toString(); },
     "Installationshilfe", "Installation help"},
    {"the installation help on Linux", linuxInstallation,
     "Für die PDF-Erstellung wird Ghostscript benötigt.\n\nInstallation unter Linux:\n"
     "1. Terminal öffnen\n2. Befehl eingeben:\n   sudo apt install ghostscript",
     "Ghostscript is needed to create PDF files.\n\nInstalling on Linux:\n"
     "1. Open a terminal\n2. Enter the command:\n   sudo apt install ghostscript"},
    {"the installation help on macOS names its Terminal",
     [] { return InstallTexts::Explanation(); },
     "Für die PDF-Erstellung wird Ghostscript benötigt.\n\nInstallation unter macOS:\n"
     "1. Terminal öffnen\n2. Befehl eingeben:\n   brew install ghostscript",
     "Ghostscript is needed to create PDF files.\n\nInstalling on macOS:\n"
     "1. Open Terminal\n2. Enter the command:\n   brew install ghostscript"},
};

} // namespace

TEST(DialogTexts, ReadAsWholeSentencesInEitherLanguage)
{
    for (const Wording &wording : kWordings) {
        SCOPED_TRACE(wording.what);
        InstallTranslations(*QCoreApplication::instance(), QLocale(QLocale::German));
        EXPECT_EQ(wording.shown().toStdString(), wording.german);
        InstallTranslations(*QCoreApplication::instance(), QLocale(QLocale::English));
        EXPECT_EQ(wording.shown().toStdString(), wording.english);
    }
    InstallTranslations(*QCoreApplication::instance(), QLocale(QLocale::German));
}
