<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="de">
<context>
    <name>ConversionTexts</name>
    <message>
        <source>Keine PostScript-Datei</source>
        <translation>Not a PostScript file</translation>
    </message>
    <message>
        <source>Die Datei ist keine PostScript-Datei (.ps oder .eps).</source>
        <translation>The file is not a PostScript file (.ps or .eps).</translation>
    </message>
    <message>
        <source>Ghostscript nicht gefunden</source>
        <translation>Ghostscript not found</translation>
    </message>
    <message>
        <source>Bitte installieren mit:</source>
        <translation>Please install it with:</translation>
    </message>
    <message>
        <source>Erfolg!</source>
        <translation>Success!</translation>
    </message>
    <message>
        <source>Die PDF-Datei wurde erstellt:</source>
        <translation>The PDF file was created:</translation>
    </message>
    <message>
        <source>Fehler bei der Konvertierung!</source>
        <translation>Conversion failed!</translation>
    </message>
    <message>
        <source>Ausgabe:</source>
        <translation>Output:</translation>
    </message>
    <message>
        <source>Ghostscript wurde nach 30 Sekunden abgebrochen.</source>
        <translation>Ghostscript was stopped after 30 seconds.</translation>
    </message>
    <message>
        <source>[… %1 Bytes der Ausgabe ausgelassen …]</source>
        <translation>[… %1 bytes of output left out …]</translation>
    </message>
    <message>
        <source>Ghostscript wurde von außen beendet oder ist abgestürzt.</source>
        <translation>Ghostscript was terminated from outside or crashed.</translation>
    </message>
    <message>
        <source>Die PDF-Datei wurde nicht vollständig geschrieben (ist der Datenträger voll?).</source>
        <translation>The PDF file was not written completely (is the disk full?).</translation>
    </message>
    <message>
        <source>Die PDF-Datei kann in diesem Ordner nicht angelegt werden: %1: %2</source>
        <translation>The PDF file cannot be created in this folder: %1: %2</translation>
    </message>
    <message>
        <source>Die PDF-Datei kann nicht am Zielort abgelegt werden: %1: %2</source>
        <translation>The PDF file cannot be moved into place: %1: %2</translation>
    </message>
    <message>
        <source>Fehlende Schriftarten</source>
        <translation>Missing fonts</translation>
    </message>
    <message>
        <source>Folgende Fonts wurden nicht gefunden:</source>
        <translation>The following fonts were not found:</translation>
    </message>
    <message>
        <source>Vorgeschlagener Ersatz für &apos;%1&apos;:</source>
        <translation>Suggested replacement for &apos;%1&apos;:</translation>
    </message>
    <message>
        <source>Soll die Konvertierung mit dem Ersatzfont wiederholt werden?</source>
        <translation>Convert again with the replacement font?</translation>
    </message>
    <message>
        <source>Ja, Ersatzfont verwenden</source>
        <translation>Yes, use the replacement font</translation>
    </message>
    <message>
        <source>Nein, abbrechen</source>
        <translation>No, cancel</translation>
    </message>
    <message>
        <source>Ersetzte Fonts: %1</source>
        <translation>Replaced fonts: %1</translation>
    </message>
    <message>
        <source>Die Eingabedatei kann nicht vorbereitet werden: %1</source>
        <translation>The input file cannot be prepared: %1</translation>
    </message>
    <message>
        <source>Die Eingabedatei kann nicht geöffnet werden: %1: %2</source>
        <translation>The input file cannot be opened: %1: %2</translation>
    </message>
    <message>
        <source>Es handelt sich um einen Ordner.</source>
        <translation>It is a folder.</translation>
    </message>
    <message>
        <source>Es handelt sich nicht um eine gewöhnliche Datei, sondern etwa um eine Pipe oder ein Gerät.</source>
        <translation>It is not a regular file but something like a pipe or a device.</translation>
    </message>
    <message>
        <source>Die Vorbereitung der Eingabedatei wurde nach 30 Sekunden abgebrochen.</source>
        <translation>Preparing the input file was stopped after 30 seconds.</translation>
    </message>
    <message>
        <source>Ghostscript wurde abgebrochen: Die Konvertierung belegte mehr als 4 GiB auf dem Datenträger.</source>
        <translation>Ghostscript was stopped: the conversion took up more than 4 GiB on the disk.</translation>
    </message>
    <message>
        <source>Dieselbe PDF-Datei wird bereits aus %1 erzeugt.</source>
        <translation>%1 already produces this PDF.</translation>
    </message>
    <message>
        <source>Auch nach %1 Durchgängen mit Ersatzfonts fehlen noch Fonts: %2</source>
        <translation>Fonts are still missing after %1 rounds with replacement fonts: %2</translation>
    </message>
    <message>
        <source>Die Datei für die Fontersetzung kann nicht geschrieben werden: %1</source>
        <translation>The font substitution file cannot be written: %1</translation>
    </message>
    <message>
        <source>Der Arbeitsordner für die Konvertierung kann nicht angelegt werden: %1</source>
        <translation>The conversion&apos;s work folder cannot be created: %1</translation>
    </message>
    <message>
        <source>Standard</source>
        <translation>Standard</translation>
    </message>
    <message>
        <source>Archiv (PDF/A-2b)</source>
        <translation>Archive (PDF/A-2b)</translation>
    </message>
    <message>
        <source>Druck</source>
        <translation>Print</translation>
    </message>
    <message>
        <source>Kleine Datei</source>
        <translation>Small File</translation>
    </message>
    <message>
        <source>Graustufen</source>
        <translation>Grayscale</translation>
    </message>
    <message>
        <source>PDF-Art: %1</source>
        <translation>PDF type: %1</translation>
    </message>
    <message>
        <source>Ghostscript konnte kein gültiges PDF/A erzeugen; es wurde keine PDF-Datei abgelegt:</source>
        <translation>Ghostscript could not make a valid PDF/A; no PDF file was written:</translation>
    </message>
    <message>
        <source>Für PDF/A fehlt das sRGB-Farbprofil von Ghostscript (iccprofiles/srgb.icc) in der Installation von %1.</source>
        <translation>PDF/A needs Ghostscript&apos;s sRGB color profile (iccprofiles/srgb.icc), which the installation of %1 lacks.</translation>
    </message>
    <message>
        <source>Die PDF/A-Einstellungen können nicht geschrieben werden: %1</source>
        <translation>The PDF/A settings cannot be written: %1</translation>
    </message>
    <message>
        <source>Ghostscript kann nicht in seiner Sandbox gestartet werden: %1</source>
        <translation>Ghostscript cannot be started in its sandbox: %1</translation>
    </message>
    <message>
        <source>Für %1 lässt sich kein Sandbox-Profil schreiben.</source>
        <translation>No sandbox profile can be written for %1.</translation>
    </message>
    <message>
        <source>Das Dokument kann nicht gelesen werden: %1</source>
        <translation>The document cannot be read: %1</translation>
    </message>
    <message>
        <source>Die bereinigte Kopie kann nicht geschrieben werden: %1</source>
        <translation>The repaired copy cannot be written: %1</translation>
    </message>
    <message>
        <source>Die bereinigte Kopie kann nicht gelesen werden: %1</source>
        <translation>The repaired copy cannot be read: %1</translation>
    </message>
    <message>
        <source>Der Ordner für die bereinigte Kopie kann nicht geöffnet werden: %1</source>
        <translation>The folder of the repaired copy cannot be opened: %1</translation>
    </message>
    <message>
        <source>Die Grafik kann nicht gelesen werden: %1</source>
        <translation>The figure cannot be read: %1</translation>
    </message>
    <message>
        <source>Die zugeschnittene Kopie der Grafik kann nicht geschrieben werden: %1</source>
        <translation>The cropped copy of the figure cannot be written: %1</translation>
    </message>
    <message>
        <source>Der Ordner für die zugeschnittene Kopie der Grafik kann nicht geöffnet werden: %1</source>
        <translation>The folder of the cropped copy of the figure cannot be opened: %1</translation>
    </message>
    <message>
        <source>Die bereinigte Kopie würde größer als %1 GiB werden.</source>
        <translation>The repaired copy would be larger than %1 GiB.</translation>
    </message>
    <message>
        <source>Die zugeschnittene Kopie der Grafik würde größer als %1 GiB werden.</source>
        <translation>The cropped copy of the figure would be larger than %1 GiB.</translation>
    </message>
    <message numerus="yes">
        <source>In diesen Dateien fehlen Fonts:</source>
        <translation>
            <numerusform>This file uses fonts that are not installed:</numerusform>
            <numerusform>These files use fonts that are not installed:</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Sollen diese Dateien mit dem Ersatzfont erneut konvertiert werden?</source>
        <translation>
            <numerusform>Convert this file again with the replacement font?</numerusform>
            <numerusform>Convert these files again with the replacement font?</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Sollen diese Dateien mit den Ersatzfonts erneut konvertiert werden?</source>
        <translation>
            <numerusform>Convert this file again with the replacement fonts?</numerusform>
            <numerusform>Convert these files again with the replacement fonts?</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Ja, Ersatzfonts verwenden</source>
        <translation>
            <numerusform>Yes, use the replacement font</numerusform>
            <numerusform>Yes, use the replacement fonts</numerusform>
        </translation>
    </message>
    <message>
        <source>Nein</source>
        <translation>No</translation>
    </message>
    <message>
        <source>Konvertierung abgeschlossen</source>
        <translation>Conversion finished</translation>
    </message>
    <message numerus="yes">
        <source>%1 von %n Dateien wurde in PDF umgewandelt.</source>
        <translation>
            <numerusform>%1 of %n file was converted to PDF.</numerusform>
            <numerusform>%1 of %n files was converted to PDF.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1 von %n Dateien wurden in PDF umgewandelt.</source>
        <translation>
            <numerusform>%1 of %n file were converted to PDF.</numerusform>
            <numerusform>%1 of %n files were converted to PDF.</numerusform>
        </translation>
    </message>
    <message>
        <source>Fehlgeschlagen:</source>
        <translation>Failed:</translation>
    </message>
    <message>
        <source>Übersprungen (keine PostScript-Datei):</source>
        <translation>Skipped (not a PostScript file):</translation>
    </message>
    <message>
        <source>Mit Ersatzfonts erstellt:</source>
        <translation>Created with replacement fonts:</translation>
    </message>
    <message>
        <source>Mit fehlenden Fonts erstellt (ohne Ersatzfont):</source>
        <translation>Created with missing fonts (no replacement):</translation>
    </message>
    <message numerus="yes">
        <source>Abgebrochen: %n Dateien wurden nicht in PDF umgewandelt.</source>
        <translation>
            <numerusform>Canceled: %n file was not converted.</numerusform>
            <numerusform>Canceled: %n files were not converted.</numerusform>
        </translation>
    </message>
    <message>
        <source>Ausgabe von Ghostscript für %1:</source>
        <translation>Ghostscript&apos;s output for %1:</translation>
    </message>
    <message numerus="yes">
        <source>%1 von %n Dateien</source>
        <translation>
            <numerusform>%1 of %n file</numerusform>
            <numerusform>%1 of %n files</numerusform>
        </translation>
    </message>
    <message>
        <source>Konvertierung</source>
        <translation>Conversion</translation>
    </message>
