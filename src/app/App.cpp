#include "app/App.h"

#include "platform/text/Translations.h"
#include "ui/MainMenuBar.h"
#include "ui/Window1.h"

#include <QFileOpenEvent>

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
    // Ties the windows to the installed desktop entry (its icon and name on
    // Wayland, where the window itself cannot name them).
    setDesktopFileName(QLatin1String(kDesktopFileName));
    // Closing the window quits, by the window's own doing.
    setQuitOnLastWindowClosed(false);
    // The window speaks German, or English on a system that is not German,
    // and so do Qt's own buttons and dialogs in it.
    InstallTranslations(*this);
    // The menu bar exists before any window, so that the window finds it.
    MainMenuBar::instance();
}

MainMenuBar &App::MenuBar() const
{
    return MainMenuBar::instance();
}

void App::handFilesTo(Window1 &window)
{
    m_files.setWindow(&window);
}

void App::openFiles(const QStringList &paths)
{
    m_files.add(paths);
}

bool App::event(QEvent *event)
{
    // macOS sends one per file, possibly before the window is shown: they
    // wait for the window like the files of the command line.
    if (event->type() == QEvent::FileOpen) {
        const auto *open = static_cast<QFileOpenEvent *>(event);
        const QString path = open->file();
        if (!path.isEmpty())
            m_files.add({path});
        return true;
    }
    return QApplication::event(event);
}
