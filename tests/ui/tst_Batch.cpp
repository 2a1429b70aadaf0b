// Many files at once: a drop of several files, or of a folder, converts all
// of them in parallel and ends with one question and one summary.
#include "ScriptedPresenter.h"
#include "TestFiles.h"
#include "WindowTestSupport.h"

#include "platform/text/Translations.h"
#include "ui/DropCanvas.h"
#include "ui/Window1.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QLabel>
#include <QMimeData>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <memory>
#include <optional>

using Button = MessageDialog::Button;

namespace
{

const QByteArray kOlderPdf = "%PDF-1.4\n% an older PDF the user keeps\n%%EOF\n";

void copyFixture(const QString &fixture, const QString &to)
{
    TestFiles::writeBytes(to, TestFiles::readBytes(TestFiles::fixture(fixture)));
}

// The processes running Ghostscript whose working folder is below folder.
int ghostscriptsIn(const QString &folder)
{
    int count = 0;
    const QStringList pids = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString &pid : pids) {
        const QString cwd = QFileInfo(QStringLiteral("/proc/%1/cwd").arg(pid)).symLinkTarget();
        if (!cwd.startsWith(folder))
            continue;
        const QByteArray comm =
            TestFiles::readBytes(QStringLiteral("/proc/%1/comm").arg(pid)).trimmed();
        if (comm == "gs")
            ++count;
    }
    return count;
}

// Hidden files and workspaces: what a half-written conversion would leave.
QStringList leftovers(const QString &folder)
{
    QStringList found;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (it.fileName().startsWith(QLatin1Char('.')) || it.fileName().startsWith("job-"))
            found.append(path);
    }
    return found;
}

} // namespace

class TestBatch : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void severalFilesConvertTogetherWithOneQuestionAndOneSummary();
    void folderDropConvertsItsPostScriptFilesInNameOrder();
    void cancelStopsRunningAndQueuedFilesAndKeepsWhatIsDone();
    void twoFilesOfOneStemMakeOnePdfNotTwoOverOneAnother();
    void batchMakesEveryPdfOfTheChosenKindAndSaysSoOnce();
    void fileWithMissingFontsAndNoPdfIsToldAsFailedWithItsError();
    void batchWithoutPostScriptIsRefusedAsASingleFile_data();
    void batchWithoutPostScriptIsRefusedAsASingleFile();
    void hiddenFilesInAFolderAreSkipped();
    void substitutesAreNamedInTheSummaryAsInTheQuestion();
    void filesWaitingWhenABatchStartsRunBeforeLaterOnes();
    void filesDroppedDuringTheFontQuestionRunBeforeThoseDroppedDuringTheRetry();

private:
    Window1Services services(ScriptedPresenter &dialogs) { return m_window->services(&dialogs); }

    std::optional<TestWindowServices> m_window;
    std::unique_ptr<QTemporaryDir> m_tmp;
    QByteArray m_savedTmp;
};

void TestBatch::initTestCase()
{
    // As the window's application does: the German forms of counted texts.
    InstallTranslations(*QCoreApplication::instance(), QLocale(QLocale::German));
}

void TestBatch::init()
{
    m_tmp = std::make_unique<QTemporaryDir>();
    m_savedTmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(m_tmp->path()));
    // Each test starts with settings of its own: Standard, and the user's untouched.
    m_window.emplace();
}

void TestBatch::cleanup()
{
    qputenv("TMPDIR", m_savedTmp);
}

