#include "app/CommandLine.h"
#include "app/CommandLineConverter.h"
#include "app/CommandLineTexts.h"
#include "app/WindowModule.h"
#include "platform/files/FileDescriptor.h"

int main(int argc, char *argv[])
{
    // Read while this is the only thread.
    NewFileMode();
    // Decided before any application object exists: the converter, its help
    // and its version need no display and not the window's libraries.
    const CommandLine command = ParseCommandLine(ArgumentsOf(argc, argv));
    if (command.action != CommandLine::Action::Window)
        return RunCommandLine(argc, argv, command);
    // Without a display the window's application object would abort.
    if (!command.hasDisplay)
        return ReportUsageError(CommandLineTexts::kNoDisplay);
    return RunWindowModule(argc, argv);
}
