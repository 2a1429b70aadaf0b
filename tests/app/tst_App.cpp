#include "app/App.h"
#include "app/CommandLine.h"
#include "ui/MainMenuBar.h"
#include "ui/QtMessagePresenter.h"
#include "ui/QtOpenFilesChooser.h"
#include "ui/DropCanvas.h"
#include "ui/Window1.h"

#include "ScriptedPresenter.h"
#include "TestFiles.h"
#include "WindowTestSupport.h"

#include <QAbstractButton>
#include <QAction>
#include <QClipboard>
#include <QFileDialog>
#include <QFileOpenEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

namespace {

Window1Services quietServices(ScriptedPresenter &dialogs)
{
    Window1Services services;
    services.dialogs = &dialogs;
    services.probeCandidates = {TestFiles::realGhostscript()};
    return services;
}

// What a person sees on opening the Edit menu: which items can be chosen.
QStringList enabledEditItems(MainMenuBar &bar)
{
    QMenu *edit = bar.findMenu(QStringLiteral("EditMenu"));
    edit->popup(QPoint(0, 0));
    QStringList enabled;
    const QList<QAction *> items = edit->actions();
    for (const QAction *item : items) {
        if (!item->isSeparator() && item->isEnabled())
            enabled << item->objectName();
    }
    edit->hide();
    return enabled;
}

// Opens the Edit menu and chooses the item, as a person would.
void choose(MainMenuBar &bar, const char *item)
{
    QMenu *edit = bar.findMenu(QStringLiteral("EditMenu"));
    edit->popup(QPoint(0, 0));
    bar.findItem(QLatin1String(item))->trigger();
    edit->hide();
}

} // namespace

class TestApp : public QObject
{
    Q_OBJECT

private slots:
    void applicationObjectHasItsVersionDesktopEntryAndNoAutomaticQuit();
    void menuBarExistsBeforeTheWindowAndIsShared();
    void menusAndItemsInOrder();
    void windowAccessorsFindTheSharedItems();
    void editItemsWorkOnTheFocusedTextField();
    void editItemsAreDisabledWithoutText();
    void fileFromOutsideIsConvertedOnceTheWindowHasOpened_data();
    void fileFromOutsideIsConvertedOnceTheWindowHasOpened();
    void fileOpenedWhileAVerdictIsUpWaitsForItsAnswer();
    void filesGivenAtStartRunBeforeADropDuringTheCheck();
    void quitItemClosesTheWindowAndEndsWithZero();
    void qtsOwnDialogsSpeakTheWindowsLanguage();
};

void TestApp::applicationObjectHasItsVersionDesktopEntryAndNoAutomaticQuit()
{
    QVERIFY(qobject_cast<App *>(qApp) != nullptr);
    QCOMPARE(QCoreApplication::applicationVersion(), QStringLiteral("1.0.0"));
    QVERIFY(!QGuiApplication::quitOnLastWindowClosed());
    QCOMPARE(QGuiApplication::desktopFileName(), QStringLiteral("org.pagora.Pagora"));
}

void TestApp::menuBarExistsBeforeTheWindowAndIsShared()
{
    // No window has been made yet in this program: App made the bar.
    MainMenuBar *before = nullptr;
    const QList<QWidget *> topLevel = QApplication::topLevelWidgets();
    for (QWidget *widget : topLevel) {
        if (auto *bar = qobject_cast<MainMenuBar *>(widget))
            before = bar;
    }
    QVERIFY(before != nullptr);
    QCOMPARE(&static_cast<App *>(qApp)->MenuBar(), before);

    ScriptedPresenter dialogs;
    {
        Window1 window(quietServices(dialogs));
        QCOMPARE(&window.MenuBar(), before);
#ifndef Q_OS_MACOS
        QCOMPARE(window.menuWidget(), before);
#endif
    }
    // Still there, unchanged, for the next window.
    QCOMPARE(&MainMenuBar::instance(), before);
    QCOMPARE(before->actions().size(), 4);
    Window1 second(quietServices(dialogs));
    QCOMPARE(&second.MenuBar(), before);
#ifndef Q_OS_MACOS
    second.show();
    QVERIFY(QTest::qWaitForWindowExposed(&second));
    QCOMPARE(before->window(), &second);
    QVERIFY(before->isVisible());
#endif
}

