<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<!-- German is the source language: this file holds only the numerus forms
     of the German texts that agree with a number (lupdate -pluralonly). -->
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
        <source>Sollen diese Dateien mit den Ersatzfonts erneut konvertiert werden?</source>
        <translation>
            <numerusform>Soll diese Datei mit dem Ersatzfont erneut konvertiert werden?</numerusform>
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
</context>
</TS>
