// The window's watched folders: chosen with File › Watch Folder…, watched
// with the PDF menu's kind while the window is open and again after a
// restart, told in a line of the window and a list of results, never with a
// dialog per file. Real inotify, real files, real Ghostscript.
#include "ScriptedFolderChooser.h"
#include "ScriptedPresenter.h"
#include "TestFiles.h"
#include "WindowTestSupport.h"

#include "platform/text/Translations.h"
#include "ui/DropCanvas.h"
#include "ui/FolderWatching.h"
#include "ui/WatchResultsDialog.h"
#include "ui/Window1.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <optional>

namespace
{

const QByteArray kBroken = "%!PS\nthisoperatordoesnotexist\n";

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

// The processes running Ghostscript whose working folder is below folder.
int ghostscriptsIn(const QString &folder)
{
    int count = 0;
    const QStringList pids = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString &pid : pids) {
        const QString cwd = QFileInfo(QStringLiteral("/proc/%1/cwd").arg(pid)).symLinkTarget();
        if (cwd.startsWith(folder) &&
            TestFiles::readBytes(QStringLiteral("/proc/%1/comm").arg(pid)).trimmed() == "gs")
            ++count;
    }
    return count;
}

QLabel *watchLine(const Window1 &window)
{
    return window.findChild<QLabel *>(QStringLiteral("watchLine"));
}

bool lineShows(const Window1 &window)
{
    return window.statusBar()->isVisible() && watchLine(window)->isVisible();
}

QStringList stopItems(const Window1 &window)
{
    QStringList texts;
    const QList<QAction *> items = window.FileStopWatching()->menu()->actions();
    for (const QAction *item : items)
        texts << item->text();
    return texts;
}

// A window-modal or any other dialog on screen.
bool anyDialogShown()
{
    const QWidgetList widgets = QApplication::topLevelWidgets();
    for (const QWidget *widget : widgets) {
        if (qobject_cast<const QDialog *>(widget) && widget->isVisible())
            return true;
    }
    return false;
}

} // namespace

class TestWatchFolders : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void chosenFolderConvertsWhatArrivesAndTellsItWithoutADialog();
    void folderIsWatchedAgainWithItsKindAfterARestart();
    void stoppingLeavesWhatRunsInInAndConvertsNoMore_data();
    void stoppingLeavesWhatRunsInInAndConvertsNoMore();
    void folderThatCannotBeWatchedIsToldAndNotKept_data();
    void folderThatCannotBeWatchedIsToldAndNotKept();
    void fileGivenWhileAFolderIsToldWaitsForTheAnswer();
    void nothingIsWatchedWithoutGhostscript();

private:
    Window1Services services(ScriptedPresenter &dialogs)
    {
        Window1Services services = m_window->services(&dialogs);
        services.folderChooser = &m_chooser;
        return services;
    }
    // The watched folder W, or a path in it.
    QString watched(const QString &path = {}) const
    {
        const QString folder = m_tmp->filePath(QStringLiteral("PDF-Eingang"));
        return path.isEmpty() ? folder : folder + QLatin1Char('/') + path;
    }
    // Chooses the folder with File › Watch Folder… and waits until it is watched.
    void watchFolder(Window1 &window, const QString &folder);
    // Watches the folder in a window of an earlier run, which keeps it.
    void keepFromAnEarlierRun(const QString &folder);

    std::optional<TestWindowServices> m_window;
    ScriptedFolderChooser m_chooser;
    std::unique_ptr<QTemporaryDir> m_tmp;
    QByteArray m_savedTmp;
};

void TestWatchFolders::initTestCase()
{
    InstallTranslations(*QCoreApplication::instance(), QLocale(QLocale::German));
}

void TestWatchFolders::init()
{
    m_tmp = std::make_unique<QTemporaryDir>();
    m_savedTmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(m_tmp->path()));
    // Each test starts with settings of its own, no folder kept.
    m_window.emplace();
    m_chooser = ScriptedFolderChooser();
}

void TestWatchFolders::cleanup()
{
    qputenv("TMPDIR", m_savedTmp);
}

void TestWatchFolders::watchFolder(Window1 &window, const QString &folder)
{
    m_chooser.answerNext(folder);
    QVERIFY(window.FileWatchFolder()->isEnabled());
    window.FileWatchFolder()->trigger();
    QTRY_VERIFY(!window.Watching().folders().isEmpty());
}

void TestWatchFolders::keepFromAnEarlierRun(const QString &folder)
{
    ScriptedPresenter dialogs;
    Window1 window(services(dialogs));
    QVERIFY(OpenWindow(window));
    watchFolder(window, folder);
    window.close();
}