</context>
<context>
    <name>FontSheetTexts</name>
    <message>
        <source>Keine Fonts gefunden!</source>
        <translation>No fonts found!</translation>
    </message>
    <message>
        <source>Die Fontübersicht kann nicht gespeichert werden: %1</source>
        <translation>The font overview cannot be saved: %1</translation>
    </message>
    <message numerus="yes">
        <source>%n Fonts gefunden.</source>
        <translation>
            <numerusform>%n font found.</numerusform>
            <numerusform>%n fonts found.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>InstallTexts</name>
    <message>
        <source>Ghostscript nicht gefunden</source>
        <translation>Ghostscript not found</translation>
    </message>
    <message>
        <source>Installationshilfe</source>
        <translation>Installation help</translation>
    </message>
    <message>
        <source>Später</source>
        <translation>Later</translation>
    </message>
    <message>
        <source>Für die PDF-Erstellung wird Ghostscript benötigt.</source>
        <translation>Ghostscript is needed to create PDF files.</translation>
    </message>
    <message>
        <source>Installation unter macOS:</source>
        <translation>Installing on macOS:</translation>
    </message>
    <message>
        <source>Installation unter Linux:</source>
        <translation>Installing on Linux:</translation>
    </message>
    <message>
        <source>1. Terminal öffnen</source>
        <translation>1. Open Terminal</translation>
    </message>
    <message>
        <source>1. Terminal öffnen</source>
        <comment>any terminal, not macOS</comment>
        <translation>1. Open a terminal</translation>
    </message>
    <message>
        <source>2. Befehl eingeben:</source>
        <translation>2. Enter the command:</translation>
    </message>
    <message>
        <source>Ghostscript über die Paketverwaltung des Systems installieren.</source>
        <translation>Install Ghostscript with the system&apos;s package manager.</translation>
    </message>
