#include "platform/sandbox/GhostscriptSandbox.h"

#include "platform/text/PlatformTexts.h"

#include "platform/sandbox/LandlockRuleset.h"
#include "platform/sandbox/SandboxRules.h"
#include "platform/sandbox/SyscallFilter.h"
#include "platform/sandbox/SystemGrants.h"
#include "platform/text/SystemErrorText.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <utility>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif
#if defined(Q_OS_LINUX)
#include <cerrno>
#include <cstring>
#endif

#if defined(Q_OS_LINUX)
namespace
{

// A grant the ruleset refused: the path or descriptor it was for, as the
// error text names it, and errno. No error: every grant was made.
struct Refusal {
    QString what;
    int error = 0;
};

// What is not there is simply not granted; of the system's own paths also
// what this user may not reach anyway.
bool optional(int error)
{
    return error == 0 || error == ENOENT || error == ENOTDIR;
}

bool optionalSystem(int error)
{
    return optional(error) || error == EACCES || error == ELOOP;
}

// A descriptor holds the folder that was checked, whatever its path leads
// to by now.
QString descriptorName(int descriptor, const QString &path)
{
    const QString name = PlatformTexts::kDescriptor.arg(descriptor);
    return path.isEmpty() ? name : QStringLiteral("%1 (%2)").arg(path, name);
}

Refusal grantPrograms(LandlockRuleset &ruleset, const QString &executable,
                      const SystemGrants &system)
{
    if (const int error = ruleset.grant(executable, SandboxAccess::Execute))
        return {executable, error};
    if (!system.interpreter().isEmpty()) {
        if (const int error = ruleset.grant(system.interpreter(), SandboxAccess::Execute))
            return {QFile::decodeName(system.interpreter()), error};
    }
    return {};
}

Refusal grantWorkspace(LandlockRuleset &ruleset, const SandboxRules &rules)
{
    if (rules.workspaceDescriptor >= 0) {
        if (const int error =
                ruleset.grantOpenFolder(rules.workspaceDescriptor, SandboxAccess::Workspace))
            return {descriptorName(rules.workspaceDescriptor, rules.workspace), error};
    } else if (const int error = ruleset.grantFolder(rules.workspace, SandboxAccess::Workspace)) {
        return {rules.workspace, error};
    }
    return {};
}

Refusal grantReadable(LandlockRuleset &ruleset, const SandboxRules &rules)
{
    for (const int descriptor : rules.readableDescriptors) {
        if (const int error = ruleset.grantOpenFile(descriptor, SandboxAccess::ReadFile))
            return {descriptorName(descriptor, QString()), error};
    }
    for (const QString &file : rules.readableFiles) {
        if (const int error = ruleset.grant(file, SandboxAccess::ReadFile); !optional(error))
            return {file, error};
    }
    for (const QStringList *folders : {&rules.readableFolders, &rules.fontFolders}) {
        for (const QString &folder : *folders) {
            if (const int error = ruleset.grant(folder, SandboxAccess::ReadFolder);
                !optional(error))
                return {folder, error};
        }
    }
    return {};
}

Refusal grantSystem(LandlockRuleset &ruleset, const SystemGrants &system)
{
    for (const auto &[path, access] : system.paths()) {
        if (const int error = ruleset.grant(path, access); !optionalSystem(error))
            return {QFile::decodeName(path), error};
    }
    return {};
}

Refusal grantAll(LandlockRuleset &ruleset, const SandboxRules &rules)
{
    const SystemGrants system = SystemGrants::forGhostscript(rules.executable);
    Refusal refusal = grantPrograms(ruleset, rules.executable, system);
    if (refusal.error == 0)
        refusal = grantWorkspace(ruleset, rules);
    if (refusal.error == 0)
        refusal = grantReadable(ruleset, rules);
    if (refusal.error == 0)
        refusal = grantSystem(ruleset, system);
    return refusal;
}

} // namespace
#endif

SandboxSupport GhostscriptSandbox::support()
{
#if defined(Q_OS_LINUX)
    return landlockAbi() > 0 ? SandboxSupport::Landlock : SandboxSupport::LinuxWithoutLandlock;
#elif defined(Q_OS_MACOS)
    return QFileInfo::exists(QStringLiteral("/usr/bin/sandbox-exec")) ? SandboxSupport::SandboxExec
                                                                      : SandboxSupport::None;
#else
    return SandboxSupport::None;
#endif
}