void TestBatch::severalFilesConvertTogetherWithOneQuestionAndOneSummary()
{
    QTemporaryDir docs;
    const QString hello = docs.filePath(QStringLiteral("hello.ps"));
    const QString fonts = docs.filePath(QStringLiteral("fonts.ps"));
    const QString broken = docs.filePath(QStringLiteral("broken.ps"));
    const QString text = docs.filePath(QStringLiteral("notes.txt"));
    copyFixture(QStringLiteral("hello.ps"), hello);
    copyFixture(QStringLiteral("missing-fonts/lucida_futura.ps"), fonts);
    copyFixture(QStringLiteral("error.ps"), broken);
    TestFiles::writeBytes(text, "not PostScript");
    TestFiles::writeBytes(docs.filePath(QStringLiteral("broken.pdf")), kOlderPdf);

    ScriptedPresenter dialogs({Button::Action});
    Window1 window(services(dialogs));
    QVERIFY(OpenWindow(window));
    QSignalSpy finished(&window, &Window1::batchFinished);

    // A real drop of four items on the drop zone.
    auto *data = new QMimeData;
    data->setUrls({QUrl::fromLocalFile(hello), QUrl::fromLocalFile(text),
                   QUrl::fromLocalFile(broken), QUrl::fromLocalFile(fonts)});
    std::unique_ptr<QMimeData> owned(data);
    const QPoint at = window.Canvas1()->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.Canvas1(), &enter);
    QDropEvent drop(QPointF(at), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.Canvas1(), &drop);

    QVERIFY(finished.wait(120000));
    QCOMPARE(dialogs.shown.size(), 2);
    // One question for all the files with missing fonts.
    const MessageDialog &question = dialogs.shown.at(0);
    QCOMPARE(question.message, QStringLiteral("Fehlende Schriftarten"));
    // One file, two fonts: "diese Datei", "den Ersatzfonts".
    QCOMPARE(question.explanation,
             QStringLiteral("In dieser Datei fehlen Fonts:\n\nfonts.ps:\n"
                            "  \u2022 LucidaGrande\n  \u2022 Futura-Bold\n\n"
                            "Vorgeschlagener Ersatz f\u00fcr 'LucidaGrande':\n  \u2192 Helvetica\n"
                            "\nSoll diese Datei mit den Ersatzfonts erneut konvertiert werden?"));
    QCOMPARE(question.actionButton.caption, QStringLiteral("Ja, Ersatzfonts verwenden"));

    const MessageDialog &summary = dialogs.shown.at(1);
    QCOMPARE(summary.message, QStringLiteral("Konvertierung abgeschlossen"));
    QCOMPARE(summary.iconType, MessageDialog::Icon::Stop);
    const QString explanation = summary.explanation;
    QVERIFY2(explanation.startsWith(QStringLiteral("2 von 3 Dateien wurden in PDF umgewandelt.\n\n"
                                                   "Fehlgeschlagen:\n  \u2022 broken.ps\n    Error: ")),
             qPrintable(explanation));
    QVERIFY2(explanation.contains(QStringLiteral(
                 "Mit Ersatzfonts erstellt:\n  \u2022 fonts.ps: LucidaGrande, Futura-Bold")),
             qPrintable(explanation));
    QVERIFY(explanation.endsWith(
        QStringLiteral("\u00dcbersprungen (keine PostScript-Datei):\n  \u2022 notes.txt")));
    QVERIFY(summary.details.contains(QStringLiteral("undefined")));

    QCOMPARE(TestFiles::pdfPageCount(docs.filePath(QStringLiteral("hello.pdf"))), 2);
    QVERIFY(TestFiles::pdfPageCount(docs.filePath(QStringLiteral("fonts.pdf"))) > 0);
    QCOMPARE(TestFiles::readBytes(docs.filePath(QStringLiteral("broken.pdf"))), kOlderPdf);
    QVERIFY(!QFileInfo::exists(docs.filePath(QStringLiteral("notes.pdf"))));
    QCOMPARE(leftovers(docs.path()), QStringList());
}

