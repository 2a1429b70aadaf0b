#include "convert/GhostscriptProbe.h"

#include "platform/ChildProcess.h"

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

void GhostscriptProbe::tryNext()
{
    if (m_next >= m_candidates.size()) {
        conclude(false);
        return;
    }
    const QString candidate = m_candidates.at(m_next++);
    // One child per candidate, made now so that it runs with the environment
    // of this moment (the search path for the bare "gs").
    m_child = new ChildProcess(this);
    m_child->setOutputLimit(kAnswerLimit);
    connect(m_child, &ChildProcess::finished, this, &GhostscriptProbe::onCandidateFinished);
    const QString command = QLatin1Char('"') + candidate + QStringLiteral("\" -version");
    m_child->start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), command});
}

void GhostscriptProbe::onCandidateFinished(const ProcessResult &result)
{
    // Told from inside the child's own signal: it goes once that has returned.
    m_child->deleteLater();
    m_child = nullptr;
    if (isGhostscriptAnswer(result))
        conclude(true);
    else
        tryNext();
}

void GhostscriptProbe::conclude(bool installed)
{
    m_running = false;
    emit finished(installed);
}