void TestApp::menusAndItemsInOrder()
{
    MainMenuBar &bar = MainMenuBar::instance();
    QStringList shown;
    const QList<QAction *> menus = bar.actions();
    for (const QAction *menuAction : menus) {
        QMenu *menu = menuAction->menu();
        QVERIFY(menu != nullptr);
        shown << menu->objectName() + " " + menu->title() + " [" +
                     menuAction->shortcut().toString(QKeySequence::PortableText) + "]";
        const QList<QAction *> items = menu->actions();
        for (const QAction *item : items) {
            QVERIFY(item->isVisible());
            shown << "  " + item->objectName() + " " +
                         (item->isSeparator() ? QStringLiteral("separator") : item->text()) + " [" +
                         item->shortcut().toString(QKeySequence::PortableText) + "]";
        }
    }
    QCOMPARE(shown, (QStringList{
                        "FileMenu &File []",
                        QString::fromUtf8("  FileOpen &Open\u2026 [Ctrl+O]"),
                        "  FileSeparator1 separator []",
                        QString::fromUtf8("  FileWatchFolder &Watch Folder\u2026 []"),
                        "  FileStopWatching &Stop Watching []",
                        QString::fromUtf8("  FileWatchResults Watch &Results\u2026 []"),
                        "  FileSeparator2 separator []",
                        "  FileQuit &Quit [Ctrl+Q]",
                        "EditMenu &Edit []",
                        "  EditUndo &Undo [Ctrl+Z]",
                        "  EditSeparator1 separator []",
                        "  EditCut Cu&t [Ctrl+X]",
                        "  EditCopy &Copy [Ctrl+C]",
                        "  EditPaste &Paste [Ctrl+V]",
                        "  EditClear &Delete []",
                        "  EditSeparator2 separator []",
                        "  EditSelectAll Select &All [Ctrl+A]",
                        "PdfMenu &PDF []",
                        "  PdfStandard Standard []",
                        "  PdfArchive Archive (PDF/A-2b) []",
                        "  PdfPrint Print []",
                        "  PdfSmallFile Small File []",
                        "  PdfGrayscale Grayscale []",
                        "HelpMenu &Help []",
                    }));
    QCOMPARE(bar.findItem(QStringLiteral("FileQuit"))->menuRole(), QAction::QuitRole);
}

void TestApp::windowAccessorsFindTheSharedItems()
{
    ScriptedPresenter dialogs;
    Window1 window(quietServices(dialogs));
    const struct {
        QObject *found;
        const char *name;
    } accessors[] = {
        {window.FileMenu(), "FileMenu"},
        {window.FileOpen(), "FileOpen"},
        {window.FileWatchFolder(), "FileWatchFolder"},
        {window.FileStopWatching(), "FileStopWatching"},
        {window.FileWatchResults(), "FileWatchResults"},
        {window.FileQuit(), "FileQuit"},
        {window.EditMenu(), "EditMenu"},
        {window.EditUndo(), "EditUndo"},
        {window.EditSeparator1(), "EditSeparator1"},
        {window.EditCut(), "EditCut"},
        {window.EditCopy(), "EditCopy"},
        {window.EditPaste(), "EditPaste"},
        {window.EditClear(), "EditClear"},
        {window.EditSeparator2(), "EditSeparator2"},
        {window.EditSelectAll(), "EditSelectAll"},
        {window.PdfMenu(), "PdfMenu"},
        {window.PdfStandard(), "PdfStandard"},
        {window.PdfArchive(), "PdfArchive"},
        {window.PdfPrint(), "PdfPrint"},
        {window.PdfSmallFile(), "PdfSmallFile"},
        {window.PdfGrayscale(), "PdfGrayscale"},
        {window.HelpMenu(), "HelpMenu"},
    };
    for (const auto &accessor : accessors) {
        QVERIFY2(accessor.found != nullptr, accessor.name);
        QCOMPARE(accessor.found->objectName(), QLatin1String(accessor.name));
    }
    QCOMPARE(window.FileQuit(), window.FileQuit());
    QCOMPARE(window.FileQuit(), MainMenuBar::instance().findItem(QStringLiteral("FileQuit")));
    QVERIFY(window.HelpMenu()->actions().isEmpty());
}

