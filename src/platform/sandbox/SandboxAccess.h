#pragma once

// How a confined child may use one file or folder, named by what it is for
// rather than by one kernel's rights, so that the grants can be read (and
// made) without knowing how a platform spells them.
enum class SandboxAccess {
    // Read a file; on a folder, read the files beneath it but not list them.
    ReadFile,
    // Read a folder and everything beneath it; on a file, read the file.
    ReadFolder,
    // Read, write and truncate a file (/dev/null).
    ReadWrite,
    // Start a program (or have the kernel load it as an interpreter).
    Execute,
    // Create, write and remove files and folders beneath a folder, but no
    // links, pipes, sockets or devices.
    Workspace,
};
