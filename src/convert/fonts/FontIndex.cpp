#include "convert/fonts/FontIndex.h"

#include "convert/fonts/FontconfigSource.h"
#include "convert/fonts/InstalledFonts.h"

#include <QMutexLocker>
#include <QtConcurrent/QtConcurrentRun>

FontIndex::FontIndex() : m_source(std::make_shared<FontconfigSource>()) {}

FontIndex::~FontIndex() = default;

std::shared_ptr<FontIndex> FontIndex::shared()
{
    // Never destroyed: a build may still be running on a worker thread when
    // the program ends.
    static auto *index = new std::shared_ptr<FontIndex>(std::make_shared<FontIndex>());
    return *index;
}

void FontIndex::prepare()
{
    QMutexLocker locker(&m_mutex);
    if (!m_started)
        startBuild(false);
}

QFuture<FontIndex::Snapshot> FontIndex::snapshot()
{
    QMutexLocker locker(&m_mutex);
    if (!m_started)
        startBuild(false);
    if (!m_current)
        return m_first;
    if (!m_checking && m_nextCheck.hasExpired())
        startBuild(true);
    return QtFuture::makeReadyFuture(m_current);
}

void FontIndex::startBuild(bool rebuild)
{
    // Called with m_mutex held.
    m_started = true;
    m_checking = true;
    // fontconfig's configuration is used by one build or check at a time:
    // the next starts only once m_checking is reset.
    const std::weak_ptr<FontIndex> self = weak_from_this();
    QFuture<Snapshot> build = QtConcurrent::run([self, source = m_source, rebuild]() -> Snapshot {
        Snapshot made;
        if (!rebuild || source->changed())
            made = std::make_shared<const InstalledFonts>(source->scan());
        const std::shared_ptr<FontIndex> index = self.lock();
        if (!index)
            return made;
        QMutexLocker locker(&index->m_mutex);
        if (made)
            index->m_current = made;
        index->m_checking = false;
        index->m_nextCheck = QDeadlineTimer(kRecheckMs);
        return index->m_current;
    });
    if (!rebuild)
        m_first = build;
}
