#include "platform/process/OutputBuffer.h"

#include <algorithm>

namespace {

// The length of bytes without a UTF-8 sequence cut off at its end.
qsizetype completeUtf8Prefix(const QByteArray &bytes)
{
    qsizetype lead = bytes.size();
    while (lead > 0 && bytes.size() - lead < 4 &&
           (static_cast<uchar>(bytes.at(lead - 1)) & 0xc0) == 0x80)
        --lead;
    if (lead == 0)
        return bytes.size();
    const uchar first = static_cast<uchar>(bytes.at(lead - 1));
    const qsizetype needed = first >= 0xf0 ? 4 : first >= 0xe0 ? 3 : first >= 0xc0 ? 2 : 1;
    return bytes.size() - (lead - 1) < needed ? lead - 1 : bytes.size();
}

} // namespace

OutputBuffer::OutputBuffer(qint64 limit)
    : m_headLimit(limit / 2), m_tailLimit(limit - limit / 2), m_limited(limit > 0)
{
}

void OutputBuffer::append(const QByteArray &bytes)
{
    if (!m_limited || m_head.size() + bytes.size() <= m_headLimit) {
        m_head += bytes;
        return;
    }
    const qsizetype room = std::max<qsizetype>(0, m_headLimit - m_head.size());
    m_head += bytes.left(room);
    m_tail += bytes.mid(room);
    // Trimmed only now and then, so a stream of small reads costs no more
    // than copying each byte a few times.
    if (m_tail.size() > 2 * m_tailLimit)
        trimTail();
}

void OutputBuffer::finishInto(ProcessResult &result)
{
    trimTail();
    if (m_omitted > 0) {
        for (int i = 0;
             i < 3 && !m_tail.isEmpty() && (static_cast<uchar>(m_tail.front()) & 0xc0) == 0x80;
             ++i) {
            m_tail.remove(0, 1);
            ++m_omitted;
        }
        const qsizetype headEnd = completeUtf8Prefix(m_head);
        m_omitted += m_head.size() - headEnd;
        m_head.truncate(headEnd);
        result.omittedAt = m_head.size();
    }
    result.omittedBytes = m_omitted;
    result.output = m_head + m_tail;
}

void OutputBuffer::trimTail()
{
    if (m_tail.size() <= m_tailLimit)
        return;
    const qsizetype excess = m_tail.size() - m_tailLimit;
    m_tail.remove(0, excess);
    m_omitted += excess;
}
