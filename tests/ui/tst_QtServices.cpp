#include "ui/QtFolderChooser.h"
#include "ui/QtOpenFilesChooser.h"
#include "ui/QtSaveFileChooser.h"
#include "ui/QtUrlOpener.h"

#include "TestEvents.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QLineEdit>
#include <QPointer>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

namespace {

// Stands in for the browser: receives what QDesktopServices hands on.
class BrowserStandIn : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> received;

public slots:
    void openUrl(const QUrl &url) { received.append(url); }
};

} // namespace

class TestQtServices : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void urlGoesToTheDesktopsBrowser();
    void saveDialogHandsOverTheChosenFile_data();
    void saveDialogHandsOverTheChosenFile();
    void openDialogHandsOverTheChosenFiles_data();
    void openDialogHandsOverTheChosenFiles();
    void folderDialogHandsOverTheChosenFolder_data();
    void folderDialogHandsOverTheChosenFolder();

private:
    QWidget m_window;
};

void TestQtServices::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    m_window.resize(400, 300);
    m_window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&m_window));
}

void TestQtServices::urlGoesToTheDesktopsBrowser()
{
    BrowserStandIn browser;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &browser, "openUrl");
    QtUrlOpener opener;

    opener.showUrl(QUrl(QStringLiteral("https://formulae.brew.sh/formula/ghostscript")));

    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    QCOMPARE(browser.received,
             QList<QUrl>{QUrl(QStringLiteral("https://formulae.brew.sh/formula/ghostscript"))});
}

void TestQtServices::saveDialogHandsOverTheChosenFile_data()
{
    QTest::addColumn<QString>("typed"); // empty: cancelled

    QTest::newRow("a path typed") << QStringLiteral("Schriften.ps");
    QTest::newRow("cancelled") << QString();
}

void TestQtServices::saveDialogHandsOverTheChosenFile()
{
    QFETCH(QString, typed);
    QTemporaryDir dir;
    // A home of the test's own, with a documents folder to propose the name in.
    const QByteArray home = qgetenv("HOME");
    const auto restoreHome = qScopeGuard([home] { qputenv("HOME", home); });
    qputenv("HOME", QFile::encodeName(dir.path()));
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QVERIFY2(documents.startsWith(dir.path()), qPrintable(documents));
    QVERIFY(QDir().mkpath(documents));
    QtSaveFileChooser chooser(&m_window);
    QList<std::optional<FolderItem>> answers;

    chooser.saveFileDialog(
        QString(), QStringLiteral("SystemFonts.ps"),
        [&answers](const std::optional<FolderItem> &file) { answers.append(file); });

    // Returned at once, the dialog open on the window with the name proposed
    // in the documents folder.
    QVERIFY(answers.isEmpty());
    QPointer<QFileDialog> dialog =
        m_window.findChild<QFileDialog *>(QStringLiteral("saveFileDialog"));
    QVERIFY(dialog != nullptr);
    QTRY_VERIFY(dialog->isVisible());
    QCOMPARE(dialog->windowModality(), Qt::WindowModal);
    QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptSave);
    QCOMPARE(dialog->fileMode(), QFileDialog::AnyFile);
    QCOMPARE(dialog->directory().absolutePath(), QDir(documents).absolutePath());
    QCOMPARE(dialog->selectedFiles(), QStringList{QDir(documents).filePath("SystemFonts.ps")});
    // While it is open, events go on.
    QVERIFY(TestEvents::timerAndChildProcessArrive());
    QVERIFY(dialog->isVisible());
    QVERIFY(answers.isEmpty());

    if (typed.isEmpty()) {
        dialog->reject();
    } else {
        // Types the path into the name field and presses Return.
        auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        QVERIFY(name != nullptr);
        name->setText(dir.filePath(typed));
        QTest::keyClick(name, Qt::Key_Return);
    }

    QTRY_COMPARE(answers.size(), 1);
    if (typed.isEmpty())
        QVERIFY(!answers.first().has_value());
    else
        QCOMPARE(answers.first(), std::optional<FolderItem>(FolderItem(dir.filePath(typed))));
    QTRY_VERIFY(dialog.isNull());
    QTest::qWait(20);
    QCOMPARE(answers.size(), 1);
}