// A PostScript file put into In arrives as a PDF in Out; one that fails and
// one with missing fonts go to Errors with their logs, without a question.
// The window's line counts them, and the list of results names each, the
// failures marked with their reasons and logs.
void TestWatchFolders::chosenFolderConvertsWhatArrivesAndTellsItWithoutADialog()
{
    ScriptedPresenter dialogs;
    Window1 window(services(dialogs));
    QVERIFY(OpenWindow(window));
    QVERIFY(!window.statusBar()->isVisible());
    QVERIFY(!window.FileStopWatching()->isEnabled());
    QVERIFY(!window.FileWatchResults()->isEnabled());
    const QSize unwatched = window.size();

    watchFolder(window, watched());
    QCOMPARE(entries(watched()), (QStringList{"Errors", "In", "Out"}));
    QVERIFY(lineShows(window));
    QCOMPARE(watchLine(window)->text(), QStringLiteral("Überwacht: PDF-Eingang"));
    // The line is a line of its own: the drop zone and the controls stay as they were.
    QCOMPARE(window.centralWidget()->size(), QSize(410, 526));
    QTRY_COMPARE(window.size().height(), unwatched.height() + window.statusBar()->height());
    QVERIFY(window.Canvas1()->acceptDrops());
    QVERIFY(window.FileStopWatching()->isEnabled());
    QCOMPARE(stopItems(window).size(), 1);
    QVERIFY(stopItems(window).first().endsWith(QStringLiteral("PDF-Eingang \u2014 Standard")));

    QVERIFY(QFile::copy(TestFiles::fixture(QStringLiteral("hello.ps")),
                        watched(QStringLiteral("In/hello.ps"))));
    TestFiles::writeBytes(watched(QStringLiteral("In/broken.ps")), kBroken);
    QVERIFY(QFile::copy(TestFiles::fixture(QStringLiteral("missing-fonts/lucida_futura.ps")),
                        watched(QStringLiteral("In/fonts.ps"))));
    QTRY_COMPARE_WITH_TIMEOUT(int(window.Watching().results().size()), 3, 60000);

    QCOMPARE(entries(watched(QStringLiteral("In"))), QStringList());
    QCOMPARE(entries(watched(QStringLiteral("Out"))), (QStringList{"hello.pdf", "hello.ps"}));
    QCOMPARE(TestFiles::pdfPageCount(watched(QStringLiteral("Out/hello.pdf"))), 2);
    QCOMPARE(entries(watched(QStringLiteral("Errors"))),
             (QStringList{"broken.ps", "broken.ps.log", "fonts.pdf", "fonts.ps", "fonts.ps.log"}));
    QVERIFY(TestFiles::readBytes(watched(QStringLiteral("Errors/fonts.ps.log")))
                .startsWith("Fehlende Fonts: LucidaGrande"));
    QVERIFY(dialogs.shown.isEmpty());
    QVERIFY(!anyDialogShown());
    QVERIFY(watchLine(window)->text().contains(QStringLiteral("1 umgewandelt, 2 fehlgeschlagen")));

    // The counts open the list, as File › Watch Results… does; it holds nothing.
    QVERIFY(window.FileWatchResults()->isEnabled());
    emit watchLine(window)->linkActivated(QStringLiteral("results"));
    auto *list = window.findChild<WatchResultsDialog *>(QStringLiteral("watchResults"));
    QVERIFY(list != nullptr);
    QTRY_VERIFY(list->isVisible());
    QVERIFY(!list->isModal());
    QVERIFY(!IsWindowBlocked(&window));
    QStringList failed;
    QStringList converted;
    for (int row = 0; row < list->list()->count(); ++row) {
        const QListWidgetItem *item = list->list()->item(row);
        (item->data(Qt::UserRole).toBool() ? converted : failed) << item->text();
        QCOMPARE(item->font().bold(), !item->data(Qt::UserRole).toBool());
    }
    QCOMPARE(
        converted,
        QStringList{
            QStringLiteral("hello.ps \u2192 %1").arg(watched(QStringLiteral("Out/hello.pdf")))});
    failed.sort();
    QCOMPARE(failed.size(), 2);
    QVERIFY2(failed.at(0).startsWith(
                 QStringLiteral("broken.ps: Error: /undefined in thisoperatordoesnotexist\n")),
             qPrintable(failed.at(0)));
    QVERIFY2(failed.at(1).startsWith(QStringLiteral("fonts.ps: Fehlende Fonts: LucidaGrande")),
             qPrintable(failed.at(1)));
    QVERIFY(failed.at(0).endsWith(QStringLiteral("\nProtokoll: ") +
                                  watched(QStringLiteral("Errors/broken.ps.log"))));
    QVERIFY(failed.at(1).endsWith(QStringLiteral("\nProtokoll: ") +
                                  watched(QStringLiteral("Errors/fonts.ps.log"))));
    // Once more: the same list comes to the front.
    window.FileWatchResults()->trigger();
    QCOMPARE(window.findChildren<WatchResultsDialog *>().size(), 1);
}

