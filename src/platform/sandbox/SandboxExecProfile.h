#pragma once

#include <QString>
#include <QStringList>

#include <optional>

struct SandboxRules;

// macOS confines a child through sandbox-exec and a profile in its sandbox
// language (SBPL). The profile holds the same rules as the Landlock sandbox
// on Linux: everything is denied unless allowed; Ghostscript may start only
// itself, read the system's libraries, its resources, fonts and the job's
// files, write only inside the workspace (and /dev/null), and has no network.
//
// Both functions are plain text work and are built on every system.

// The profile for rules that are already resolved (SandboxRules::resolved():
// on macOS /tmp and /var are links into /private, and the sandbox compares
// real paths). Empty when the executable or the workspace is missing, or
// when a path holds a control character, which has no safe spelling inside
// the profile's string literals.
std::optional<QString> SandboxExecProfile(const SandboxRules &resolvedRules);

inline constexpr const char *kSandboxExecProgram = "/usr/bin/sandbox-exec";

// sandbox-exec's arguments that start program confined by profile.
QStringList SandboxExecArguments(const QString &profile, const QString &program,
                                 const QStringList &arguments);