int GhostscriptSandbox::landlockAbi()
{
#if defined(Q_OS_LINUX)
    return LandlockRuleset::kernelAbi();
#else
    return 0;
#endif
}

GhostscriptSandbox GhostscriptSandbox::prepare(const SandboxRules &rules, int abiCeiling)
{
#if defined(Q_OS_LINUX)
    const SyscallFilter &filter = SyscallFilter::forChildren();
    const int abi = std::min(LandlockRuleset::kernelAbi(), std::max(abiCeiling, 0));
    if (abi == 0) {
        // The filter alone still keeps the child one process, if the kernel
        // takes it; the caller decides whether that is enough.
        GhostscriptSandbox sandbox(State::Unavailable, PlatformTexts::kNoLandlock);
        sandbox.m_filter = filter.program();
        return sandbox;
    }

    // No realpath here: opening a path follows its links just the same, and
    // the rule then sits on the file or folder the path ends at.
    if (rules.executable.isEmpty() || (rules.workspace.isEmpty() && rules.workspaceDescriptor < 0))
        return GhostscriptSandbox(State::Failed, PlatformTexts::kNothingToConfine);
    // Every kernel with Landlock has seccomp filters; one without is not
    // trusted to confine at all.
    if (filter.program().isEmpty())
        return GhostscriptSandbox(State::Failed, filter.errorText());

    LandlockRuleset ruleset(abi);
    if (ruleset.error() != 0)
        return GhostscriptSandbox(State::Failed, PlatformTexts::kCannotCreateRuleset.arg(
                                                     SystemErrorText(ruleset.error())));
    if (const Refusal refusal = grantAll(ruleset, rules); refusal.error != 0)
        return GhostscriptSandbox(State::Failed, PlatformTexts::kCannotGrant.arg(
                                                     refusal.what, SystemErrorText(refusal.error)));
    GhostscriptSandbox sandbox(State::Ready, QString(), ruleset.release(), abi);
    sandbox.m_filter = filter.program();
    return sandbox;
#else
    Q_UNUSED(rules);
    Q_UNUSED(abiCeiling);
    return GhostscriptSandbox(State::Unavailable, PlatformTexts::kLandlockOnlyOnLinux);
#endif
}

GhostscriptSandbox::GhostscriptSandbox(State state, QString errorText, int rulesetFd, int abi)
    : m_state(state), m_errorText(std::move(errorText)), m_rulesetFd(rulesetFd), m_abi(abi)
{
}

GhostscriptSandbox::GhostscriptSandbox(GhostscriptSandbox &&other) noexcept
    : m_state(other.m_state), m_errorText(std::move(other.m_errorText)),
      m_rulesetFd(std::exchange(other.m_rulesetFd, -1)), m_abi(other.m_abi),
      m_filter(std::move(other.m_filter))
{
    other.m_state = State::Failed;
}

GhostscriptSandbox &GhostscriptSandbox::operator=(GhostscriptSandbox &&other) noexcept
{
    if (this != &other) {
        close();
        m_state = other.m_state;
        m_errorText = std::move(other.m_errorText);
        m_rulesetFd = std::exchange(other.m_rulesetFd, -1);
        m_abi = other.m_abi;
        m_filter = std::move(other.m_filter);
        other.m_state = State::Failed;
    }
    return *this;
}

GhostscriptSandbox::~GhostscriptSandbox()
{
    close();
}

void GhostscriptSandbox::close()
{
#ifdef Q_OS_UNIX
    if (m_rulesetFd >= 0)
        ::close(m_rulesetFd);
#endif
    m_rulesetFd = -1;
}

GhostscriptSandbox::ChildConfinement GhostscriptSandbox::childConfinement() const
{
    if (failed())
        return ChildConfinement();
    return ChildConfinement::of(m_rulesetFd, m_filter);
}

std::function<void()> GhostscriptSandbox::childProcessModifier() const
{
    const ChildConfinement confinement = childConfinement();
    if (confinement.rulesetFd < 0 && confinement.filter == nullptr)
        return {};
    return [confinement] { applyInChild(confinement); };
}
