// The window's half of the program, built as a module of its own: the
// executable loads it only when it opens a window, so that a run of
// "Pagora --convert" loads Qt's core alone and starts Ghostscript sooner.

#include "app/App.h"
#include "app/CommandLine.h"
#include "app/WindowModule.h"
#include "platform/process/ChildProcess.h"
#include "platform/files/JobWorkspace.h"
#include "platform/process/TerminationSignals.h"
#include "ui/Window1.h"

#include <type_traits>

extern "C" Q_DECL_EXPORT int PagoraWindowMain(int argc, char **argv)
{
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

// The loader's declaration and this definition must agree.
static_assert(std::is_same_v<decltype(&PagoraWindowMain), WindowMainFunction>);
