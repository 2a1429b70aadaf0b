#pragma once

#include "convert/pdf/PdfKind.h"
#include "platform/process/ProcessResult.h"

#include <QFutureWatcher>
#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

class ChildProcess;
class FileDescriptor;
class GhostscriptSandbox;
class InstalledFontHandover;
class JobWorkspace;

// What one run converts, named inside the job's workspace.
struct RunInput {
    std::shared_ptr<JobWorkspace> workspace;
    std::shared_ptr<FileDescriptor> input; // the user's file, opened once
    QString inputName;  // what Ghostscript reads: the input's link or a copy
    QString prolog;     // the substitution prolog; empty: none
    bool figure = false; // an EPS figure, cropped to its bounding box
    PdfKind kind = PdfKind::Standard;
    QString profile;    // an archive's: Ghostscript's sRGB profile
    QString definition; // and the definition file naming it
    const InstalledFontHandover *fonts = nullptr; // the installed fonts handed over
};

// The stage of a job that runs Ghostscript once per start(): confined as far
// as the system allows, in the workspace, whose size is watched while it
// runs. Each start() that returns true is followed by finished() once.
class GhostscriptRun : public QObject
{
    Q_OBJECT

public:
    // How often the workspace's size is looked at while Ghostscript runs.
    static constexpr int kWorkspaceWatchMs = 250;

    struct Limits {
        int timeoutMs = 0;
        qint64 transcriptBytes = 0;   // kept of Ghostscript's output
        quint64 fileSizeBytes = 0;    // the largest file it may write
        quint64 workspaceBytes = 0;   // all it may leave in the workspace
    };

    GhostscriptRun(QString ghostscriptPath, QObject *parent = nullptr);
    ~GhostscriptRun() override;

    // False, with the failure dialog's explanation, when the run must be
    // confined and cannot be: then nothing was started.
    bool start(const RunInput &run, const Limits &limits, QString *error);
    // Stops Ghostscript; finished() reports it cancelled.
    void cancel();

signals:
    void started();
    void finished(const ProcessResult &result, bool workspaceTooLarge);

private:
    // The program and arguments a confined run starts with, the child set-up
    // in place; false with the reason when it cannot be confined.
    bool confine(const RunInput &run, QString &program, QStringList &arguments, QString *error);
    void watchWorkspace();
    void onFinished(const ProcessResult &result);

    QString m_ghostscriptPath;
    ChildProcess *m_child = nullptr;
    // Its ruleset's descriptor must stay open until the child has started.
    std::unique_ptr<GhostscriptSandbox> m_sandbox;
    std::shared_ptr<JobWorkspace> m_workspace;
    quint64 m_workspaceLimit = 0;
    bool m_running = false;
    bool m_workspaceTooLarge = false;
    QTimer m_workspaceWatch;
    QFutureWatcher<qint64> m_measuring;
};
