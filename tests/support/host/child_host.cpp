// Starts one child through ChildProcess and then lives on until it is killed:
// the tests kill this program and look whether the child's group went with it.
// Usage: pagora_child_host <pid file> <program> [arguments...]
#include "platform/process/ChildProcess.h"

#include <QCoreApplication>
#include <QFile>

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.size() < 3)
        return 2;
    ChildProcess child;
    child.setTimeout(600000);
    QObject::connect(&child, &ChildProcess::finished, &application,
                     [](const ProcessResult &) { QCoreApplication::exit(0); });
    child.start(arguments.at(2), arguments.mid(3));
    QFile pidFile(arguments.at(1));
    if (!pidFile.open(QIODevice::WriteOnly))
        return 2;
    pidFile.write(QByteArray::number(child.processId()));
    pidFile.close();
    return application.exec();
}
