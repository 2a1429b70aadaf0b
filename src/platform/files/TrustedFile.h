#pragma once

#include "platform/files/FileDescriptor.h"

#include <QString>

// A file opened by OpenTrustedFile, or why it was not.
struct TrustedFile {
    enum class Refusal {
        None,
        CannotOpen,     // not there, not reachable or too many links: error says why
        ForeignLink,    // a link on the way belongs to neither root nor this user
        ForeignFile,    // the file belongs to neither root nor this user
        NotRegularFile, // a folder, FIFO, socket or device
    };

    FileDescriptor file; // invalid when refused
    QString path;        // where the file was found, links resolved
    Refusal refusal = Refusal::None;
    int error = 0; // errno, for CannotOpen
};

// Opens the file at the absolute path for reading as a careful loader does,
// for a file other users may have had a hand in (an installed font in a
// folder a group may write). The path is walked from "/" one name at a time
// through descriptors, nothing on the way followed by the system: a link is
// followed only when the link itself belongs to root or this user, since
// whoever owns a link can point it anywhere at any time, and at most 40 links
// (then ELOOP). The file reached must be a regular file of root's or this
// user's. The open neither waits nor takes a terminal; every later read, rule
// and hand-over goes through the returned descriptor.
TrustedFile OpenTrustedFile(const QString &path);
