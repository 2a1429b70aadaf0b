#pragma once

#include <QApplication>

class MainMenuBar;

// The application object. It opens no documents and registers no file types:
// files come in only through a drop on the window.
class App : public QApplication
{
    Q_OBJECT

public:
    static constexpr const char *kVersion = "1.0.0";

    // What has to be declared before the application object exists.
    static void prepare();

    App(int &argc, char **argv);

    MainMenuBar &MenuBar() const;
};
