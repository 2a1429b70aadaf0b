#pragma once

#include "platform/sandbox/SandboxAccess.h"

#include <QByteArray>
#include <QString>

#include <vector>

// What every run of one Ghostscript is granted besides its job's paths, on
// Linux: the system's libraries, Ghostscript's resources, the fonts and
// fontconfig's configuration and caches, the time zones, the huge-page
// settings, /dev/null, and the ELF interpreter its executable names; found
// by tracing real runs. (macOS has its own in SandboxExecProfile.cpp.)
//
// Linux only: defined there alone, and called only there.
class SystemGrants
{
public:
    struct Grant {
        QByteArray path;
        SandboxAccess access;
    };

    // Worked out once per Ghostscript and kept: it needs a dozen look-ups
    // that would otherwise be repeated for every conversion.
    static SystemGrants forGhostscript(const QString &executable);

    // The ELF interpreter (ld.so) the executable names, or empty for a
    // static one: the kernel opens it for execution too, so it needs
    // SandboxAccess::Execute.
    QByteArray interpreter() const { return m_interpreter; }
    // Paths that may be missing, or out of this user's reach, on a system.
    const std::vector<Grant> &paths() const { return m_paths; }

private:
    static SystemGrants workOut(const QString &executable);

    QString m_executable; // as the caller named it
    QByteArray m_interpreter;
    std::vector<Grant> m_paths;
};
