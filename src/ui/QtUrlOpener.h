#pragma once

#include "platform/desktop/DesktopServices.h"

// Hands a web address to the user's default browser.
class QtUrlOpener : public UrlOpener
{
public:
    void showUrl(const QUrl &url) override;
};
