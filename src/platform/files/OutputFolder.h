#pragma once

#include <QString>

// The folder a finished file is to go into, opened once when the job starts.
// Everything later happens relative to that descriptor, never through a path
// name another user could meanwhile swap for a link: in a folder others may
// write, the file is only ever put in place by a rename of a file this program
// made itself.
class OutputFolder
{
public:
    // Opens the folder of targetPath; false with the reason when it cannot.
    bool open(const QString &targetPath, QString *error);
    ~OutputFolder();

    // False, with the reason, when no file can be created in the folder.
    bool canCreateFiles(QString *error) const;

    // Moves the file name in the folder sourceFolder (a descriptor) to the
    // target. On the same file system this is a rename; otherwise the bytes are
    // copied into a new file in the target folder (an unnamed one where the
    // system has it), written through, and renamed over the target name. The
    // file gets the permission bits of the file it replaces, or those a new
    // file gets. False, with the reason, when it cannot; an older target is then
    // untouched and nothing is left beside it.
    bool place(int sourceFolder, const QString &name, QString *error);

    QString targetName() const { return m_name; }
    // True when a file in sourceFolder reaches this folder by a rename.
    bool isOnFileSystemOf(int sourceFolder) const;

private:
    int m_folder = -1;
    QString m_name;
};