void TestApp::editItemsWorkOnTheFocusedTextField()
{
    MainMenuBar &bar = MainMenuBar::instance();
    QWidget form;
    auto *field = new QLineEdit(QStringLiteral("Hallo Welt"), &form);
    auto *other = new QLineEdit(&form);
    auto *layout = new QVBoxLayout(&form);
    layout->addWidget(field);
    layout->addWidget(other);
    form.show();
    QApplication::setActiveWindow(&form);
    QVERIFY(QTest::qWaitForWindowActive(&form));
    field->setFocus();
    field->deselect();
    QTRY_COMPARE(QApplication::focusWidget(), field);

    QCOMPARE(enabledEditItems(bar), (QStringList{"EditSelectAll"}));
    choose(bar, "EditSelectAll");
    QCOMPARE(field->selectedText(), QStringLiteral("Hallo Welt"));

    QCOMPARE(enabledEditItems(bar),
             (QStringList{"EditCut", "EditCopy", "EditClear", "EditSelectAll"}));
    choose(bar, "EditCopy");
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("Hallo Welt"));
    choose(bar, "EditClear");
    QCOMPARE(field->text(), QString());
    choose(bar, "EditUndo");
    QCOMPARE(field->text(), QStringLiteral("Hallo Welt"));

    other->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), other);
    QVERIFY(enabledEditItems(bar).contains(QStringLiteral("EditPaste")));
    choose(bar, "EditPaste");
    QCOMPARE(other->text(), QStringLiteral("Hallo Welt"));
}

void TestApp::editItemsAreDisabledWithoutText()
{
    MainMenuBar &bar = MainMenuBar::instance();
    QWidget form;
    auto *button = new QPushButton(QStringLiteral("Knopf"), &form);
    auto *transcript = new QPlainTextEdit(QStringLiteral("Ausgabe von Ghostscript"), &form);
    transcript->setReadOnly(true);
    transcript->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    auto *layout = new QVBoxLayout(&form);
    layout->addWidget(button);
    layout->addWidget(transcript);
    form.show();
    QApplication::setActiveWindow(&form);
    QVERIFY(QTest::qWaitForWindowActive(&form));

    button->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), button);
    QVERIFY(enabledEditItems(bar).isEmpty());
    choose(bar, "EditSelectAll");

    // Text that can be read but not changed: only selecting and copying.
    transcript->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), transcript);
    choose(bar, "EditSelectAll");
    QCOMPARE(enabledEditItems(bar), (QStringList{"EditCopy", "EditSelectAll"}));
    choose(bar, "EditClear");
    QCOMPARE(transcript->toPlainText(), QStringLiteral("Ausgabe von Ghostscript"));
}

void TestApp::fileFromOutsideIsConvertedOnceTheWindowHasOpened_data()
{
    QTest::addColumn<bool>("openedBySystem");
    QTest::newRow("named on the command line") << false;
    QTest::newRow("opened by the system") << true;
}