void TestBatch::folderDropConvertsItsPostScriptFilesInNameOrder()
{
    QTemporaryDir docs;
    const QString folder = docs.filePath(QStringLiteral("Abbildungen"));
    QVERIFY(QDir().mkpath(folder + QStringLiteral("/tiefer")));
    copyFixture(QStringLiteral("hello.ps"), folder + QStringLiteral("/b.ps"));
    copyFixture(QStringLiteral("hello.ps"), folder + QStringLiteral("/A.PS"));
    copyFixture(QStringLiteral("hello.ps"), folder + QStringLiteral("/tiefer/c.ps"));
    TestFiles::writeBytes(folder + QStringLiteral("/liesmich.txt"), "text");

    ScriptedPresenter dialogs;
    Window1 window(services(dialogs));
    QVERIFY(OpenWindow(window));
    QSignalSpy finished(&window, &Window1::batchFinished);
    window.ConvertFiles({folder});
    QVERIFY(finished.wait(120000));

    QCOMPARE(dialogs.shown.size(), 1);
    QCOMPARE(dialogs.shown.first().explanation,
             QStringLiteral("2 von 2 Dateien wurden in PDF umgewandelt."));
    QCOMPARE(dialogs.shown.first().iconType, MessageDialog::Icon::Note);
    QVERIFY(QFileInfo::exists(folder + QStringLiteral("/A.pdf")));
    QVERIFY(QFileInfo::exists(folder + QStringLiteral("/b.pdf")));
    QVERIFY(!QFileInfo::exists(folder + QStringLiteral("/tiefer/c.pdf")));
}

void TestBatch::cancelStopsRunningAndQueuedFilesAndKeepsWhatIsDone()
{
    QTemporaryDir docs;
    QStringList inputs;
    copyFixture(QStringLiteral("hello.ps"), docs.filePath(QStringLiteral("a-hello.ps")));
    inputs << docs.filePath(QStringLiteral("a-hello.ps"));
    // A batch starts its largest file first: the one file that ends must be
    // it, or it would wait behind the endless ones.
    QVERIFY(QFileInfo(TestFiles::fixture(QStringLiteral("hello.ps"))).size() >
            QFileInfo(TestFiles::fixture(QStringLiteral("loop.ps"))).size());
    for (int i = 0; i < 6; ++i) {
        const QString name = QStringLiteral("endless-%1.ps").arg(i);
        copyFixture(QStringLiteral("loop.ps"), docs.filePath(name));
        TestFiles::writeBytes(docs.filePath(QStringLiteral("endless-%1.pdf").arg(i)), kOlderPdf);
        inputs << docs.filePath(name);
    }

    ScriptedPresenter dialogs;
    Window1 window(services(dialogs));
    QVERIFY(OpenWindow(window));
    QSignalSpy finished(&window, &Window1::batchFinished);
    window.ConvertFiles(inputs);

    // The progress shows how far the batch is, then the person presses "Abbrechen".
    QPointer<QWidget> progress;
    QTRY_VERIFY_WITH_TIMEOUT(
        (progress = window.findChild<QWidget *>(QStringLiteral("batchProgress"))) != nullptr,
        10000);
    QCOMPARE(progress->windowTitle(), QStringLiteral("Konvertierung"));
    auto *count = progress->findChild<QLabel *>(QStringLiteral("count"));
    QTRY_COMPARE_WITH_TIMEOUT(count->text(), QStringLiteral("1 von 7 Dateien"), 20000);
    QTRY_VERIFY_WITH_TIMEOUT(ghostscriptsIn(m_tmp->path()) > 0, 10000);
    auto *bar = progress->findChild<QProgressBar *>(QStringLiteral("bar"));
    QCOMPARE(bar->maximum(), 7);
    QCOMPARE(bar->value(), 1);
    QVERIFY(!progress->findChild<QLabel *>(QStringLiteral("fileName"))->text().isEmpty());
    QTest::mouseClick(progress->findChild<QPushButton *>(QStringLiteral("cancelButton")),
                      Qt::LeftButton);

    QVERIFY(finished.wait(20000));
    QCOMPARE(dialogs.shown.size(), 1);
    QCOMPARE(dialogs.shown.first().explanation,
             QStringLiteral("1 von 7 Dateien wurde in PDF umgewandelt.\n"
                            "Abgebrochen: 6 Dateien wurden nicht in PDF umgewandelt."));
    QCOMPARE(ghostscriptsIn(m_tmp->path()), 0);
    QCOMPARE(TestFiles::pdfPageCount(docs.filePath(QStringLiteral("a-hello.pdf"))), 2);
    for (int i = 0; i < 6; ++i)
        QCOMPARE(TestFiles::readBytes(docs.filePath(QStringLiteral("endless-%1.pdf").arg(i))),
                 kOlderPdf);
    QCOMPARE(leftovers(docs.path()), QStringList());
    QCOMPARE(leftovers(m_tmp->path()), QStringList());
}

