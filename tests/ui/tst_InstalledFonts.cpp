// The window's missing-font question on a machine where most of a
// document's fonts are installed: it names only the one installed nowhere.

#include "ui/Window1.h"

#include "convert/fonts/MissingFonts.h"
#include "ui/DropCanvas.h"

#include "InstalledTestFonts.h"
#include "ScriptedPresenter.h"
#include "TestFiles.h"
#include "WindowTestSupport.h"

#include <QTemporaryDir>
#include <QTest>

#include <memory>

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
    TestWindowServices services;
    Window1 window(services.services(&dialogs));
    QVERIFY(OpenWindow(window));

    QVERIFY(DropFiles(window.Canvas1(), {input}));
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
