#include "WindowTestSupport.h"

#include "TestFiles.h"

#include <QApplication>
#include <QMimeData>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>
#include <QWindow>

#include <private/qguiapplication_p.h>
#include <qpa/qplatformdrag.h>
#include <qpa/qwindowsysteminterface.h>

TestWindowServices::TestWindowServices()
{
    for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})
        QSettings::setPath(format, QSettings::UserScope, m_settings.path());
}

Window1Services TestWindowServices::services(MessagePresenter *dialogs)
{
    Window1Services services;
    services.dialogs = dialogs;
    services.urls = &m_urls;
    services.saveChooser = &m_chooser;
    services.logo = &m_logo;
    services.probeCandidates = {TestFiles::realGhostscript()};
    services.dropCandidates = {TestFiles::realGhostscript()};
    return services;
}

bool OpenWindow(Window1 &window)
{
    QSignalSpy opened(&window, &Window1::opened);
    window.show();
    return QTest::qWaitForWindowExposed(&window) && (opened.size() == 1 || opened.wait(10000));
}

bool DropOn(QWidget *target, const QMimeData &data)
{
    const QPoint position = target->rect().center();
    QDragEnterEvent enter(position, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDragMoveEvent move(position, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &move);
    QDropEvent drop(QPointF(position), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    return enter.isAccepted() && drop.isAccepted();
}

bool DropFiles(QWidget *target, const QStringList &paths)
{
    QMimeData data;
    QList<QUrl> urls;
    for (const QString &path : paths)
        urls.append(QUrl::fromLocalFile(path));
    data.setUrls(urls);
    return DropOn(target, data);
}

bool PlatformDropFiles(QWidget *target, const QStringList &paths)
{
    QWidget *window = target->window();
    QWindow *handle = window->windowHandle();
    if (handle == nullptr)
        return false;
    QMimeData data;
    QList<QUrl> urls;
    for (const QString &path : paths)
        urls.append(QUrl::fromLocalFile(path));
    data.setUrls(urls);
    const QPoint at = target->mapTo(window, target->rect().center());
    const QPlatformDragQtResponse drag = QWindowSystemInterface::handleDrag(
        handle, &data, at, Qt::CopyAction, Qt::LeftButton, Qt::NoModifier);
    if (!drag.isAccepted()) {
        // The drag leaves again, as the pointer does, so the next one enters anew.
        QWindowSystemInterface::handleDrag(handle, nullptr, at, Qt::CopyAction, Qt::NoButton,
                                           Qt::NoModifier);
        return false;
    }
    const QPlatformDropQtResponse drop = QWindowSystemInterface::handleDrop(
        handle, &data, at, Qt::CopyAction, Qt::LeftButton, Qt::NoModifier);
    return drop.isAccepted();
}

bool IsWindowBlocked(QWidget *window)
{
    QWindow *handle = window->window()->windowHandle();
    return handle != nullptr && QGuiApplicationPrivate::instance()->isWindowBlocked(handle);
}