// A figure and a document of one name in one folder would both write x.pdf:
// the first in name order is converted, the other fails and says why,
// rather than overwrite it.
void TestBatch::twoFilesOfOneStemMakeOnePdfNotTwoOverOneAnother()
{
    QTemporaryDir docs;
    copyFixture(QStringLiteral("hello.ps"), docs.filePath(QStringLiteral("x.eps")));
    TestFiles::writeBytes(docs.filePath(QStringLiteral("x.ps")), "%!PS\nshowpage\n");

    ScriptedPresenter dialogs;
    Window1 window(services(dialogs));
    QVERIFY(OpenWindow(window));
    QSignalSpy finished(&window, &Window1::batchFinished);
    window.ConvertFiles({docs.path()});
    QVERIFY(finished.wait(120000));

    QCOMPARE(dialogs.shown.size(), 1);
    const QString summary = dialogs.shown.first().explanation;
    QVERIFY2(summary.startsWith(QStringLiteral("1 von 2 Dateien wurde in PDF umgewandelt.")),
             qPrintable(summary));
    QVERIFY2(summary.contains(
                 QStringLiteral("x.ps\n    Dieselbe PDF-Datei wird bereits aus x.eps erzeugt.")),
             qPrintable(summary));
    // The figure's two pages, not the one blank page of the document.
    QCOMPARE(TestFiles::pdfPageCount(docs.filePath(QStringLiteral("x.pdf"))), 2);
}

void TestBatch::batchMakesEveryPdfOfTheChosenKindAndSaysSoOnce()
{
    QTemporaryDir docs;
    const QStringList inputs{docs.filePath(QStringLiteral("a.ps")),
                             docs.filePath(QStringLiteral("b.ps"))};
    for (const QString &input : inputs)
        copyFixture(QStringLiteral("hello.ps"), input);
    ScriptedPresenter dialogs;
    Window1 window(services(dialogs));
    QVERIFY(OpenWindow(window));
    window.PdfPrint()->trigger();
    QSignalSpy finished(&window, &Window1::batchFinished);
    window.ConvertFiles(inputs);
    QVERIFY(finished.wait(120000));

    QCOMPARE(dialogs.shown.size(), 1);
    QCOMPARE(dialogs.shown.first().explanation,
             QStringLiteral("2 von 2 Dateien wurden in PDF umgewandelt.\nPDF-Art: Druck"));
    // Print embeds even the standard fonts, which a Standard PDF leaves out.
    for (const QString &pdf : {docs.filePath(QStringLiteral("a.pdf")),
                               docs.filePath(QStringLiteral("b.pdf"))}) {
        const QByteArray fonts = TestFiles::runTool(QStringLiteral("pdffonts"), {pdf});
        QVERIFY2(fonts.contains("+Helvetica") && !fonts.contains(" no  no "), fonts.constData());
    }
}

// Ghostscript reports the missing font, then stops at an error: no PDF is
// made, however the question is answered, and the summary says so.
void TestBatch::fileWithMissingFontsAndNoPdfIsToldAsFailedWithItsError()
{
    QTemporaryDir docs;
    copyFixture(QStringLiteral("hello.ps"), docs.filePath(QStringLiteral("hello.ps")));
    TestFiles::writeBytes(docs.filePath(QStringLiteral("kaputt.ps")),
                          "%!PS\n/NichtDa-Schrift findfont 12 scalefont setfont\n"
                          "72 720 moveto (Text) show\nnichtdefiniert\nshowpage\n");

    ScriptedPresenter dialogs({Button::Cancel});
    Window1 window(services(dialogs));
    QVERIFY(OpenWindow(window));
    QSignalSpy finished(&window, &Window1::batchFinished);
    window.ConvertFiles({docs.filePath(QStringLiteral("hello.ps")),
                         docs.filePath(QStringLiteral("kaputt.ps"))});
    QVERIFY(finished.wait(120000));

    QCOMPARE(dialogs.shown.size(), 2);
    const MessageDialog &question = dialogs.shown.at(0);
    QCOMPARE(question.cancelButton.caption, QStringLiteral("Nein"));
    const MessageDialog &summary = dialogs.shown.at(1);
    QCOMPARE(summary.explanation,
             QStringLiteral("1 von 2 Dateien wurde in PDF umgewandelt.\n\n"
                            "Fehlgeschlagen:\n  \u2022 kaputt.ps\n"
                            "    Error: /undefined in nichtdefiniert"));
    QCOMPARE(summary.iconType, MessageDialog::Icon::Stop);
    QVERIFY2(summary.details.contains(QStringLiteral("NichtDa-Schrift")),
             qPrintable(summary.details));
    QVERIFY(!QFileInfo::exists(docs.filePath(QStringLiteral("kaputt.pdf"))));
}

