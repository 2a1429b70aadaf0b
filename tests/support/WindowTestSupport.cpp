#include "WindowTestSupport.h"

#include "TestFiles.h"

#include <QApplication>
#include <QMimeData>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>

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
