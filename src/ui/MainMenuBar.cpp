#include "ui/MainMenuBar.h"

#include "convert/pdf/PdfKind.h"
#include "ui/EditCommands.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QKeySequence>
#include <QMenu>

#include <optional>

namespace {

MainMenuBar *sharedBar = nullptr;

void deleteSharedBar()
{
    delete sharedBar;
    sharedBar = nullptr;
}

// The platform's keys for a command; where it has none (Ctrl+Q on Windows,
// for one), the Command/Control key with the letter.
QList<QKeySequence> shortcutsFor(QKeySequence::StandardKey key, const QKeySequence &fallback)
{
    QList<QKeySequence> keys = QKeySequence::keyBindings(key);
    if (keys.isEmpty())
        keys.append(fallback);
    return keys;
}

QMenu *makeMenu(QMenuBar &bar, const QString &name, const QString &text)
{
    auto *menu = new QMenu(text, &bar);
    menu->setObjectName(name);
    menu->menuAction()->setObjectName(name);
    bar.addMenu(menu);
    return menu;
}

QAction *makeItem(QMenu &menu, const QString &name, const QString &text,
                  const QList<QKeySequence> &shortcuts = {})
{
    auto *item = new QAction(&menu);
    item->setObjectName(name);
    item->setText(text);
    item->setVisible(true);
    if (text == QLatin1String("-"))
        item->setSeparator(true);
    else
        item->setShortcuts(shortcuts);
    menu.addAction(item);
    return item;
}

struct EditItem {
    const char *name;
    const char *text;
    std::optional<QKeySequence::StandardKey> key;
    QKeySequence fallback;
    std::optional<EditCommand> command;
};

const EditItem kEditItems[] = {
    {"EditUndo", "&Undo", QKeySequence::Undo, QKeySequence(Qt::CTRL | Qt::Key_Z),
     EditCommand::Undo},
    {"EditSeparator1", "-", std::nullopt, {}, std::nullopt},
    {"EditCut", "Cu&t", QKeySequence::Cut, QKeySequence(Qt::CTRL | Qt::Key_X), EditCommand::Cut},
    {"EditCopy", "&Copy", QKeySequence::Copy, QKeySequence(Qt::CTRL | Qt::Key_C),
     EditCommand::Copy},
    {"EditPaste", "&Paste", QKeySequence::Paste, QKeySequence(Qt::CTRL | Qt::Key_V),
     EditCommand::Paste},
    {"EditClear", "&Delete", std::nullopt, {}, EditCommand::Clear},
    {"EditSeparator2", "-", std::nullopt, {}, std::nullopt},
    {"EditSelectAll", "Select &All", QKeySequence::SelectAll, QKeySequence(Qt::CTRL | Qt::Key_A),
     EditCommand::SelectAll},
};

const char kCommandProperty[] = "pagoraEditCommand";

// The menu items' own texts, byte for byte as the user sees them.
const QString kOpenItemText = QStringLiteral("&Open\u2026");
const QString kWatchFolderItemText = QStringLiteral("&Watch Folder\u2026");
const QString kStopWatchingItemText = QStringLiteral("&Stop Watching");
const QString kWatchResultsItemText = QStringLiteral("Watch &Results\u2026");

// The PDF menu's items, one per kind, in the menu's order.
const struct {
    PdfKind kind;
    const char *name;
    const char *text;
} kPdfItems[] = {
    {PdfKind::Standard, "PdfStandard", "Standard"},
    {PdfKind::Archive, "PdfArchive", "Archive (PDF/A-2b)"},
    {PdfKind::Print, "PdfPrint", "Print"},
    {PdfKind::SmallFile, "PdfSmallFile", "Small File"},
    {PdfKind::Grayscale, "PdfGrayscale", "Grayscale"},
};

} // namespace

MainMenuBar &MainMenuBar::instance()
{
    if (sharedBar == nullptr) {
        sharedBar = new MainMenuBar;
        // Widgets must go while the application object still exists.
        qAddPostRoutine(deleteSharedBar);
    }
    return *sharedBar;
}

MainMenuBar::MainMenuBar() : QMenuBar(nullptr)
{
    setObjectName(QStringLiteral("MainMenuBar"));
    Untitled0();
    Untitled1();
    Untitled3();
    Untitled2();

    connect(qApp, &QApplication::focusChanged, this, &MainMenuBar::updateEditItems);
    updateEditItems();
}

QMenu *MainMenuBar::findMenu(const QString &name) const
{
    const QList<QAction *> menus = actions();
    for (QAction *menuAction : menus) {
        if (menuAction->menu() != nullptr && menuAction->menu()->objectName() == name)
            return menuAction->menu();
    }
    return nullptr;
}

QAction *MainMenuBar::findItem(const QString &name) const
{
    const QList<QAction *> menus = actions();
    for (QAction *menuAction : menus) {
        QMenu *menu = menuAction->menu();
        if (menu == nullptr)
            continue;
        if (menu->objectName() == name)
            return menu->menuAction();
        const QList<QAction *> items = menu->actions();
        for (QAction *item : items) {
            if (item->objectName() == name)
                return item;
        }
    }
    return nullptr;
}

