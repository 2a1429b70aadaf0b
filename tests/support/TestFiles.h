#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Small helpers for tests that work on real files in a temporary folder.
namespace TestFiles {

QString fixture(const QString &name);
QByteArray readBytes(const QString &path);
void writeBytes(const QString &path, const QByteArray &bytes);
// Writes an executable shell script (a stand-in for gs that misbehaves).
void writeScript(const QString &path, const QByteArray &body);
// Runs a program and returns its standard output; empty on failure.
QByteArray runTool(const QString &program, const QStringList &arguments);
// The page count pdfinfo reports, or -1 when it does not accept the file.
int pdfPageCount(const QString &pdfPath);
// The system's Ghostscript for tests that need a real one.
QString realGhostscript();

} // namespace TestFiles
