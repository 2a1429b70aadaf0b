#include "app/App.h"
#include "ui/Window1.h"

int main(int argc, char *argv[])
{
    App::prepare();
    App app(argc, argv);
    Window1 window;
    window.show();
    return app.exec();
}