// The folder is kept with the kind it was chosen with: the next window with
// the same settings watches it again and makes that kind, whatever the PDF
// menu says by then.
void TestWatchFolders::folderIsWatchedAgainWithItsKindAfterARestart()
{
    ScriptedPresenter dialogs;
    {
        Window1 window(services(dialogs));
        QVERIFY(OpenWindow(window));
        window.PdfArchive()->trigger();
        watchFolder(window, watched());
        window.PdfStandard()->trigger();
        window.close();
    }
    Window1 window(services(dialogs));
    QVERIFY(OpenWindow(window));
    QCOMPARE(window.Watching().folders(),
             (QList<WatchedFolderEntry>{{watched(), PdfKind::Archive}}));
    QVERIFY(lineShows(window));
    QVERIFY(stopItems(window).first().endsWith(QStringLiteral("\u2014 Archive (PDF/A-2b)")));
    QCOMPARE(window.pdfKind(), PdfKind::Standard);

    QVERIFY(QFile::copy(TestFiles::fixture(QStringLiteral("hello.ps")),
                        watched(QStringLiteral("In/hello.ps"))));
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(watched(QStringLiteral("Out/hello.pdf"))), 60000);
    QVERIFY(TestFiles::readBytes(watched(QStringLiteral("Out/hello.pdf"))).contains("pdfaid:part"));
    QTRY_VERIFY(watchLine(window)->text().contains(QStringLiteral("1 umgewandelt")));
    QVERIFY(dialogs.shown.isEmpty());
}

void TestWatchFolders::stoppingLeavesWhatRunsInInAndConvertsNoMore_data()
{
    QTest::addColumn<bool>("closeWindow"); // else File › Stop Watching › the folder
    QTest::addColumn<bool>("kept");
    QTest::newRow("Stop Watching") << false << false;
    QTest::newRow("window closed") << true << true;
}

// What converts when watching stops is cancelled and stays in In, nothing
// made of it; what arrives later stays there too. Stop Watching forgets the
// folder; a closed window keeps it for the next start.
void TestWatchFolders::stoppingLeavesWhatRunsInInAndConvertsNoMore()
{
    QFETCH(bool, closeWindow);
    QFETCH(bool, kept);
    ScriptedPresenter dialogs;
    Window1 window(services(dialogs));
    QVERIFY(OpenWindow(window));
    watchFolder(window, watched());
    QVERIFY(QFile::copy(TestFiles::fixture(QStringLiteral("loop.ps")),
                        watched(QStringLiteral("In/endless.ps"))));
    QTRY_COMPARE_WITH_TIMEOUT(ghostscriptsIn(m_tmp->path()), 1, 20000);

    if (closeWindow) {
        window.close();
    } else {
        QAction *stop = window.FileStopWatching()->menu()->actions().value(0);
        QVERIFY(stop != nullptr);
        stop->trigger();
        QTRY_VERIFY(window.Watching().folders().isEmpty());
        QVERIFY(!window.statusBar()->isVisible());
        QVERIFY(!window.FileStopWatching()->isEnabled());
        QVERIFY(stopItems(window).isEmpty());
    }
    QTRY_COMPARE_WITH_TIMEOUT(ghostscriptsIn(m_tmp->path()), 0, 10000);
    QVERIFY(QFile::copy(TestFiles::fixture(QStringLiteral("hello.ps")),
                        watched(QStringLiteral("In/hello.ps"))));
    // Longer than a file takes to come to rest and convert.
    QTest::qWait(3000);
    QCOMPARE(entries(watched(QStringLiteral("In"))), (QStringList{"endless.ps", "hello.ps"}));
    QCOMPARE(entries(watched(QStringLiteral("Out"))), QStringList());
    QCOMPARE(entries(watched(QStringLiteral("Errors"))), QStringList());
    const QList<WatchedFolderEntry> keptFolders{{watched(), PdfKind::Standard}};
    QCOMPARE(FolderWatching::saved(), kept ? keptFolders : QList<WatchedFolderEntry>());
    QVERIFY(dialogs.shown.isEmpty());
}

void TestWatchFolders::folderThatCannotBeWatchedIsToldAndNotKept_data()
{
    QTest::addColumn<QString>("blocker"); // a file made where a folder must go
    QTest::addColumn<QString>("folder");  // the folder to watch
    QTest::addColumn<bool>("chosen");     // else kept from an earlier run
    QTest::addColumn<QString>("failing"); // the folder the message names

    QTest::newRow("below a file, chosen") << "PDF-Eingang"
                                          << "PDF-Eingang/W" << true << "PDF-Eingang/W";
    QTest::newRow("In is a file, chosen") << "PDF-Eingang/In"
                                          << "PDF-Eingang" << true << "PDF-Eingang/In";
    QTest::newRow("below a file, kept") << "PDF-Eingang"
                                        << "PDF-Eingang/W" << false << "PDF-Eingang/W";
}

