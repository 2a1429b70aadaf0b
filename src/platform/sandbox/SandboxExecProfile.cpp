#include "platform/sandbox/SandboxExecProfile.h"

#include "platform/sandbox/SandboxRules.h"

namespace
{

// What Ghostscript reads to start on macOS: the system's libraries and
// frameworks (the dyld shared cache lives in the cryptexes since macOS 13),
// the fonts, a Homebrew or MacPorts installation with its share and lib
// folders, the system configuration and the devices it opens for reading.
const char *const kSystemReadableFolders[] = {
    "/usr/lib",
    "/usr/share",
    "/System/Library",
    "/System/Cryptexes",
    "/System/Volumes/Preboot/Cryptexes",
    "/Library/Fonts",
    "/System/Library/Fonts",
    "/opt/homebrew",
    "/opt/local",
    "/usr/local",
    "/private/etc",
    "/private/var/db/timezone",
    "/dev",
};

// A string literal of the profile. Backslash and double quote are the only
// characters with a meaning inside one.
std::optional<QString> literal(const QString &text)
{
    QString quoted = QStringLiteral("\"");
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return std::nullopt;
        if (c == QLatin1Char('\\') || c == QLatin1Char('"'))
            quoted += QLatin1Char('\\');
        quoted += c;
    }
    return quoted + QLatin1Char('"');
}

} // namespace

std::optional<QString> SandboxExecProfile(const SandboxRules &rules)
{
    // Without them the profile would name a path "" and mean nothing sensible.
    if (rules.executable.isEmpty() || rules.workspace.isEmpty())
        return std::nullopt;
    QString profile;
    bool safe = true;
    auto line = [&](const QString &text) { profile += text + QLatin1Char('\n'); };
    auto filter = [&](const char *kind, const QString &path) {
        const std::optional<QString> quoted = literal(path);
        safe = safe && quoted.has_value();
        return QStringLiteral("  (%1 %2)").arg(QLatin1String(kind), quoted.value_or(QString()));
    };

    line(QStringLiteral("(version 1)"));
    line(QStringLiteral("(deny default)"));
    // No new processes: Ghostscript needs none, and one it started could
    // outlive the stop of the job (%pipe% fails at once).
    line(QStringLiteral("(deny process-fork)"));
    line(QStringLiteral("(allow process-exec"));
    line(filter("literal", rules.executable) + QLatin1Char(')'));
    line(QStringLiteral("(allow signal (target self))"));
    line(QStringLiteral("(allow sysctl-read)"));
    // dyld and the C library look at every folder on the way to a file;
    // metadata tells names and sizes, never contents.
    line(QStringLiteral("(allow file-read-metadata)"));
    line(QStringLiteral("(allow file-read*"));
    for (const char *folder : kSystemReadableFolders)
        line(filter("subpath", QString::fromUtf8(folder)));
    for (const QStringList *folders : {&rules.fontFolders, &rules.readableFolders}) {
        for (const QString &folder : *folders)
            line(filter("subpath", folder));
    }
    line(filter("literal", rules.executable));
    for (const QString &file : rules.readableFiles)
        line(filter("literal", file));
    line(filter("subpath", rules.workspace) + QLatin1Char(')'));
    line(QStringLiteral("(allow file-write*"));
    line(filter("subpath", rules.workspace));
    line(filter("literal", QStringLiteral("/dev/null")) + QLatin1Char(')'));
    // Nothing allows network*: no sockets in or out.
    if (!safe)
        return std::nullopt;
    return profile;
}

QStringList SandboxExecArguments(const QString &profile, const QString &program,
                                 const QStringList &arguments)
{
    return QStringList{QStringLiteral("-p"), profile, program} + arguments;
}
