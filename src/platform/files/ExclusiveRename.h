#pragma once

#include <QByteArray>
#include <QString>

// Moves the entry name of the open folder fromFolder to newName in the open
// folder toFolder, never over an entry that is there already (false with
// errno EEXIST then), and never through a link: a link is moved as the link
// it is. False with errno set when it cannot be moved.
bool RenameWithoutReplacing(int fromFolder, const QByteArray &name, int toFolder,
                            const QByteArray &newName);

// name with a number before its last suffix, as a folder's second file of a
// name is called: "x.ps" 2 -> "x (2).ps", "notes" 3 -> "notes (3)"; number 1
// is the name itself.
QString NumberedName(const QString &name, int number);
