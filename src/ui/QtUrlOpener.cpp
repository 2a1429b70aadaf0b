#include "ui/QtUrlOpener.h"

#include <QDesktopServices>

void QtUrlOpener::showUrl(const QUrl &url)
{
    // Whether a browser took it is not looked at: there is nothing the user
    // could be told that the missing page does not already show.
    QDesktopServices::openUrl(url);
}
