// Takes the README's picture of the window: the window as the program opens
// it, once its start-up check has ended, in the light or the dark appearance.
//
//     xvfb-run -a build/pagora_screenshot dark docs/screenshot-dark.png
//
// The dark appearance is a palette set here, as a system in dark mode would
// hand one to the program; the program itself has no switch for it.

#include "app/App.h"
#include "ui/Window1.h"

#include <QPalette>
#include <QStyle>
#include <QTimer>

#include <cstdio>
#include <cstring>

namespace {

QPalette darkPalette()
{
    QPalette palette;
    const QColor window(0x24, 0x25, 0x28);
    const QColor text(0xe8, 0xea, 0xed);
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Base, QColor(0x1c, 0x1d, 0x20));
    palette.setColor(QPalette::AlternateBase, QColor(0x2c, 0x2d, 0x31));
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::Button, QColor(0x3a, 0x3b, 0x3f));
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::Light, QColor(0x4a, 0x4b, 0x50));
    palette.setColor(QPalette::Midlight, QColor(0x40, 0x41, 0x45));
    palette.setColor(QPalette::Mid, QColor(0x30, 0x31, 0x35));
    palette.setColor(QPalette::Dark, QColor(0x18, 0x19, 0x1b));
    palette.setColor(QPalette::Shadow, Qt::black);
    palette.setColor(QPalette::BrightText, Qt::white);
    palette.setColor(QPalette::Highlight, QColor(0x8a, 0xb4, 0xf8));
    palette.setColor(QPalette::HighlightedText, window);
    return palette;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3 || (std::strcmp(argv[1], "dark") != 0 && std::strcmp(argv[1], "light") != 0)) {
        std::fprintf(stderr, "usage: %s dark|light OUTPUT.png\n", argv[0]);
        return 2;
    }
    App::prepare();
    App app(argc, argv);
    QApplication::setPalette(std::strcmp(argv[1], "dark") == 0
                                 ? darkPalette()
                                 : QApplication::style()->standardPalette());
    const QString output = QString::fromLocal8Bit(argv[2]);

    Window1 window;
    int status = 1;
    QObject::connect(&window, &Window1::opened, &app, [&] {
        // One more turn of the loop, so that every paint has been done.
        QTimer::singleShot(200, &app, [&] {
            status = window.grab().save(output) ? 0 : 1;
            if (status != 0)
                std::fprintf(stderr, "cannot write %s\n", argv[2]);
            QCoreApplication::exit(status);
        });
    });
    window.show();
    app.exec();
    return status;
}