void TestQtServices::openDialogHandsOverTheChosenFiles_data()
{
    QTest::addColumn<QString>("typed"); // empty: cancelled
    QTest::addColumn<QStringList>("chosen");

    QTest::newRow("two files") << QStringLiteral("\"eins.ps\" \"zwei.EPS\"")
                               << QStringList{"eins.ps", "zwei.EPS"};
    QTest::newRow("cancelled") << QString() << QStringList{};
}

void TestQtServices::openDialogHandsOverTheChosenFiles()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, chosen);
    QTemporaryDir dir;
    for (const char *name : {"eins.ps", "zwei.EPS", "bild.png"})
        QFile(dir.filePath(QLatin1String(name))).open(QIODevice::WriteOnly);
    QtOpenFilesChooser chooser(&m_window);
    QList<QStringList> answers;
    const QStringList filters{QStringLiteral("PostScript-Dateien (*.ps *.eps *.PS *.EPS)"),
                              QStringLiteral("Alle Dateien (*)")};

    chooser.openFilesDialog(dir.path(), filters,
                            [&answers](const QStringList &paths) { answers.append(paths); });

    // Returned at once, the dialog open on the window.
    QVERIFY(answers.isEmpty());
    QPointer<QFileDialog> dialog = m_window.findChild<QFileDialog *>(QStringLiteral("openFilesDialog"));
    QVERIFY(dialog != nullptr);
    QTRY_VERIFY(dialog->isVisible());
    QCOMPARE(dialog->windowModality(), Qt::WindowModal);
    QCOMPARE(dialog->fileMode(), QFileDialog::ExistingFiles);
    QCOMPARE(dialog->directory().absolutePath(), QDir(dir.path()).absolutePath());
    QCOMPARE(dialog->nameFilters(), filters);
    QCOMPARE(dialog->selectedNameFilter(), filters.first());

    if (typed.isEmpty()) {
        dialog->reject();
    } else {
        auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        QVERIFY(name != nullptr);
        name->setText(typed);
        QTest::keyClick(name, Qt::Key_Return);
    }

    QTRY_COMPARE(answers.size(), 1);
    QStringList expected;
    for (const QString &name : chosen)
        expected << dir.filePath(name);
    QCOMPARE(answers.first(), expected);
    QTRY_VERIFY(dialog.isNull());
}

void TestQtServices::folderDialogHandsOverTheChosenFolder_data()
{
    QTest::addColumn<QString>("typed"); // empty: cancelled

    QTest::newRow("a folder") << QStringLiteral("PDF-Eingang");
    QTest::newRow("cancelled") << QString();
}

void TestQtServices::folderDialogHandsOverTheChosenFolder()
{
    QFETCH(QString, typed);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("PDF-Eingang")));
    QFile(dir.filePath(QStringLiteral("brief.ps"))).open(QIODevice::WriteOnly);
    QtFolderChooser chooser(&m_window);
    QStringList answers;

    chooser.chooseFolderDialog(QStringLiteral("Ordner"), dir.path(),
                               [&answers](const QString &folder) { answers.append(folder); });

    // Returned at once, the dialog open on the window, showing folders only.
    QVERIFY(answers.isEmpty());
    QPointer<QFileDialog> dialog =
        m_window.findChild<QFileDialog *>(QStringLiteral("folderDialog"));
    QVERIFY(dialog != nullptr);
    QTRY_VERIFY(dialog->isVisible());
    QCOMPARE(dialog->windowModality(), Qt::WindowModal);
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Ordner"));
    QCOMPARE(dialog->fileMode(), QFileDialog::Directory);
    QVERIFY(dialog->testOption(QFileDialog::ShowDirsOnly));
    QCOMPARE(dialog->directory().absolutePath(), QDir(dir.path()).absolutePath());

    if (typed.isEmpty()) {
        dialog->reject();
    } else {
        auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        QVERIFY(name != nullptr);
        name->setText(typed);
        QTest::keyClick(name, Qt::Key_Return);
    }

    QTRY_COMPARE(answers.size(), 1);
    QCOMPARE(answers.first(), typed.isEmpty() ? QString() : dir.filePath(typed));
    QTRY_VERIFY(dialog.isNull());
}

QTEST_MAIN(TestQtServices)
#include "tst_QtServices.moc"