void MainMenuBar::Untitled0()
{
    makeMenu(*this, QStringLiteral("FileMenu"), QStringLiteral("&File"));
    QMenu *fileMenu = findMenu(QStringLiteral("FileMenu"));
    // What it opens is the window's business: the window connects to it.
    QAction *open = makeItem(*fileMenu, QStringLiteral("FileOpen"), kOpenItemText,
                             shortcutsFor(QKeySequence::Open, QKeySequence(Qt::CTRL | Qt::Key_O)));
    open->setMenuRole(QAction::NoRole);
    // The watched folders are the window's business too; the submenu holds
    // one item per folder while the window watches.
    makeItem(*fileMenu, QStringLiteral("FileSeparator1"), QStringLiteral("-"));
    makeItem(*fileMenu, QStringLiteral("FileWatchFolder"), kWatchFolderItemText)
        ->setMenuRole(QAction::NoRole);
    auto *stopWatching = new QMenu(kStopWatchingItemText, fileMenu);
    stopWatching->setObjectName(QStringLiteral("FileStopWatching"));
    stopWatching->menuAction()->setObjectName(QStringLiteral("FileStopWatching"));
    stopWatching->menuAction()->setEnabled(false);
    fileMenu->addMenu(stopWatching);
    QAction *results =
        makeItem(*fileMenu, QStringLiteral("FileWatchResults"), kWatchResultsItemText);
    results->setMenuRole(QAction::NoRole);
    results->setEnabled(false);
    makeItem(*fileMenu, QStringLiteral("FileSeparator2"), QStringLiteral("-"));
    QAction *quit = makeItem(*fileMenu, QStringLiteral("FileQuit"), QStringLiteral("&Quit"),
                             shortcutsFor(QKeySequence::Quit, QKeySequence(Qt::CTRL | Qt::Key_Q)));
    // On macOS the item moves into the application menu as its Quit command.
    quit->setMenuRole(QAction::QuitRole);
    // Quitting closes the window, whose closing ends the program.
    connect(quit, &QAction::triggered, qApp, &QCoreApplication::quit, Qt::QueuedConnection);
}

void MainMenuBar::Untitled1()
{
    makeMenu(*this, QStringLiteral("EditMenu"), QStringLiteral("&Edit"));
    QMenu *editMenu = findMenu(QStringLiteral("EditMenu"));
    for (const EditItem &entry : kEditItems) {
        QList<QKeySequence> shortcuts;
        if (entry.key)
            shortcuts = shortcutsFor(*entry.key, entry.fallback);
        QAction *item = makeItem(*editMenu, QLatin1String(entry.name), QLatin1String(entry.text),
                                 shortcuts);
        if (!entry.command)
            continue;
        const EditCommand command = *entry.command;
        item->setProperty(kCommandProperty, static_cast<int>(command));
        item->setMenuRole(QAction::NoRole);
        connect(item, &QAction::triggered, this,
                [command] { PerformEditCommand(QApplication::focusWidget(), command); });
    }
    // What applies changes with every selection and keystroke; looking when the
    // menu opens keeps it true without watching every text field.
    connect(editMenu, &QMenu::aboutToShow, this, &MainMenuBar::updateEditItems);
}

void MainMenuBar::Untitled3()
{
    makeMenu(*this, QStringLiteral("PdfMenu"), QStringLiteral("&PDF"));
    QMenu *pdfMenu = findMenu(QStringLiteral("PdfMenu"));
    // One kind at a time; which one, and what choosing does, is the window's
    // business (PdfKindChoice).
    auto *kinds = new QActionGroup(pdfMenu);
    kinds->setObjectName(QStringLiteral("PdfKinds"));
    kinds->setExclusive(true);
    for (const auto &entry : kPdfItems) {
        QAction *item = makeItem(*pdfMenu, QLatin1String(entry.name), QLatin1String(entry.text));
        item->setCheckable(true);
        item->setChecked(entry.kind == PdfKind::Standard);
        item->setData(PdfKindKey(entry.kind));
        item->setMenuRole(QAction::NoRole);
        kinds->addAction(item);
    }
}

void MainMenuBar::Untitled2()
{
    makeMenu(*this, QStringLiteral("HelpMenu"), QStringLiteral("&Help"));
}

void MainMenuBar::updateEditItems()
{
    QMenu *editMenu = findMenu(QStringLiteral("EditMenu"));
    if (editMenu == nullptr)
        return;
    const QWidget *focus = QApplication::focusWidget();
    const QList<QAction *> items = editMenu->actions();
    for (QAction *item : items) {
        const QVariant command = item->property(kCommandProperty);
        if (command.isValid())
            item->setEnabled(
                CanPerformEditCommand(focus, static_cast<EditCommand>(command.toInt())));
    }
}
