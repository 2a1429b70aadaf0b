#pragma once

#include "platform/ProcessResult.h"

#include <QObject>
#include <QStringList>

class ChildProcess;

// The start-up probe: runs each candidate as `"<candidate>" -version` through
// /bin/sh -c, one after the other, and stops at the first that exits with 0
// and prints "Ghostscript" in any letter case. Nothing here waits: every step
// goes on from the child's finished signal, so the window stays painted and
// its events are handled while the candidates run. Each candidate has the
// child process's default time-out of ten seconds.
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

signals:
    // Exactly once per start(), after start() has returned.
    void finished(bool installed);

private:
    void tryNext();
    void onCandidateFinished(const ProcessResult &result);
    void conclude(bool installed);

    QStringList m_candidates;
    qsizetype m_next = 0;
    ChildProcess *m_child = nullptr;
    bool m_running = false;
};
