#include "app/CommandLine.h"
#include "app/CommandLineConverter.h"
#include "app/WindowModule.h"

int main(int argc, char *argv[])
{
    // Decided before any application object exists: the converter, its help
    // and its version need no display and not the window's libraries.
    const CommandLine command = ParseCommandLine(ArgumentsOf(argc, argv));
    if (command.action != CommandLine::Action::Window)
        return RunCommandLine(argc, argv, command);
    return RunWindowModule(argc, argv);
}
