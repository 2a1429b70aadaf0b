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
// Runs a shell script as the user nobody (the test must run as root);
// false when it could not be run or failed.
bool runAsNobody(const QString &shellScript);
// The same with arguments, the script's $1, $2, ...: paths need no quoting.
bool runAsNobody(const QString &shellScript, const QStringList &arguments);
// The page count pdfinfo reports, or -1 when it does not accept the file.
int pdfPageCount(const QString &pdfPath);
// Makes a folder unwritable even for root (chattr +i there, chmod otherwise);
// false when this machine cannot. The guard undoes it.
class ReadOnlyFolder
{
public:
    explicit ReadOnlyFolder(const QString &path);
    ~ReadOnlyFolder();
    bool active() const { return m_active; }

private:
    QString m_path;
    bool m_active = false;
    bool m_immutable = false;
};

// The system's Ghostscript for tests that need a real one.
QString realGhostscript();

} // namespace TestFiles
