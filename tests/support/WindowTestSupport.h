#pragma once

#include "ScriptedSaveChooser.h"

#include "platform/desktop/DesktopServices.h"
#include "ui/PictureCache.h"
#include "ui/Window1.h"

#include <QStringList>
#include <QTemporaryDir>

class MessagePresenter;
class QMimeData;
class QWidget;

// What a test's window runs with: the real Ghostscript at start and on
// drops, the test's dialogs, a save dialog that cancels, no browser, the
// logo left blank, and settings of the test's own (never the user's kind of
// PDF or last folder), for as long as this object lives.
class TestWindowServices
{
public:
    TestWindowServices();
    TestWindowServices(const TestWindowServices &) = delete;
    TestWindowServices &operator=(const TestWindowServices &) = delete;

    // dialogs: nullptr for the real Qt dialogs.
    Window1Services services(MessagePresenter *dialogs);

private:
    class NoBrowser : public UrlOpener
    {
    public:
        void showUrl(const QUrl &) override {}
    };

    NoBrowser m_urls;
    ScriptedSaveChooser m_chooser;
    PictureCache m_logo{QString()};
    QTemporaryDir m_settings;
};

// Shows the window and waits until its start-up check has ended; false when
// it did not within ten seconds.
[[nodiscard]] bool OpenWindow(Window1 &window);

// What a drag from a file manager delivers: enter, move, drop. True when
// target took the drop.
bool DropOn(QWidget *target, const QMimeData &data);
// The same with a drag of files.
bool DropFiles(QWidget *target, const QStringList &paths);

// A drag of files onto target as the window system delivers it: to target's
// window, which refuses it while a modal dialog blocks that window, as every
// platform does. True when target took the drop.
bool PlatformDropFiles(QWidget *target, const QStringList &paths);
// True when a modal dialog blocks the window, so that no drag reaches it.
bool IsWindowBlocked(QWidget *window);