void TestBatch::batchWithoutPostScriptIsRefusedAsASingleFile_data()
{
    // Files to make below the documents' folder; what is dropped.
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("dropped");
    QTest::newRow("empty folder") << QStringList() << QStringList{QStringLiteral("Ordner")};
    QTest::newRow("folder of text files")
        << QStringList{QStringLiteral("Ordner/a.txt"), QStringLiteral("Ordner/b.pdf")}
        << QStringList{QStringLiteral("Ordner")};
    QTest::newRow("folder of hidden PostScript files")
        << QStringList{QStringLiteral("Ordner/._a.ps"), QStringLiteral("Ordner/.b.ps")}
        << QStringList{QStringLiteral("Ordner")};
    QTest::newRow("two text files")
        << QStringList{QStringLiteral("a.txt"), QStringLiteral("b.txt")}
        << QStringList{QStringLiteral("a.txt"), QStringLiteral("b.txt")};
}

void TestBatch::batchWithoutPostScriptIsRefusedAsASingleFile()
{
    QFETCH(QStringList, files);
    QFETCH(QStringList, dropped);
    QTemporaryDir docs;
    QVERIFY(QDir(docs.path()).mkpath(QStringLiteral("Ordner")));
    for (const QString &file : std::as_const(files))
        TestFiles::writeBytes(docs.filePath(file), "%!PS\nshowpage\n");
    QStringList paths;
    for (const QString &item : std::as_const(dropped))
        paths.append(docs.filePath(item));

    ScriptedPresenter dialogs;
    Window1 window(services(dialogs));
    QVERIFY(OpenWindow(window));
    window.ConvertFiles(paths);

    QTRY_COMPARE_WITH_TIMEOUT(dialogs.shown.size(), 1, 10000);
    QCOMPARE(dialogs.shown.first().message, QStringLiteral("Keine PostScript-Datei"));
    QCOMPARE(dialogs.shown.first().explanation,
             QStringLiteral("Die Datei ist keine PostScript-Datei (.ps oder .eps)."));
    QCOMPARE(dialogs.shown.first().iconType, MessageDialog::Icon::Stop);
    QVERIFY(window.findChild<QWidget *>(QStringLiteral("batchProgress")) == nullptr);
}

// "._x.ps" is what macOS writes beside x.ps on FAT and exFAT volumes: no
// PostScript, and no document of the user's.
void TestBatch::hiddenFilesInAFolderAreSkipped()
{
    QTemporaryDir docs;
    QVERIFY(QDir(docs.path()).mkpath(QStringLiteral("Ordner")));
    copyFixture(QStringLiteral("hello.ps"), docs.filePath(QStringLiteral("Ordner/x.ps")));
    TestFiles::writeBytes(docs.filePath(QStringLiteral("Ordner/._x.ps")),
                          QByteArray("\0\5\26\7\0\2\0\0Mac OS X", 16));
    copyFixture(QStringLiteral("hello.ps"), docs.filePath(QStringLiteral("Ordner/.y.ps")));

    ScriptedPresenter dialogs;
    Window1 window(services(dialogs));
    QVERIFY(OpenWindow(window));
    QSignalSpy finished(&window, &Window1::batchFinished);
    window.ConvertFiles({docs.filePath(QStringLiteral("Ordner"))});
    QVERIFY(finished.wait(60000));

    QCOMPARE(dialogs.shown.size(), 1);
    QCOMPARE(dialogs.shown.first().explanation,
             QStringLiteral("1 von 1 Datei wurde in PDF umgewandelt."));
    QVERIFY(QFileInfo::exists(docs.filePath(QStringLiteral("Ordner/x.pdf"))));
    QVERIFY(!QFileInfo::exists(docs.filePath(QStringLiteral("Ordner/._x.pdf"))));
    QVERIFY(!QFileInfo::exists(docs.filePath(QStringLiteral("Ordner/.y.pdf"))));
}

