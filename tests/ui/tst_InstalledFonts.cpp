// The window's missing-font question on a machine where most of a
// document's fonts are installed: it names only the one installed nowhere.

#include "ui/Window1.h"

#include "convert/MissingFonts.h"
#include "platform/DesktopServices.h"
#include "ui/DropCanvas.h"

#include "InstalledTestFonts.h"
#include "ScriptedPresenter.h"
#include "ScriptedSaveChooser.h"
#include "TestFiles.h"

#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

class NoUrls : public UrlOpener
{
public:
    void showUrl(const QUrl &) override {}
};

bool dropFile(QWidget *target, const QString &path)
{
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    const QPoint position = target->rect().center();
    QDragEnterEvent enter(position, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDragMoveEvent move(position, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &move);
    QDropEvent drop(QPointF(position), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    return enter.isAccepted() && drop.isAccepted();
}

} // namespace

class TestInstalledFonts : public QObject
{
    Q_OBJECT

private slots:
    void questionNamesOnlyTheFontInstalledNowhere();
};

void TestInstalledFonts::questionNamesOnlyTheFontInstalledNowhere()
{
    const QString gs = TestFiles::realGhostscript();
    QVERIFY2(!gs.isEmpty(), "gs is needed");
    // Before the first conversion of this program, whose font index is made
    // from the environment as it is then.
    const InstalledTestFonts fonts;
    QVERIFY2(fonts.isValid(), qPrintable(fonts.error()));
    QTemporaryDir dir;
    const QString input = dir.filePath(QStringLiteral("mixed.ps"));
    TestFiles::writeBytes(input, MixedFontsDocument());

    ScriptedPresenter dialogs({MessageDialog::Button::Cancel});
    NoUrls urls;
    ScriptedSaveChooser chooser;
    Window1Services services;
    services.dialogs = &dialogs;
    services.urls = &urls;
    services.saveChooser = &chooser;
    services.dropCandidates = {gs};
    services.probeCandidates = {gs};
    Window1 window(services);
    QSignalSpy opened(&window, &Window1::opened);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(opened.size() == 1 || opened.wait(10000));

    QVERIFY(dropFile(window.Canvas1(), input));
    QTRY_VERIFY_WITH_TIMEOUT(!dialogs.shown.isEmpty(), 60000);
    const MessageDialog expected = MissingFontsDialog({"PagoraNowhere-Regular"});
    QCOMPARE(dialogs.shown.first().message, expected.message);
    QCOMPARE(dialogs.shown.first().explanation, expected.explanation);
    QTRY_VERIFY_WITH_TIMEOUT(!window.isBusy(), 60000);
    // "No" keeps the PDF made meanwhile, with the installed fonts real.
    QCOMPARE(TestFiles::pdfPageCount(dir.filePath(QStringLiteral("mixed.pdf"))), 1);
}

QTEST_MAIN(TestInstalledFonts)
#include "tst_InstalledFonts.moc"
