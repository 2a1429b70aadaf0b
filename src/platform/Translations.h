#pragma once

class QCoreApplication;

// The texts of the program's language, German: the numerus forms of
// Pagora's own texts, and Qt's own texts (its buttons, the file dialog).
// Installed once per application; a second call does nothing.
//
// German is the source language, so Pagora needs no translation of its own
// texts; but without one Qt substitutes %n and picks no form, and "1 Dateien"
// would stand where "1 Datei" belongs.
void InstallProgramTranslations(QCoreApplication &application);
// Qt's qtbase_de.qm, from Qt's translations folder or, in a macOS bundle,
// from its Resources/translations. False where it is not found: Qt's texts
// then stay English.
bool InstallQtTranslations(QCoreApplication &application);