// A folder that cannot be made or opened is told in one message on the
// window, with the folder and the reason, and is not kept.
void TestWatchFolders::folderThatCannotBeWatchedIsToldAndNotKept()
{
    QFETCH(QString, blocker);
    QFETCH(QString, folder);
    QFETCH(bool, chosen);
    QFETCH(QString, failing);
    const QString path = m_tmp->filePath(folder);
    if (!chosen)
        keepFromAnEarlierRun(path); // while it could be watched
    QVERIFY(QDir(m_tmp->filePath(blocker)).removeRecursively());
    QVERIFY(QDir().mkpath(QFileInfo(m_tmp->filePath(blocker)).absolutePath()));
    TestFiles::writeBytes(m_tmp->filePath(blocker), "no folder\n");

    ScriptedPresenter dialogs;
    Window1 window(services(dialogs));
    QVERIFY(OpenWindow(window));
    if (chosen) {
        m_chooser.answerNext(path);
        window.FileWatchFolder()->trigger();
    }
    QTRY_COMPARE(dialogs.shown.size(), 1);
    QCOMPARE(dialogs.shown.at(0).message,
             QStringLiteral("Der Ordner kann nicht überwacht werden."));
    // The folder that failed and the system's reason.
    QVERIFY2(dialogs.shown.at(0).explanation.contains(m_tmp->filePath(failing) + QLatin1Char(' ')),
             qPrintable(dialogs.shown.at(0).explanation));
    QTRY_VERIFY(window.FileWatchFolder()->isEnabled());
    QVERIFY(window.Watching().folders().isEmpty());
    QVERIFY(FolderWatching::saved().isEmpty());
    QVERIFY(!window.statusBar()->isVisible());
    QVERIFY(!window.FileStopWatching()->isEnabled());
}

// A file handed to the window at start, while the message about a kept
// folder that cannot be watched is up, is converted once it is answered: its
// verdict is not put on the window beside that message.
void TestWatchFolders::fileGivenWhileAFolderIsToldWaitsForTheAnswer()
{
    keepFromAnEarlierRun(watched());
    QVERIFY(QDir(watched()).removeRecursively());
    TestFiles::writeBytes(watched(), "no folder\n");
    const QString input = m_tmp->filePath(QStringLiteral("hello.ps"));
    TestFiles::writeBytes(input, TestFiles::readBytes(TestFiles::fixture("hello.ps")));

    ScriptedPresenter dialogs;
    dialogs.holdAnswers();
    Window1 window(services(dialogs));
    window.ConvertFiles({input});
    QVERIFY(OpenWindow(window));
    QTRY_COMPARE(dialogs.shown.size(), 1);
    QCOMPARE(dialogs.shown.at(0).message,
             QStringLiteral("Der Ordner kann nicht überwacht werden."));
    QTest::qWait(1500); // longer than the conversion takes
    QCOMPARE(dialogs.shown.size(), 1);
    QVERIFY(!QFileInfo::exists(m_tmp->filePath(QStringLiteral("hello.pdf"))));

    QVERIFY(dialogs.press());
    QTRY_COMPARE_WITH_TIMEOUT(dialogs.shown.size(), 2, 30000);
    QCOMPARE(dialogs.shown.at(1).message, QStringLiteral("Erfolg!"));
    QVERIFY(dialogs.press());
}

// Without a Ghostscript that answers, a kept folder is not watched (not even
// made) and stays kept for a start that has one; no folder can be chosen.
void TestWatchFolders::nothingIsWatchedWithoutGhostscript()
{
    keepFromAnEarlierRun(watched());
    QVERIFY(QDir(watched()).removeRecursively());
    ScriptedPresenter dialogs;
    Window1Services services = this->services(dialogs);
    services.probeCandidates = {m_tmp->filePath(QStringLiteral("no-gs"))};
    services.dropCandidates = services.probeCandidates;
    Window1 window(services);
    QVERIFY(OpenWindow(window));
    QCOMPARE(dialogs.shown.size(), 1); // the installation help
    QVERIFY(window.Watching().folders().isEmpty());
    QVERIFY(!QFileInfo::exists(watched()));
    QVERIFY(!window.FileWatchFolder()->isEnabled());
    QVERIFY(!window.statusBar()->isVisible());
    QCOMPARE(FolderWatching::saved(), (QList<WatchedFolderEntry>{{watched(), PdfKind::Standard}}));
}

QTEST_MAIN(TestWatchFolders)
#include "tst_WatchFolders.moc"
