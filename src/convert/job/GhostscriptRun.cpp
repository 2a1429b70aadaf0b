#include "convert/job/GhostscriptRun.h"

#include "convert/fonts/InstalledFontHandover.h"
#include "convert/job/ConversionTexts.h"
#include "convert/job/GhostscriptArguments.h"
#include "platform/files/FileDescriptor.h"
#include "platform/files/JobWorkspace.h"
#include "platform/process/ChildProcess.h"
#include "platform/sandbox/GhostscriptEnvironment.h"
#include "platform/sandbox/GhostscriptSandbox.h"
#include "platform/sandbox/SandboxExecProfile.h"
#include "platform/sandbox/SandboxRules.h"

#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>

using namespace ConversionTexts;

GhostscriptRun::GhostscriptRun(QString ghostscriptPath, QObject *parent)
    : QObject(parent), m_ghostscriptPath(std::move(ghostscriptPath))
{
    m_workspaceWatch.setInterval(kWorkspaceWatchMs);
    connect(&m_workspaceWatch, &QTimer::timeout, this, &GhostscriptRun::watchWorkspace);
    connect(&m_measuring, &QFutureWatcher<qint64>::finished, this, [this] {
        if (!m_running || m_workspaceTooLarge || m_measuring.result() <= qint64(m_workspaceLimit))
            return;
        m_workspaceTooLarge = true;
        m_child->cancel();
    });
}

GhostscriptRun::~GhostscriptRun() = default;

bool GhostscriptRun::start(const RunInput &run, const Limits &limits, QString *error)
{
    m_workspace = run.workspace;
    m_workspaceLimit = limits.workspaceBytes;
    // A retry must not find the PDF of the run before.
    m_workspace->removeFile(JobWorkspace::outputName());
    if (m_child == nullptr) {
        m_child = new ChildProcess(this);
        m_child->setOutputLimit(limits.transcriptBytes);
        m_child->setFileSizeLimit(limits.fileSizeBytes);
        m_child->setEnvironment(GhostscriptEnvironment(JobWorkspace::temporaryName()));
        connect(m_child, &ChildProcess::finished, this, &GhostscriptRun::onFinished);
    }
    m_child->setTimeout(std::max(1, limits.timeoutMs));
    // Its working folder is the workspace that was made, entered through
    // the descriptor held since: no path is looked up again.
    m_child->setWorkingFolder(m_workspace->descriptor());
    QList<int> inherited{run.input->get()};
    QString program = m_ghostscriptPath;
    QStringList arguments =
        GhostscriptArguments(run.inputName, JobWorkspace::outputName(), run.prolog, run.figure,
                             run.kind, run.profile, run.definition);
    // Without installed fonts to hand over the arguments stay as they were.
    // A map that cannot be written leaves Ghostscript to its own search.
    if (run.fonts && !run.fonts->isEmpty() && run.fonts->writeMap(*m_workspace)) {
        arguments = run.fonts->arguments(m_workspace->path()) + arguments;
        // The map names each font by a link to /dev/fd/N, as the input is.
        inherited += run.fonts->descriptors();
    }
    m_child->setInheritedDescriptors(inherited);
    if (!confine(run, program, arguments, error)) {
        m_workspace.reset();
        return false;
    }
    m_workspaceTooLarge = false;
    m_running = true;
    m_child->start(program, arguments);
    m_workspaceWatch.start();
    emit started();
    return true;
}

void GhostscriptRun::cancel()
{
    if (m_running)
        m_child->cancel();
}

bool GhostscriptRun::confine(const RunInput &run, QString &program, QStringList &arguments,
                             QString *error)
{
    m_child->setChildSetup({});
    // A Ghostscript that is a wrapper script would need its shell: only a
    // real executable is confined.
    if (!SandboxRules::isConfinable(m_ghostscriptPath))
        return true;
    SandboxRules rules;
    rules.executable = m_ghostscriptPath;
    rules.workspace = m_workspace->path();
    rules.workspaceDescriptor = m_workspace->descriptor();
    // The input by its descriptor, with file rights alone.
    rules.readableDescriptors = {run.input->get()};
    // A system file, read by the archive's definition file.
    if (!run.profile.isEmpty())
        rules.readableFiles = {run.profile};
    rules.fontFolders = SandboxRules::foldersOfFontPath(GhostscriptFontPath());
    // The installed fonts handed over, each file on its own.
    if (run.fonts)
        rules.readableDescriptors += run.fonts->descriptors();
#ifdef Q_OS_MACOS
    if (run.fonts)
        rules.readableFiles += run.fonts->files();
    const std::optional<QString> profile = SandboxExecProfile(rules.resolved());
    if (!profile) {
        *error = kCannotConfine.arg(kNoSandboxProfile.arg(m_ghostscriptPath));
        return false;
    }
    arguments = SandboxExecArguments(*profile, program, arguments);
    program = QString::fromLatin1(kSandboxExecProgram);
#else
    Q_UNUSED(program);
    Q_UNUSED(arguments);
    m_sandbox = std::make_unique<GhostscriptSandbox>(GhostscriptSandbox::prepare(rules));
    // A kernel that has Landlock must confine the run; without it, -dSAFER
    // is all there is.
    if (m_sandbox->failed()) {
        *error = kCannotConfine.arg(m_sandbox->errorText());
        return false;
    }
    // Empty when there is nothing to apply; without Landlock it still
    // carries the system-call filter.
    m_child->setChildSetup(m_sandbox->childProcessModifier());
#endif
    return true;
}

void GhostscriptRun::watchWorkspace()
{
    // Measured on a worker thread: a document that makes many files must not
    // make the window wait for the count.
    if (!m_running || m_measuring.isRunning())
        return;
    m_measuring.setFuture(
        QtConcurrent::run([workspace = m_workspace] { return workspace->bytesUsed(); }));
}

void GhostscriptRun::onFinished(const ProcessResult &result)
{
    m_workspaceWatch.stop();
    m_running = false;
    // The job decides when its workspace goes.
    m_workspace.reset();
    emit finished(result, m_workspaceTooLarge);
}
