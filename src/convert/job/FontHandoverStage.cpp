#include "convert/job/FontHandoverStage.h"

#include "convert/fonts/InstalledFontHandover.h"

FontHandoverStage::FontHandoverStage(std::shared_ptr<FontIndex> index, QObject *parent)
    : QObject(parent), m_index(std::move(index))
{
    m_deadline.setSingleShot(true);
    connect(&m_waiting, &QFutureWatcher<FontIndex::Snapshot>::finished, this, [this] {
        m_deadline.stop();
        if (m_index)
            take(m_waiting.result(), m_documentFonts);
    });
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        // Not ready in the job's time: this job goes without.
        m_index.reset();
        take({}, {});
    });
}

FontHandoverStage::~FontHandoverStage() = default;

void FontHandoverStage::prepareIndex()
{
    if (m_index)
        m_index->prepare();
}

void FontHandoverStage::handOver(const QByteArrayList &documentFonts, int timeoutMs)
{
    if (m_handover || !m_index) {
        take({}, documentFonts);
        return;
    }
    const QFuture<FontIndex::Snapshot> index = m_index->snapshot();
    if (index.isFinished()) {
        take(index.result(), documentFonts);
        return;
    }
    m_documentFonts = documentFonts;
    m_deadline.start(timeoutMs);
    m_waiting.setFuture(index);
}

int FontHandoverStage::add(const QByteArrayList &names)
{
    return m_handover ? m_handover->add(names) : 0;
}

QByteArrayList FontHandoverStage::names() const
{
    return m_handover ? m_handover->names() : QByteArrayList();
}

void FontHandoverStage::take(const FontIndex::Snapshot &fonts, const QByteArrayList &documentFonts)
{
    if (!m_handover && fonts)
        m_handover = std::make_unique<InstalledFontHandover>(fonts);
    if (m_handover)
        m_handover->add(documentFonts);
    emit handedOver();
}