void TestApp::fileFromOutsideIsConvertedOnceTheWindowHasOpened()
{
    QFETCH(bool, openedBySystem);
    QTemporaryDir dir;
    const QString input = dir.filePath(QStringLiteral("hello.ps"));
    const QString pdf = dir.filePath(QStringLiteral("hello.pdf"));
    TestFiles::writeBytes(input, TestFiles::readBytes(TestFiles::fixture("hello.ps")));
    ScriptedPresenter dialogs;
    Window1 window(quietServices(dialogs));
    auto &app = *static_cast<App *>(qApp);
    app.handFilesTo(window);

    // Before the window is shown, as main() does and as macOS may.
    if (openedBySystem) {
        QFileOpenEvent open(input);
        QCoreApplication::sendEvent(qApp, &open);
    } else {
        app.openFiles(WindowStartFiles({QUrl::fromLocalFile(input).toString()}));
    }
    QTest::qWait(100);
    QVERIFY(!QFile::exists(pdf));

    bool convertedBeforeOpened = true;
    connect(&window, &Window1::opened, this, [&] {
        convertedBeforeOpened = window.RunningConversion() != nullptr || QFile::exists(pdf);
    });
    window.show();
    QTRY_VERIFY_WITH_TIMEOUT(!dialogs.shown.isEmpty(), 30000);
    QVERIFY(!convertedBeforeOpened);
    QCOMPARE(dialogs.shown.first().message, QStringLiteral("Erfolg!"));
    QCOMPARE(TestFiles::pdfPageCount(pdf), 2); // hello.ps has two pages
}

// The system opens a file while the verdict on the previous one waits for
// the person: it is converted once that dialog is answered, with its own.
void TestApp::fileOpenedWhileAVerdictIsUpWaitsForItsAnswer()
{
    QTemporaryDir dir;
    const QString first = dir.filePath(QStringLiteral("erste.ps"));
    const QString second = dir.filePath(QStringLiteral("zweite.ps"));
    for (const QString &input : {first, second})
        TestFiles::writeBytes(input, TestFiles::readBytes(TestFiles::fixture("hello.ps")));
    ScriptedPresenter dialogs;
    dialogs.holdAnswers();
    Window1 window(quietServices(dialogs));
    auto &app = *static_cast<App *>(qApp);
    app.handFilesTo(window);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QSignalSpy finished(&window, &Window1::conversionFinished);

    app.openFiles({first});
    QTRY_COMPARE_WITH_TIMEOUT(dialogs.openDialogs(), 1, 30000);
    QCOMPARE(dialogs.shown.last().message, QStringLiteral("Erfolg!"));
    QFileOpenEvent open(second);
    QCoreApplication::sendEvent(qApp, &open);
    QTest::qWait(300);
    QCOMPARE(dialogs.shown.size(), 1);
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("zweite.pdf"))));

    QVERIFY(dialogs.press());
    QTRY_COMPARE_WITH_TIMEOUT(dialogs.openDialogs(), 1, 30000);
    QCOMPARE(dialogs.shown.size(), 2);
    QCOMPARE(dialogs.shown.last().message, QStringLiteral("Erfolg!"));
    QVERIFY(dialogs.shown.last().explanation.endsWith(QStringLiteral("zweite.pdf")));
    QVERIFY(dialogs.press());
    QTRY_COMPARE(finished.size(), 2);
    QCOMPARE(TestFiles::pdfPageCount(dir.filePath(QStringLiteral("zweite.pdf"))), 2);
}

// A file named at start came before anything dropped on the window while it
// checks for Ghostscript, so it is converted first.
void TestApp::filesGivenAtStartRunBeforeADropDuringTheCheck()
{
    QTemporaryDir dir;
    const QString slow = dir.filePath(QStringLiteral("slow-gs"));
    TestFiles::writeScript(slow, "sleep 2; exec '" + TestFiles::realGhostscript().toUtf8() +
                                     "' \"$@\"\n");
    const QString named = dir.filePath(QStringLiteral("named.ps"));
    const QString dropped = dir.filePath(QStringLiteral("dropped.ps"));
    for (const QString &input : {named, dropped})
        TestFiles::writeBytes(input, TestFiles::readBytes(TestFiles::fixture("hello.ps")));
    ScriptedPresenter dialogs;
    Window1Services services = quietServices(dialogs);
    services.probeCandidates = {slow};
    Window1 window(services);
    auto &app = *static_cast<App *>(qApp);
    app.handFilesTo(window);
    app.openFiles(WindowStartFiles({named}));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QVERIFY(window.isBusy());
    QVERIFY(PlatformDropFiles(window.Canvas1(), {dropped}));
    QTRY_COMPARE_WITH_TIMEOUT(dialogs.shown.size(), 2, 60000);
    QStringList created;
    for (const MessageDialog &dialog : std::as_const(dialogs.shown))
        created << dialog.explanation.section(QLatin1Char('\n'), -1);
    QCOMPARE(created, (QStringList{dir.filePath(QStringLiteral("named.pdf")),
                                   dir.filePath(QStringLiteral("dropped.pdf"))}));
}

