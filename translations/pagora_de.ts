<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de" sourcelanguage="de">
<context>
    <name>ConversionTexts</name>
    <message numerus="yes">
        <source>In diesen Dateien wurden Fonts nicht gefunden:</source>
        <translation>
            <numerusform>In dieser Datei wurden Fonts nicht gefunden:</numerusform>
            <numerusform>In diesen Dateien wurden Fonts nicht gefunden:</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Sollen diese Dateien mit %1 erneut konvertiert werden?</source>
        <translation>
            <numerusform>Soll diese Datei mit %1 erneut konvertiert werden?</numerusform>
            <numerusform>Sollen diese Dateien mit %1 erneut konvertiert werden?</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>den Ersatzfonts</source>
        <translation>
            <numerusform>dem Ersatzfont</numerusform>
            <numerusform>den Ersatzfonts</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Ja, Ersatzfonts verwenden</source>
        <translation>
            <numerusform>Ja, Ersatzfont verwenden</numerusform>
            <numerusform>Ja, Ersatzfonts verwenden</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n von %1 wurden in PDF umgewandelt.</source>
        <translation>
            <numerusform>%n von %1 wurde in PDF umgewandelt.</numerusform>
            <numerusform>%n von %1 wurden in PDF umgewandelt.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n Dateien</source>
        <translation>
            <numerusform>%n Datei</numerusform>
            <numerusform>%n Dateien</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Abgebrochen: %n Dateien wurden nicht konvertiert.</source>
        <translation>
            <numerusform>Abgebrochen: %n Datei wurde nicht konvertiert.</numerusform>
            <numerusform>Abgebrochen: %n Dateien wurden nicht konvertiert.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1 von %n Dateien</source>
        <translation>
            <numerusform>%1 von %n Datei</numerusform>
            <numerusform>%1 von %n Dateien</numerusform>
        </translation>
    </message>
    <message>
        <source>Keine PostScript-Datei</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die Datei ist keine PostScript-Datei (.ps oder .eps).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ghostscript nicht gefunden</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Bitte installieren mit:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Erfolg!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die PDF-Datei wurde erstellt:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Fehler bei der Konvertierung!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ausgabe:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ghostscript wurde nach 30 Sekunden abgebrochen.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>[… %1 Bytes der Ausgabe ausgelassen …]</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ghostscript wurde von außen beendet oder ist abgestürzt.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die PDF-Datei wurde nicht vollständig geschrieben (ist der Datenträger voll?).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die PDF-Datei kann in diesem Ordner nicht angelegt werden: </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die PDF-Datei kann nicht an ihren Platz gelegt werden: </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Fehlende Schriftarten</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Folgende Fonts wurden nicht gefunden:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Vorgeschlagener Ersatz für &apos;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&apos;:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Soll die Konvertierung mit dem Ersatzfont wiederholt werden?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ja, Ersatzfont verwenden</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Nein, abbrechen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ersetzte Fonts: </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die Eingabedatei kann nicht vorbereitet werden: </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die Eingabedatei kann nicht geöffnet werden: </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sie ist ein Ordner.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sie ist keine gewöhnliche Datei (sondern etwa eine Pipe oder ein Gerät).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die Vorbereitung der Eingabedatei wurde nach 30 Sekunden abgebrochen.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ghostscript wurde abgebrochen: Die Konvertierung belegte mehr als 4 GiB auf dem Datenträger.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Dieselbe PDF-Datei entsteht schon aus %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Auch nach %1 Durchgängen mit Ersatzfonts fehlen noch Fonts: </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die Ersatzfonts können nicht geschrieben werden: </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Der Arbeitsordner für die Konvertierung kann nicht angelegt werden: </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Standard</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Archiv (PDF/A-2b)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Druck</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Kleine Datei</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Graustufen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>PDF-Art: </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ghostscript konnte kein gültiges PDF/A erzeugen; es wurde keine PDF-Datei abgelegt:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Für PDF/A fehlt das sRGB-Farbprofil von Ghostscript (iccprofiles/srgb.icc) bei: </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die PDF/A-Einstellungen können nicht geschrieben werden: </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ghostscript kann nicht in seiner Sandbox gestartet werden: </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Für %1 lässt sich kein Sandbox-Profil schreiben.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Das Dokument kann nicht gelesen werden</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die bereinigte Kopie kann nicht geschrieben werden</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die bereinigte Kopie kann nicht gelesen werden</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Der Ordner für die bereinigte Kopie kann nicht geöffnet werden</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die Grafik kann nicht gelesen werden</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die zugeschnittene Kopie der Grafik kann nicht geschrieben werden</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Der Ordner für die zugeschnittene Kopie der Grafik kann nicht geöffnet werden</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die bereinigte Kopie würde größer als %1 GiB.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die zugeschnittene Kopie der Grafik würde größer als %1 GiB.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Nein</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Konvertierung abgeschlossen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Fehlgeschlagen:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Übersprungen (keine PostScript-Datei):</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Mit Ersatzfonts erstellt:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Mit fehlenden Fonts erstellt (ohne Ersatzfont):</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ausgabe von Ghostscript für %1:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Konvertierung</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>FontSheetTexts</name>
    <message>
        <source>Keine Fonts gefunden!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die Fontübersicht kann nicht gesichert werden: </source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>%n Fonts gefunden.</source>
        <translation type="unfinished">
            <numerusform></numerusform>
            <numerusform></numerusform>
        </translation>
    </message>
</context>
<context>
    <name>InstallTexts</name>
    <message>
        <source>Ghostscript nicht gefunden</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Installationshilfe</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Später</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Für die PDF-Erstellung wird Ghostscript benötigt.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Installation unter macOS:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Installation unter Linux:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>1. Terminal öffnen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>2. Befehl eingeben:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ghostscript über die Paketverwaltung des Systems installieren.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>PlatformTexts</name>
    <message>
        <source>Kein temporärer Ordner, den nur dieser Benutzer ändern kann: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Kein eigener temporärer Ordner in %1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>In %1 lässt sich kein Ordner anlegen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Dieser Kernel kennt keine seccomp-Filter</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Der Prozessfilter lässt sich nicht erstellen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Landlock ist in diesem Kernel nicht verfügbar</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Landlock gibt es nur unter Linux</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Programm oder Arbeitsordner fehlen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die Landlock-Regeln lassen sich nicht anlegen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Der Zugriff auf %1 lässt sich nicht freigeben</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Deskriptor %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>WindowTexts</name>
    <message>
        <source>Diese Anwendung verwendet Ghostscript zur Konvertierung von PostScript-Dateien nach PDF. Ghostscript ist ein separates Programm und wird nicht mit dieser Anwendung ausgeliefert. Ghostscript wird von Artifex Software, Inc. entwickelt.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ablagefläche</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>PostScript-Dateien (.ps, .eps) hierher ziehen, um sie in PDF umzuwandeln.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>PostScript - Fontübersicht</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Fehler</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Abbrechen</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>%n weitere Dateien warten</source>
        <translation>
            <numerusform>%n weitere Datei wartet</numerusform>
            <numerusform>%n weitere Dateien warten</numerusform>
        </translation>
    </message>
    <message>
        <source>PostScript-Dateien (*.ps *.eps *.PS *.EPS)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Alle Dateien (*)</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
