#pragma once

#include <QString>
#include <QStringList>

// The folder the open dialog last took files from, kept in the program's
// settings from one run to the next, so that the dialog starts there again.
class LastOpenFolder
{
public:
    // The remembered folder while it still exists; otherwise the user's
    // documents folder, or the home folder.
    static QString folder();
    // Remembers the folder of the first chosen file; nothing chosen changes nothing.
    static void remember(const QStringList &chosenFiles);
};