</context>
<context>
    <name>PlatformTexts</name>
    <message>
        <source>Kein temporärer Ordner, den nur dieser Benutzer ändern kann: %1</source>
        <translation>No temporary folder that only this user can change: %1</translation>
    </message>
    <message>
        <source>Kein eigener temporärer Ordner in %1: %2</source>
        <translation>No private temporary folder in %1: %2</translation>
    </message>
    <message>
        <source>In %1 lässt sich kein Ordner anlegen: %2</source>
        <translation>No folder can be created in %1: %2</translation>
    </message>
    <message>
        <source>Dieser Kernel kennt keine seccomp-Filter</source>
        <translation>This kernel has no seccomp filters</translation>
    </message>
    <message>
        <source>Der Prozessfilter lässt sich nicht erstellen</source>
        <translation>The process filter cannot be built</translation>
    </message>
    <message>
        <source>Der Prozessfilter lässt sich nicht erstellen (%1): %2</source>
        <translation>The process filter cannot be built (%1): %2</translation>
    </message>
    <message>
        <source>Landlock ist in diesem Kernel nicht verfügbar</source>
        <translation>Landlock is not available in this kernel</translation>
    </message>
    <message>
        <source>Landlock gibt es nur unter Linux</source>
        <translation>Landlock exists only on Linux</translation>
    </message>
    <message>
        <source>Programm oder Arbeitsordner fehlen</source>
        <translation>The program or the working folder is missing</translation>
    </message>
    <message>
        <source>Die Landlock-Regeln lassen sich nicht anlegen: %1</source>
        <translation>The Landlock rules cannot be created: %1</translation>
    </message>
    <message>
        <source>Der Zugriff auf %1 lässt sich nicht freigeben: %2</source>
        <translation>Access to %1 cannot be granted: %2</translation>
    </message>
    <message>
        <source>Deskriptor %1</source>
        <translation>descriptor %1</translation>
    </message>
    <message>
        <source>Keine Berechtigung</source>
        <translation>Permission denied</translation>
    </message>
    <message>
        <source>Der Vorgang ist nicht erlaubt</source>
        <translation>Operation not permitted</translation>
    </message>
    <message>
        <source>Datei oder Ordner nicht gefunden</source>
        <translation>No such file or folder</translation>
    </message>
    <message>
        <source>Auf dem Datenträger ist kein Platz mehr frei</source>
        <translation>No space left on the disk</translation>
    </message>
    <message>
        <source>Das Speicherkontingent ist ausgeschöpft</source>
        <translation>Disk quota exceeded</translation>
    </message>
    <message>
        <source>Der Datenträger ist schreibgeschützt</source>
        <translation>The disk is read-only</translation>
    </message>
    <message>
        <source>Die Datei existiert bereits</source>
        <translation>The file already exists</translation>
    </message>
    <message>
        <source>Es ist ein Ordner</source>
        <translation>It is a folder</translation>
    </message>
    <message>
        <source>Es ist kein Ordner</source>
        <translation>It is not a folder</translation>
    </message>
    <message>
        <source>Ein symbolischer Link, dem nicht gefolgt wird, oder zu viele Links</source>
        <translation>A symbolic link that is not followed, or too many links</translation>
    </message>
    <message>
        <source>Der Name ist zu lang</source>
        <translation>The name is too long</translation>
    </message>
    <message>
        <source>Zu viele Dateien sind geöffnet</source>
        <translation>Too many open files</translation>
    </message>
    <message>
        <source>Das geht nicht über Dateisystemgrenzen hinweg</source>
        <translation>Not possible across file systems</translation>
    </message>
    <message>
        <source>Das Gerät oder die Ressource ist belegt</source>
        <translation>Device or resource busy</translation>
    </message>
    <message>
        <source>Fehler beim Lesen oder Schreiben des Datenträgers</source>
        <translation>Input/output error on the disk</translation>
    </message>
    <message>
        <source>Nicht genug Arbeitsspeicher.</source>
        <translation>Not enough memory.</translation>
    </message>
    <message>
        <source>Ein unerwarteter interner Fehler ist aufgetreten.</source>
        <translation>An unexpected internal error occurred.</translation>
    </message>
