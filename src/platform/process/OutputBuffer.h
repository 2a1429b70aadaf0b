#pragma once

#include "platform/process/ProcessResult.h"

// Gathers a command's output, keeping its first and last bytes once there is
// more than the limit (0: no limit). The rest is counted, so a command that
// talks without end can neither stall on a full pipe nor fill the memory.
class OutputBuffer
{
public:
    explicit OutputBuffer(qint64 limit = 0);

    void append(const QByteArray &bytes);
    // Puts what was kept into result, cut at characters, not inside a UTF-8
    // sequence.
    void finishInto(ProcessResult &result);

private:
    void trimTail();

    qint64 m_headLimit;
    qint64 m_tailLimit;
    bool m_limited;
    QByteArray m_head;
    QByteArray m_tail;
    qint64 m_omitted = 0;
};
