#pragma once

#include "app/FileHandover.h"
#include "app/Version.h"

#include <QApplication>

class MainMenuBar;
class Window1;

// The application object of the window. Files reach it through a drop on the
// window, on the command line at start, or from the system (QFileOpenEvent:
// Finder's "Open With", a double-click, a drop on the Dock icon); all of them
// join the window's line as a drop does, in the order they came, and are
// converted once its start-up check has ended.
class App : public QApplication
{
    Q_OBJECT

public:
    static constexpr const char *kVersion = kPagoraVersion;
    static constexpr const char *kDesktopFileName = "org.pagora.Pagora";

    // What has to be declared before the application object exists.
    static void prepare();

    App(int &argc, char **argv);

    MainMenuBar &MenuBar() const;

    // The window the files given to the program go to.
    void handFilesTo(Window1 &window);
    void openFiles(const QStringList &paths);

protected:
    bool event(QEvent *event) override;

private:
    FileHandover m_files;
};