</context>
<context>
    <name>WatchTexts</name>
    <message>
        <source>Es handelt sich um einen symbolischen Link; er wird nicht geöffnet.</source>
        <translation>It is a symbolic link; it is not opened.</translation>
    </message>
    <message>
        <source>Es handelt sich um einen Ordner; er wird nicht geöffnet.</source>
        <translation>It is a folder; it is not opened.</translation>
    </message>
    <message>
        <source>Es handelt sich um keine gewöhnliche Datei (etwa eine Pipe oder ein Gerät); sie wird nicht geöffnet.</source>
        <translation>It is not a regular file but something like a pipe or a device; it is not opened.</translation>
    </message>
    <message>
        <source>Fehlende Fonts: %1</source>
        <translation>Missing fonts: %1</translation>
    </message>
    <message>
        <source>Der Ordner %1 kann nicht angelegt oder geöffnet werden: %2</source>
        <translation>The folder %1 cannot be made or opened: %2</translation>
    </message>
</context>
<context>
    <name>WatchingTexts</name>
    <message>
        <source>Überwacht: %1</source>
        <translation>Watching: %1</translation>
    </message>
    <message>
        <source>%1 umgewandelt, %2 fehlgeschlagen</source>
        <translation>%1 converted, %2 failed</translation>
    </message>
    <message>
        <source>Ergebnisse anzeigen</source>
        <translation>Show the results</translation>
    </message>
    <message>
        <source>Ordner zum Überwachen wählen</source>
        <translation>Choose a Folder to Watch</translation>
    </message>
    <message>
        <source>Der Ordner kann nicht überwacht werden.</source>
        <translation>The folder cannot be watched.</translation>
    </message>
    <message>
        <source>Überwachte Ordner</source>
        <translation>Watched Folders</translation>
    </message>
    <message>
        <source>%1 → %2</source>
        <translation>%1 → %2</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>Protokoll: %1</source>
        <translation>Log: %1</translation>
    </message>
