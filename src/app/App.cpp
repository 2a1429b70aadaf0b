#include "app/App.h"

#include "app/MainMenuBar.h"

void App::prepare()
{
    // Sharp on high-resolution screens, at the screen's own scale. The dark
    // appearance needs nothing here: Qt follows the system's, and the bundle's
    // Info.plist does not opt out of it.
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
        Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
}

App::App(int &argc, char **argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Pagora"));
    setApplicationVersion(QLatin1String(kVersion));
    // Closing the window quits, by the window's own doing.
    setQuitOnLastWindowClosed(false);
    // The menu bar exists before any window, so that the window finds it.
    MainMenuBar::instance();
}

MainMenuBar &App::MenuBar() const
{
    return MainMenuBar::instance();
}
