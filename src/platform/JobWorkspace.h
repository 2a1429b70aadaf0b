#pragma once

#include <QString>

// A conversion's own folder inside the private temporary folder (mode 0700):
// it holds the links to the input, the repaired copy, the prolog, the
// Ghostscript child's temporary folder and its output, so that no two jobs,
// and no two running copies of the program, ever share a file. The folder
// and everything in it go with this object. A lock held for the folder's
// life tells a later start whether its owner is still alive: the lock goes
// with the process however it ends, and RemoveStaleWorkspaces() then clears
// the folder away.
class JobWorkspace
{
public:
    // Throws std::runtime_error (with the reason) when no folder can be made.
    JobWorkspace();
    ~JobWorkspace();
    JobWorkspace(const JobWorkspace &) = delete;
    JobWorkspace &operator=(const JobWorkspace &) = delete;

    QString path() const { return m_path; }
    QString filePath(const QString &name) const;
    // The folder itself, opened once: files in it are reached relative to it.
    int descriptor() const { return m_folder; }

    // The names inside every workspace.
    static QString inputName(const QString &inputPath);
    static QString outputName() { return QStringLiteral("output.pdf"); }
    static QString temporaryName() { return QStringLiteral("tmp"); }

private:
    void release();

    QString m_path;
    int m_folder = -1;
    int m_lock = -1;
};

// Removes the workspaces in the private temporary folder whose programs have
// ended without removing them (killed, crashed, power lost). Workspaces of
// running programs, this one included, are left alone.
void RemoveStaleWorkspaces();
