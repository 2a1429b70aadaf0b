#include "app/App.h"
#include "platform/ChildProcess.h"
#include "platform/JobWorkspace.h"
#include "platform/TerminationSignals.h"
#include "ui/Window1.h"

int main(int argc, char *argv[])
{
    App::prepare();
    App app(argc, argv);
    // What a killed run of the program left behind.
    RemoveStaleWorkspaces();
    // Asked to end (logout, kill, Ctrl+C in a terminal): the loop ends, and
    // the window takes its running conversion with it, Ghostscript stopped
    // and the workspace removed.
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::received, &app, [](int signalNumber) {
        StopAllChildProcesses();
        QCoreApplication::exit(128 + signalNumber);
    });
    Window1 window;
    window.show();
    return app.exec();
}
