<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de" sourcelanguage="de">
<context>
    <name>ConversionTexts</name>
    <message numerus="yes">
        <source>In diesen Dateien fehlen Fonts:</source>
        <translation>
            <numerusform>In dieser Datei fehlen Fonts:</numerusform>
            <numerusform>In diesen Dateien fehlen Fonts:</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Sollen diese Dateien mit dem Ersatzfont erneut konvertiert werden?</source>
        <translation>
            <numerusform>Soll diese Datei mit dem Ersatzfont erneut konvertiert werden?</numerusform>
            <numerusform>Sollen diese Dateien mit dem Ersatzfont erneut konvertiert werden?</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Sollen diese Dateien mit den Ersatzfonts erneut konvertiert werden?</source>
        <translation>
            <numerusform>Soll diese Datei mit den Ersatzfonts erneut konvertiert werden?</numerusform>
            <numerusform>Sollen diese Dateien mit den Ersatzfonts erneut konvertiert werden?</numerusform>
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
        <source>%1 von %n Dateien wurde in PDF umgewandelt.</source>
        <translation>
            <numerusform>%1 von %n Datei wurde in PDF umgewandelt.</numerusform>
            <numerusform>%1 von %n Dateien wurde in PDF umgewandelt.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1 von %n Dateien wurden in PDF umgewandelt.</source>
        <translation>
            <numerusform>%1 von %n Datei wurden in PDF umgewandelt.</numerusform>
            <numerusform>%1 von %n Dateien wurden in PDF umgewandelt.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Abgebrochen: %n Dateien wurden nicht in PDF umgewandelt.</source>
        <translation>
            <numerusform>Abgebrochen: %n Datei wurde nicht in PDF umgewandelt.</numerusform>
            <numerusform>Abgebrochen: %n Dateien wurden nicht in PDF umgewandelt.</numerusform>
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
        <source>Die PDF-Datei kann in diesem Ordner nicht angelegt werden: %1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die PDF-Datei kann nicht am Zielort abgelegt werden: %1: %2</source>
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
        <source>Vorgeschlagener Ersatz für &apos;%1&apos;:</source>
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
        <source>Ersetzte Fonts: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die Eingabedatei kann nicht vorbereitet werden: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die Eingabedatei kann nicht geöffnet werden: %1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Es handelt sich um einen Ordner.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Es handelt sich nicht um eine gewöhnliche Datei, sondern etwa um eine Pipe oder ein Gerät.</source>
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
        <source>Dieselbe PDF-Datei wird bereits aus %1 erzeugt.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Auch nach %1 Durchgängen mit Ersatzfonts fehlen noch Fonts: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die Datei für die Fontersetzung kann nicht geschrieben werden: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Der Arbeitsordner für die Konvertierung kann nicht angelegt werden: %1</source>
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
        <source>PDF-Art: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ghostscript konnte kein gültiges PDF/A erzeugen; es wurde keine PDF-Datei abgelegt:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Für PDF/A fehlt das sRGB-Farbprofil von Ghostscript (iccprofiles/srgb.icc) in der Installation von %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die PDF/A-Einstellungen können nicht geschrieben werden: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ghostscript kann nicht in seiner Sandbox gestartet werden: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Für %1 lässt sich kein Sandbox-Profil schreiben.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Das Dokument kann nicht gelesen werden: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die bereinigte Kopie kann nicht geschrieben werden: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die bereinigte Kopie kann nicht gelesen werden: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Der Ordner für die bereinigte Kopie kann nicht geöffnet werden: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die Grafik kann nicht gelesen werden: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die zugeschnittene Kopie der Grafik kann nicht geschrieben werden: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Der Ordner für die zugeschnittene Kopie der Grafik kann nicht geöffnet werden: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die bereinigte Kopie würde größer als %1 GiB werden.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die zugeschnittene Kopie der Grafik würde größer als %1 GiB werden.</source>
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
        <source>Die Fontübersicht kann nicht gespeichert werden: %1</source>
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
        <source>1. Terminal öffnen</source>
        <comment>any terminal, not macOS</comment>
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
        <source>In %1 lässt sich kein Ordner anlegen: %2</source>
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
        <source>Der Prozessfilter lässt sich nicht erstellen (%1): %2</source>
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
        <source>Die Landlock-Regeln lassen sich nicht anlegen: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Der Zugriff auf %1 lässt sich nicht freigeben: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Deskriptor %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Keine Berechtigung</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Der Vorgang ist nicht erlaubt</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Datei oder Ordner nicht gefunden</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Auf dem Datenträger ist kein Platz mehr frei</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Das Speicherkontingent ist ausgeschöpft</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Der Datenträger ist schreibgeschützt</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die Datei existiert bereits</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Es ist ein Ordner</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Es ist kein Ordner</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ein symbolischer Link, dem nicht gefolgt wird, oder zu viele Links</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Der Name ist zu lang</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Zu viele Dateien sind geöffnet</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Das geht nicht über Dateisystemgrenzen hinweg</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Das Gerät oder die Ressource ist belegt</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Fehler beim Lesen oder Schreiben des Datenträgers</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Nicht genug Arbeitsspeicher.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ein unerwarteter interner Fehler ist aufgetreten.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>WatchTexts</name>
    <message>
        <source>Es handelt sich um einen symbolischen Link; er wird nicht geöffnet.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Es handelt sich um einen Ordner; er wird nicht geöffnet.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Es handelt sich um keine gewöhnliche Datei (etwa eine Pipe oder ein Gerät); sie wird nicht geöffnet.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Fehlende Fonts: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Der Ordner %1 kann nicht angelegt oder geöffnet werden: %2</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>WatchingTexts</name>
    <message>
        <source>Überwacht: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 umgewandelt, %2 fehlgeschlagen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ergebnisse anzeigen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ordner zum Überwachen wählen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Der Ordner kann nicht überwacht werden.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Überwachte Ordner</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 → %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Protokoll: %1</source>
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
