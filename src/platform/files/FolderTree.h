#pragma once

#include <QByteArray>
#include <QList>
#include <QtGlobal>

// Folders walked through descriptors: every step is an openat() relative to
// a folder already open, with O_NOFOLLOW, so a link met on the way is
// removed or counted as what it is and never entered, and a folder renamed
// meanwhile is still the one walked.

// Opens the folder name in parent, not through a link; -1 with errno set.
int OpenSubfolder(int parent, const char *name);

// The names in folder, "." and ".." left out.
QList<QByteArray> FolderEntries(int folder);

// Removes everything in folder; false when something stayed.
bool RemoveFolderContents(int folder);

// Removes the entry name of parent, which is the open folder, with all
// that is in it. Whatever name has come to stand for meanwhile (a link, a
// folder put in its place) stays. False when something stayed.
bool RemoveFolder(int parent, const char *name, int folder);

// The disk space of everything in folder (st_blocks of every entry, links
// counted as links), or -1 when part of it cannot be read. What vanishes
// while it is counted is not counted.
qint64 FolderDiskUse(int folder);