// The retry binds "Gill Sans" to GillSans, and Ghostscript then reports
// "GillSans": the summary names the fonts as the question did.
void TestBatch::substitutesAreNamedInTheSummaryAsInTheQuestion()
{
    QTemporaryDir docs;
    const QString fonts = docs.filePath(QStringLiteral("fonts.ps"));
    const QString hello = docs.filePath(QStringLiteral("hello.ps"));
    copyFixture(QStringLiteral("missing-fonts/font_on_retry.ps"), fonts);
    copyFixture(QStringLiteral("hello.ps"), hello);

    ScriptedPresenter dialogs({Button::Action});
    Window1 window(services(dialogs));
    QVERIFY(OpenWindow(window));
    QSignalSpy finished(&window, &Window1::batchFinished);
    window.ConvertFiles({fonts, hello});
    QVERIFY(finished.wait(120000));

    QCOMPARE(dialogs.shown.size(), 2);
    QVERIFY2(
        dialogs.shown.at(0).explanation.contains(QStringLiteral("fonts.ps:\n  \u2022 Gill Sans\n")),
        qPrintable(dialogs.shown.at(0).explanation));
    QCOMPARE(dialogs.shown.at(1).explanation,
             QStringLiteral("2 von 2 Dateien wurden in PDF umgewandelt.\n\n"
                            "Mit Ersatzfonts erstellt:\n  \u2022 fonts.ps: Gill Sans, Extra Font"));
}

namespace
{

// A document Ghostscript takes a few seconds for, with a font it has to
// stand in for when missingFont is set.
QByteArray slowDocument(bool missingFont = false)
{
    return QByteArray("%!PS\n0 1 1 200000000 {pop} for\n/") +
           (missingFont ? "Pagora-Nirgends-Sans" : "Helvetica") +
           " findfont 20 scalefont setfont\n72 720 moveto (langsam) show showpage\n";
}

// What the dialogs said, one line each: a success by the PDF's name, a
// summary by its first line.
QStringList told(const QList<MessageDialog> &shown)
{
    QStringList lines;
    for (const MessageDialog &dialog : shown) {
        if (dialog.message == QStringLiteral("Erfolg!"))
            lines << QFileInfo(dialog.explanation.section(QLatin1Char('\n'), 1, 1)).fileName();
        else
            lines << dialog.explanation.section(QLatin1Char('\n'), 0, 0);
    }
    return lines;
}

} // namespace

// A batch and a file wait while a single file converts; the batch starts,
// and a file dropped while it runs comes after the one that waited already.
void TestBatch::filesWaitingWhenABatchStartsRunBeforeLaterOnes()
{
    QTemporaryDir docs;
    const auto path = [&docs](const char *name) { return docs.filePath(QLatin1String(name)); };
    TestFiles::writeBytes(path("erste.ps"), slowDocument());
    TestFiles::writeBytes(path("stapel-a.ps"), slowDocument());
    copyFixture(QStringLiteral("hello.ps"), path("stapel-b.ps"));
    copyFixture(QStringLiteral("hello.ps"), path("wartend.ps"));
    copyFixture(QStringLiteral("hello.ps"), path("spaeter.ps"));

    ScriptedPresenter dialogs;
    Window1 window(services(dialogs));
    QVERIFY(OpenWindow(window));
    QSignalSpy batches(&window, &Window1::batchFinished);
    QSignalSpy singles(&window, &Window1::conversionFinished);
    QVERIFY(PlatformDropFiles(window.Canvas1(), {path("erste.ps")}));
    QTRY_VERIFY_WITH_TIMEOUT(window.RunningConversion() != nullptr, 10000);
    QVERIFY(PlatformDropFiles(window.Canvas1(), {path("stapel-a.ps"), path("stapel-b.ps")}));
    QVERIFY(PlatformDropFiles(window.Canvas1(), {path("wartend.ps")}));

    QTRY_VERIFY_WITH_TIMEOUT(window.findChild<QWidget *>(QStringLiteral("batchProgress")), 60000);
    QVERIFY(batches.isEmpty());
    QVERIFY(PlatformDropFiles(window.Canvas1(), {path("spaeter.ps")}));

    // The batch is the two files it started with; then the others in turn.
    QTRY_COMPARE_WITH_TIMEOUT(batches.size(), 1, 120000);
    const QStringList first{QStringLiteral("erste.pdf"),
                            QStringLiteral("2 von 2 Dateien wurden in PDF umgewandelt.")};
    QCOMPARE(told(dialogs.shown), first);
    QTRY_COMPARE_WITH_TIMEOUT(singles.size(), 3, 60000);
    QCOMPARE(told(dialogs.shown),
             (first + QStringList{QStringLiteral("wartend.pdf"), QStringLiteral("spaeter.pdf")}));
}

