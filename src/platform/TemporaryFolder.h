#pragma once

#include "platform/FolderItem.h"

// The user's own private temporary folder: on macOS the per-user temporary
// folder the system hands out; elsewhere a folder "pagora-<uid>" below the
// temporary location, mode 0700, owned by the user and not a symbolic link.
// Nobody else can plant files or links in it. Throws std::runtime_error when
// no such folder can be had.
FolderItem TemporaryFolder();
