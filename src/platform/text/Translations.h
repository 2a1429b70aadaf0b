#pragma once

#include <QLocale>

class QCoreApplication;

// The window speaks German, the source language of its texts, where the
// system's first language for programs is German, and where it names none
// (the C and POSIX locales); English everywhere else.
QLocale::Language ProgramLanguage(const QLocale &system = QLocale::system());

// The texts of that language: Pagora's own (for German only the forms that
// agree with a number: without them Qt substitutes %n but picks no form, and
// "1 Dateien" would stand where "1 Datei" belongs) and, for German, Qt's own
// (its buttons, the file dialog). A later call replaces what an earlier one
// installed. False where Qt's own German texts are not found: they then stay
// English.
bool InstallTranslations(QCoreApplication &application, const QLocale &system = QLocale::system());

// The command line speaks English whatever the system's language, and so do
// the conversion's texts it passes on.
void InstallCommandLineTranslations(QCoreApplication &application);
