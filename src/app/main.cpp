#include "app/App.h"
#include "app/CommandLine.h"
#include "app/CommandLineConverter.h"
#include "platform/ChildProcess.h"
#include "platform/JobWorkspace.h"
#include "platform/TerminationSignals.h"
#include "ui/Window1.h"

int main(int argc, char *argv[])
{
    // Decided before any application object exists: the converter, its help
    // and its version need no display.
    const CommandLine command = ParseCommandLine(ArgumentsOf(argc, argv));
    if (command.action != CommandLine::Action::Window)
        return RunCommandLine(argc, argv, command);

    App::prepare();
    App app(argc, argv);
    // The application object has taken its own options (-platform, -style)
    // out; anything else that looks like an option is an error.
    const CommandLine files = ParseCommandLine(QCoreApplication::arguments());
    if (!files.error.isEmpty())
        return ReportUsageError(files.error);
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
    app.handFilesTo(window);
    app.openFiles(WindowStartFiles(files.files));
    window.show();
    return app.exec();
}