void TestApp::quitItemClosesTheWindowAndEndsWithZero()
{
    ScriptedPresenter dialogs;
    Window1 window(quietServices(dialogs));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QTimer::singleShot(0, &window, [&] { window.FileQuit()->trigger(); });
    QTimer::singleShot(10000, qApp, [] { QCoreApplication::exit(42); });
    QCOMPARE(QCoreApplication::exec(), 0);
    QVERIFY(!window.isVisible());
}

namespace {

QStringList textsIn(const QWidget *dialog)
{
    QStringList texts;
    const QList<QAbstractButton *> buttons = dialog->findChildren<QAbstractButton *>();
    for (const QAbstractButton *button : buttons)
        texts << button->text();
    const QList<QLabel *> labels = dialog->findChildren<QLabel *>();
    for (const QLabel *label : labels)
        texts << label->text();
    return texts;
}

} // namespace

// Qt's own buttons and labels in Pagora's dialogs are German like Pagora's
// texts: the real message box and the real (Qt-drawn) open dialog.
void TestApp::qtsOwnDialogsSpeakTheWindowsLanguage()
{
    QWidget window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    MessageDialog failure;
    failure.iconType = MessageDialog::Icon::Stop;
    failure.message = QStringLiteral("Fehler bei der Konvertierung!");
    failure.explanation = QStringLiteral("Ausgabe:");
    failure.details = QStringLiteral("Error: /undefined in nichtdefiniert");
    failure.actionButton.caption = QStringLiteral("OK");
    QtMessagePresenter presenter(&window);
    presenter.open(failure, [](MessageDialog::Button) {});
    QPointer<QMessageBox> box;
    QTRY_VERIFY((box = window.findChild<QMessageBox *>()) != nullptr);
    const QStringList boxTexts = textsIn(box);
    QVERIFY2(boxTexts.contains(QStringLiteral("Details einblenden...")),
             qPrintable(boxTexts.join(QLatin1Char('|'))));
    QVERIFY(!boxTexts.contains(QStringLiteral("Show Details...")));
    box->done(0);

    QTemporaryDir folder;
    QtOpenFilesChooser chooser(&window);
    chooser.openFilesDialog(folder.path(), {}, [](const QStringList &) {});
    QPointer<QFileDialog> dialog;
    QTRY_VERIFY((dialog = window.findChild<QFileDialog *>(QStringLiteral("openFilesDialog"))) !=
                nullptr);
    const QStringList dialogTexts = textsIn(dialog);
    for (const char *german : {"Suchen in:", "Datei&name:", "Abbrechen"})
        QVERIFY2(dialogTexts.contains(QString::fromUtf8(german)),
                 qPrintable(QString::fromUtf8(german) + QStringLiteral(" in ") + dialogTexts.join(QLatin1Char('|'))));
    QVERIFY2(dialogTexts.contains(QString::fromUtf8("\u00d6ffnen")) ||
                 dialogTexts.contains(QString::fromUtf8("&\u00d6ffnen")),
             qPrintable(dialogTexts.join(QLatin1Char('|'))));
    for (const char *english : {"Look in:", "File &name:", "Cancel", "Open", "&Open"})
        QVERIFY(!dialogTexts.contains(QString::fromUtf8(english)));
    dialog->reject();
}

int main(int argc, char *argv[])
{
    App::prepare();
    App app(argc, argv);
    // Settings of its own: a kind of PDF the user chose must not change what
    // these conversions make, nor may they change the user's.
    QTemporaryDir settings;
    for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})
        QSettings::setPath(format, QSettings::UserScope, settings.path());
    TestApp test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_App.moc"
