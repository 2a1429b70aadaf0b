#include "ui/QtOpenFilesChooser.h"
#include "ui/QtSaveFileChooser.h"
#include "ui/QtUrlOpener.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QLineEdit>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

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

void whenFileDialogShows(const std::function<void(QFileDialog &)> &act)
{
    auto *poll = new QTimer;
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, act] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (dialog == nullptr || !dialog->isVisible())
            return;
        poll->stop();
        poll->deleteLater();
        act(*dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
    poll->start();
}

} // namespace

class TestQtServices : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void urlGoesToTheDesktopsBrowser();
    void saveDialogReturnsTheChosenFile();
    void cancelledSaveDialogReturnsNothing();
    void openDialogHandsOverTheChosenFiles_data();
    void openDialogHandsOverTheChosenFiles();

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

void TestQtServices::saveDialogReturnsTheChosenFile()
{
    QTemporaryDir dir;
    const QString chosen = dir.filePath(QStringLiteral("Schriften.ps"));
    QtSaveFileChooser chooser(&m_window);
    QString proposed;
    whenFileDialogShows([&](QFileDialog &dialog) {
        proposed = dialog.selectedFiles().value(0);
        // Types the path into the name field and presses Return.
        auto *name = dialog.findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        QVERIFY(name != nullptr);
        name->setText(chosen);
        QTest::keyClick(name, Qt::Key_Return);
    });

    const std::optional<FolderItem> result =
        chooser.showSaveFileDialog(QString(), QStringLiteral("SystemFonts.ps"));

    QVERIFY(result.has_value());
    QCOMPARE(result->nativePath(), chosen);
    QCOMPARE(QFileInfo(proposed).fileName(), QStringLiteral("SystemFonts.ps"));
    QVERIFY(QFileInfo(proposed).isAbsolute());
}

void TestQtServices::cancelledSaveDialogReturnsNothing()
{
    QtSaveFileChooser chooser(&m_window);
    whenFileDialogShows([](QFileDialog &dialog) { dialog.reject(); });

    QVERIFY(!chooser.showSaveFileDialog(QString(), QStringLiteral("SystemFonts.ps")).has_value());
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

QTEST_MAIN(TestQtServices)
#include "tst_QtServices.moc"