</context>
<context>
    <name>WindowTexts</name>
    <message>
        <source>Diese Anwendung verwendet Ghostscript zur Konvertierung von PostScript-Dateien nach PDF. Ghostscript ist ein separates Programm und wird nicht mit dieser Anwendung ausgeliefert. Ghostscript wird von Artifex Software, Inc. entwickelt.</source>
        <translation>This application uses Ghostscript to convert PostScript files to PDF. Ghostscript is a separate program and is not shipped with this application. Ghostscript is developed by Artifex Software, Inc.</translation>
    </message>
    <message>
        <source>Ablagefläche</source>
        <translation>Drop area</translation>
    </message>
    <message>
        <source>PostScript-Dateien (.ps, .eps) hierher ziehen, um sie in PDF umzuwandeln.</source>
        <translation>Drag PostScript files (.ps, .eps) here to convert them to PDF.</translation>
    </message>
    <message>
        <source>PostScript - Fontübersicht</source>
        <translation>PostScript - Font Overview</translation>
    </message>
    <message>
        <source>Fehler</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>Abbrechen</source>
        <translation>Cancel</translation>
    </message>
    <message numerus="yes">
        <source>%n weitere Dateien warten</source>
        <translation>
            <numerusform>%n more file waiting</numerusform>
            <numerusform>%n more files waiting</numerusform>
        </translation>
    </message>
    <message>
        <source>PostScript-Dateien (*.ps *.eps *.PS *.EPS)</source>
        <translation>PostScript files (*.ps *.eps *.PS *.EPS)</translation>
    </message>
    <message>
        <source>Alle Dateien (*)</source>
        <translation>All files (*)</translation>
    </message>
</context>
</TS>
