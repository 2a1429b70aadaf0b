#include "ui/QtSaveFileChooser.h"
#include "ui/QtUrlOpener.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QLineEdit>
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

QTEST_MAIN(TestQtServices)
#include "tst_QtServices.moc"
