#include "ui/WatchMenu.h"

#include "ui/FolderWatching.h"
#include "ui/MainMenuBar.h"

#include <QAction>
#include <QDir>
#include <QMenu>

namespace
{

// The kind as the PDF menu names it.
QString kindItemText(const MainMenuBar &bar, PdfKind kind)
{
    if (const QMenu *menu = bar.findMenu(QStringLiteral("PdfMenu"))) {
        const QList<QAction *> items = menu->actions();
        for (const QAction *item : items) {
            if (item->data().toString() == PdfKindKey(kind))
                return item->text().remove(QLatin1Char('&'));
        }
    }
    return PdfKindName(kind);
}

// The folder as the user knows it: the home folder written as ~.
QString shownFolder(const QString &folder)
{
    const QString home = QDir::homePath();
    if (folder.startsWith(home + QLatin1Char('/')))
        return QDir::toNativeSeparators(QStringLiteral("~") + folder.mid(home.size()));
    return QDir::toNativeSeparators(folder);
}

} // namespace

WatchMenu::WatchMenu(MainMenuBar &bar, FolderWatching &watching, QObject *parent)
    : QObject(parent), m_bar(bar), m_watching(watching)
{
    connect(&m_watching, &FolderWatching::changed, this, &WatchMenu::update);
    // A file done leaves the submenu as it is, in case it is open.
    connect(&m_watching, &FolderWatching::fileDone, this, &WatchMenu::updateResults);
    update();
}

WatchMenu::~WatchMenu()
{
    clear();
}

void WatchMenu::clear()
{
    QAction *stopItem = m_bar.findItem(QStringLiteral("FileStopWatching"));
    if (stopItem == nullptr || stopItem->menu() == nullptr)
        return;
    QMenu *menu = stopItem->menu();
    const QList<QAction *> items = menu->actions();
    for (QAction *item : items) {
        menu->removeAction(item);
        delete item;
    }
    stopItem->setEnabled(false);
    if (QAction *results = m_bar.findItem(QStringLiteral("FileWatchResults")))
        results->setEnabled(false);
}

void WatchMenu::update()
{
    clear();
    QAction *stopItem = m_bar.findItem(QStringLiteral("FileStopWatching"));
    if (stopItem == nullptr || stopItem->menu() == nullptr)
        return;
    QMenu *menu = stopItem->menu();
    const QList<WatchedFolderEntry> folders = m_watching.folders();
    for (const WatchedFolderEntry &entry : folders) {
        // An ampersand in a folder's name is no shortcut.
        const QString text = QStringLiteral("%1 \u2014 %2")
                                 .arg(shownFolder(entry.folder), kindItemText(m_bar, entry.kind));
        auto *item =
            new QAction(QString(text).replace(QLatin1Char('&'), QStringLiteral("&&")), menu);
        item->setData(entry.folder);
        item->setMenuRole(QAction::NoRole);
        // Queued: stopping rebuilds the submenu, and the item must not be
        // deleted while its own signal runs.
        connect(
            item, &QAction::triggered, &m_watching,
            [watching = &m_watching, folder = entry.folder] { watching->stopWatching(folder); },
            Qt::QueuedConnection);
        menu->addAction(item);
    }
    stopItem->setEnabled(!folders.isEmpty());
    updateResults();
}

void WatchMenu::updateResults()
{
    if (QAction *results = m_bar.findItem(QStringLiteral("FileWatchResults")))
        results->setEnabled(!m_watching.results().isEmpty());
}
