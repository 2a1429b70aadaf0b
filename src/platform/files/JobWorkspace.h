#pragma once

#include "platform/files/TemporaryFolder.h"

#include <QString>

// A conversion's own folder inside the private temporary folder (mode 0700):
// it holds the link to the input, the repaired copy, the prolog, the
// Ghostscript child's temporary folder and its output, so that no two jobs,
// and no two running copies of the program, ever share a file. The folder
// and everything in it go with this object. A lock held for the folder's
// life tells a later start whether its owner is still alive: the lock goes
// with the process however it ends, and RemoveStaleWorkspaces() then clears
// the folder away.
//
// The private folder and the workspace are held open from the moment they
// are checked: the workspace is made, filled, given to Ghostscript (fchdir)
// and removed through these descriptors, never by a path that another user
// could redirect meanwhile, and its removal follows no link.
class JobWorkspace
{
public:
    // Throws std::runtime_error (with the reason) when no folder can be made.
    JobWorkspace();
    ~JobWorkspace();
    JobWorkspace(const JobWorkspace &) = delete;
    JobWorkspace &operator=(const JobWorkspace &) = delete;

    // The folder's path, for what must name it (messages, sandbox-exec's
    // profile on macOS); this program's own work goes through descriptor().
    // No other user can redirect it (see PrivateFolder), but it is a name:
    // what this program makes or removes in the folder goes by descriptor.
    QString path() const { return m_path; }
    QString filePath(const QString &name) const;
    // The folder itself, opened once: files in it are reached relative to it.
    int descriptor() const { return m_folder; }

    // Names below are plain names in the workspace: no '/', not "." or
    // "..", else the call fails with EINVAL.
    //
    // Opens name, never following a link; flags as for open(2), with
    // O_NOFOLLOW and O_CLOEXEC added. The descriptor, or -1 with errno set.
    int openFile(const QString &name, int flags, int mode = 0600) const;
    // Writes a new file name with bytes, replacing any before; the system's
    // reason when it cannot, empty when it could.
    QString writeFile(const QString &name, const QByteArray &bytes) const;
    // Removes the file (or link) name; true also when there was none.
    bool removeFile(const QString &name) const;
    // Makes name a symbolic link to target.
    bool makeLink(const QString &target, const QString &name) const;
    // The disk space everything in the workspace takes, links not followed;
    // -1 when it cannot be read.
    qint64 bytesUsed() const;

    // The names inside every workspace.
    static QString inputName(const QString &inputPath);
    static QString outputName() { return QStringLiteral("output.pdf"); }
    static QString temporaryName() { return QStringLiteral("tmp"); }

private:
    void release();

    PrivateFolder m_base;
    QByteArray m_name; // in the private folder
    QString m_path;
    int m_folder = -1;
    int m_lock = -1;
};

// Removes the workspaces in the private temporary folder whose programs have
// ended without removing them (killed, crashed, power lost). Workspaces of
// running programs, this one included, are left alone.
void RemoveStaleWorkspaces();
