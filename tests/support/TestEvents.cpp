#include "TestEvents.h"

#include "platform/process/ChildProcess.h"

#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace TestEvents {

bool timerAndChildProcessArrive(int timeoutMs)
{
    QTimer timer;
    timer.setSingleShot(true);
    QSignalSpy fired(&timer, &QTimer::timeout);
    timer.start(20);
    ChildProcess child;
    QSignalSpy ended(&child, &ChildProcess::finished);
    child.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("exit 3")});
    if (!QTest::qWaitFor([&] { return !fired.isEmpty() && !ended.isEmpty(); }, timeoutMs))
        return false;
    return ended.first().first().value<ProcessResult>().exitCode == 3;
}

} // namespace TestEvents
