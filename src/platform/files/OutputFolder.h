#pragma once

#include <QString>

#include <atomic>

// A folder finished files go into, opened once: by a job for its own PDF, or
// once for a whole run of the queue and shared by its jobs. Everything later
// happens relative to that descriptor, never through a path name another
// user could meanwhile swap for a link: in a folder others may write, a file
// is only ever put in place by a rename of a file this program made itself.
// Once open, nothing changes it, so that jobs on several threads may place
// their files into it at once.
class OutputFolder
{
public:
    OutputFolder() = default;
    ~OutputFolder();
    OutputFolder(const OutputFolder &) = delete;
    OutputFolder &operator=(const OutputFolder &) = delete;

    // Opens the folder at folderPath; false, with the reason, when it cannot.
    // The reason is kept: every file meant for the folder fails with it.
    bool open(const QString &folderPath, QString *error = nullptr);

    // False, with the reason, when no file can be created in the folder (or
    // it could not be opened).
    bool canCreateFiles(QString *error) const;

    // Moves the file name in the folder sourceFolder (a descriptor) to
    // targetName in this folder. On the same file system this is a rename;
    // otherwise the bytes are copied into a new file in this folder (an
    // unnamed one where the system has it), written through, and renamed
    // over the target name. The file gets the permission bits of the file it
    // replaces, or those a new file gets. A copy stops when stop is set: it is
    // looked at between blocks and right before the copy takes the target's
    // name. False, with the reason, when it is not in place; an older target
    // is then untouched and nothing is left beside it.
    bool place(int sourceFolder, const QString &name, const QString &targetName,
               const std::atomic<bool> *stop, QString *error) const;

    // True when a file in sourceFolder reaches this folder by a rename.
    bool isOnFileSystemOf(int sourceFolder) const;

private:
    int m_folder = -1;
    QString m_openError;
};
