#pragma once

#include "platform/process/ProcessResult.h"

#include <QObject>
#include <QStringList>

#include <memory>

class ChildProcess;
class GhostscriptSandbox;
class JobWorkspace;

// The start-up probe: runs each candidate as `<candidate> -version`, one after
// the other, and stops at the first that exits with 0 and prints
// "Ghostscript" in any letter case. A bare name is looked up on the search
// path; a candidate that is no executable file is passed over without a run.
// No shell is involved, and an executable candidate runs confined as a
// conversion's Ghostscript does (in a fresh, empty workspace of its own that
// it alone may write); one that is a "#!" script runs with its shell,
// unconfined. Nothing here waits: every step goes on from the child's
// finished signal, so the window stays painted and its events are handled
// while the candidates run. Each candidate has the child process's default
// time-out of ten seconds.
class GhostscriptProbe : public QObject
{
    Q_OBJECT

public:
    explicit GhostscriptProbe(QObject *parent = nullptr);
    ~GhostscriptProbe() override;

    // Starts with the first candidate; the verdict comes with finished(). A
    // probe that is still running is not started again.
    void start(const QStringList &candidates);
    bool isRunning() const { return m_running; }

    // Whether one candidate's run counts as a working Ghostscript.
    static bool isGhostscriptAnswer(const ProcessResult &result);

    // The executable file a candidate names, absolute; empty when there is none.
    static QString resolveCandidate(const QString &candidate);

signals:
    // Exactly once per start(), after start() has returned.
    void finished(bool installed);

private:
    void tryNext();
    // Sets the child up to run program confined; program and arguments may
    // be changed to start it through the system's sandbox. False when it
    // cannot run confined on a system that confines.
    bool confine(QString &program, QStringList &arguments);
    void onCandidateFinished(const ProcessResult &result);
    void dropCandidate();
    void conclude(bool installed);

    QStringList m_candidates;
    qsizetype m_next = 0;
    ChildProcess *m_child = nullptr;
    // Kept until the candidate has ended: its working folder and its ruleset.
    std::unique_ptr<JobWorkspace> m_workspace;
    std::unique_ptr<GhostscriptSandbox> m_sandbox;
    bool m_running = false;
};
