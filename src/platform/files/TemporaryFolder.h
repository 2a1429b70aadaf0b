#pragma once

#include "platform/files/FolderItem.h"

#include <QString>

// The user's own private temporary folder, held open: on macOS the per-user
// temporary folder the system hands out; elsewhere "pagora-<uid>" in $TMPDIR
// (or /tmp), mode 0700, owned by the user and not a link.
//
// The folder is reached from "/" one folder at a time, through descriptors,
// and each folder on the way must be one that no other user can change:
// owned by root or this user, and writable by nobody else, or only with the
// sticky bit, which keeps every entry its owner's (as /tmp). Where another
// user could rename the entries (a $TMPDIR open to all without the sticky
// bit, or below such a folder), the per-user runtime folder
// ($XDG_RUNTIME_DIR, if it is private to this user) stands in, and else the
// folder "pagora" in the user's cache folder ($XDG_CACHE_HOME or ~/.cache).
// When the usual name is taken by somebody else, a fresh folder is made next
// to it, once per run of the program, and removed when the program ends.
//
// The folder is checked on its descriptor (a folder of this user, mode
// tightened to 0700), so what is made in it afterwards through descriptor()
// lands there whatever its name has come to mean since; path() names it for
// what needs a name, and no other user can redirect it.
class PrivateFolder
{
public:
    // Throws std::runtime_error when no such folder can be had.
    PrivateFolder();
    ~PrivateFolder();
    PrivateFolder(const PrivateFolder &) = delete;
    PrivateFolder &operator=(const PrivateFolder &) = delete;

    int descriptor() const { return m_descriptor; }
    QString path() const { return m_path; }

private:
    int m_descriptor = -1;
    QString m_path;
};

// The private folder's path; checked (and made again if gone) on every call.
// Throws std::runtime_error as PrivateFolder() does.
FolderItem TemporaryFolder();