// A file dropped while the batch asks about fonts waits for the batch; one
// dropped while the batch converts its files again comes after it.
void TestBatch::filesDroppedDuringTheFontQuestionRunBeforeThoseDroppedDuringTheRetry()
{
    QTemporaryDir docs;
    const auto path = [&docs](const char *name) { return docs.filePath(QLatin1String(name)); };
    TestFiles::writeBytes(path("schrift.ps"), slowDocument(true));
    copyFixture(QStringLiteral("hello.ps"), path("hallo.ps"));
    copyFixture(QStringLiteral("hello.ps"), path("waehrend-der-frage.ps"));
    copyFixture(QStringLiteral("hello.ps"), path("waehrend-der-wiederholung.ps"));

    ScriptedPresenter dialogs;
    dialogs.holdAnswers();
    Window1 window(services(dialogs));
    QVERIFY(OpenWindow(window));
    QSignalSpy batches(&window, &Window1::batchFinished);
    QSignalSpy singles(&window, &Window1::conversionFinished);
    window.ConvertFiles({path("schrift.ps"), path("hallo.ps")});

    QTRY_COMPARE_WITH_TIMEOUT(dialogs.openDialogs(), 1, 60000);
    QCOMPARE(dialogs.shown.first().message, QStringLiteral("Fehlende Schriftarten"));
    QVERIFY(window.findChild<QWidget *>(QStringLiteral("batchProgress")) == nullptr);
    QVERIFY(DropFiles(window.Canvas1(), {path("waehrend-der-frage.ps")}));
    QTest::qWait(200);
    QVERIFY(dialogs.press());
    QPointer<QWidget> progress;
    QTRY_VERIFY_WITH_TIMEOUT(
        (progress = window.findChild<QWidget *>(QStringLiteral("batchProgress"))) != nullptr,
        10000);
    QVERIFY(PlatformDropFiles(window.Canvas1(), {path("waehrend-der-wiederholung.ps")}));
    QVERIFY(progress);

    QTRY_COMPARE_WITH_TIMEOUT(dialogs.openDialogs(), 1, 60000);
    QVERIFY(dialogs.press());
    QTRY_COMPARE_WITH_TIMEOUT(dialogs.openDialogs(), 1, 60000);
    QVERIFY(dialogs.press());
    QTRY_COMPARE_WITH_TIMEOUT(dialogs.openDialogs(), 1, 60000);
    QVERIFY(dialogs.press());
    QTRY_VERIFY_WITH_TIMEOUT(batches.size() == 1 && singles.size() == 2, 60000);
    QCOMPARE(told(dialogs.shown),
             (QStringList{QStringLiteral("In dieser Datei fehlen Fonts:"),
                          QStringLiteral("2 von 2 Dateien wurden in PDF umgewandelt."),
                          QStringLiteral("waehrend-der-frage.pdf"),
                          QStringLiteral("waehrend-der-wiederholung.pdf")}));
}

QTEST_MAIN(TestBatch)
#include "tst_Batch.moc"
