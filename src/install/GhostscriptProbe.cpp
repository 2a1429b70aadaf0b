#include "install/GhostscriptProbe.h"

#include "platform/process/ChildProcess.h"
#include "platform/sandbox/GhostscriptSandbox.h"
#include "platform/files/JobWorkspace.h"
#include "platform/sandbox/SandboxExecProfile.h"
#include "platform/sandbox/SandboxRules.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <exception>

namespace {

// "Ghostscript" is on the first line of the answer; a candidate that talks
// without end must not fill the memory before its time-out.
constexpr qint64 kAnswerLimit = 64 * 1024;

} // namespace

GhostscriptProbe::GhostscriptProbe(QObject *parent) : QObject(parent) {}

GhostscriptProbe::~GhostscriptProbe() = default;

void GhostscriptProbe::start(const QStringList &candidates)
{
    if (m_running)
        return;
    m_running = true;
    m_candidates = candidates;
    m_next = 0;
    // Even an empty list answers after start() has returned, as a run would.
    QMetaObject::invokeMethod(this, &GhostscriptProbe::tryNext, Qt::QueuedConnection);
}

bool GhostscriptProbe::isGhostscriptAnswer(const ProcessResult &result)
{
    return result.succeeded() && QString::fromUtf8(result.output)
                                     .contains(QLatin1String("Ghostscript"), Qt::CaseInsensitive);
}

QString GhostscriptProbe::resolveCandidate(const QString &candidate)
{
    if (candidate.isEmpty())
        return {};
    // A bare name is looked up on the search path of this moment, as a shell
    // would; a path is taken as it stands.
    const QString path = candidate.contains(QLatin1Char('/'))
                             ? QFileInfo(candidate).absoluteFilePath()
                             : QStandardPaths::findExecutable(candidate);
    const QFileInfo file(path);
    if (path.isEmpty() || !file.isFile() || !file.isExecutable())
        return {};
    return file.absoluteFilePath();
}

void GhostscriptProbe::tryNext()
{
    while (m_next < m_candidates.size()) {
        QString program = resolveCandidate(m_candidates.at(m_next++));
        if (program.isEmpty())
            continue;
        m_child = new ChildProcess(this);
        m_child->setOutputLimit(kAnswerLimit);
        connect(m_child, &ChildProcess::finished, this, &GhostscriptProbe::onCandidateFinished);
        QStringList arguments{QStringLiteral("-version")};
        if (!confine(program, arguments)) {
            dropCandidate();
            continue;
        }
        m_child->start(program, arguments);
        return;
    }
    conclude(false);
}

bool GhostscriptProbe::confine(QString &program, QStringList &arguments)
{
    // A Ghostscript that is a wrapper script would need its shell: only a
    // real executable is confined, as in a conversion.
    if (!SandboxRules::isConfinable(program))
        return true;
    try {
        m_workspace = std::make_unique<JobWorkspace>();
    } catch (const std::exception &error) {
        qWarning("Ghostscript probe: %s", error.what());
        return false;
    }
    m_child->setWorkingFolder(m_workspace->descriptor());
    SandboxRules rules;
    rules.executable = program;
    rules.workspace = m_workspace->path();
    rules.workspaceDescriptor = m_workspace->descriptor();
#ifdef Q_OS_MACOS
    const std::optional<QString> profile = SandboxExecProfile(rules.resolved());
    if (!profile)
        return false;
    arguments = SandboxExecArguments(*profile, program, arguments);
    program = QString::fromLatin1(kSandboxExecProgram);
#else
    Q_UNUSED(arguments);
    m_sandbox = std::make_unique<GhostscriptSandbox>(GhostscriptSandbox::prepare(rules));
    // A kernel that has Landlock must confine the run, as a conversion's;
    // without it the candidate runs as it is.
    if (m_sandbox->failed()) {
        qWarning("Ghostscript probe: %s", qPrintable(m_sandbox->errorText()));
        return false;
    }
    // Empty when there is nothing to apply; without Landlock it still
    // carries the system-call filter.
    m_child->setChildSetup(m_sandbox->childProcessModifier());
#endif
    return true;
}

void GhostscriptProbe::onCandidateFinished(const ProcessResult &result)
{
    dropCandidate();
    if (isGhostscriptAnswer(result))
        conclude(true);
    else
        tryNext();
}

void GhostscriptProbe::dropCandidate()
{
    // Told from inside the child's own signal: it goes once that has returned.
    m_child->deleteLater();
    m_child = nullptr;
    m_sandbox.reset();
    m_workspace.reset();
}

void GhostscriptProbe::conclude(bool installed)
{
    m_running = false;
    emit finished(installed);
}
