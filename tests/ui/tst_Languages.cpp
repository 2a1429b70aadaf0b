// The window speaks German, the language its texts are written in, on a
// German system and where the locale names no language (C, POSIX); on any
// other system it speaks English, Qt's own buttons included.
#include "ScriptedPresenter.h"
#include "TestFiles.h"
#include "WindowTestSupport.h"

#include "platform/text/Translations.h"
#include "ui/ProgressDialog.h"
#include "ui/QtMessagePresenter.h"
#include "ui/Window1.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <optional>

using Button = MessageDialog::Button;

namespace
{

// What the dialogs of one language say, as a person reads them.
struct Spoken {
    QString success;
    QString successHead;
    QString question;
    QString questionText;
    QString useReplacement;
    QString decline;
    QString noGhostscript;
    QString installationText;
    QString helpButton;
    QString laterButton;
    QString summaryOfOneInTwo;
    QString summaryOfOne;
    QString fontOverviewButton;
    QString showDetails;
    // The batch's question for one file with two missing fonts.
    QString batchQuestionEnd;
    QString batchUseReplacements;
    QString progressTitle;
    QString oneWaiting;
    QString twoWaiting;
};

const Spoken kGerman{
    QStringLiteral("Erfolg!"),
    QStringLiteral("Die PDF-Datei wurde erstellt:"),
    QStringLiteral("Fehlende Schriftarten"),
    QStringLiteral("Folgende Fonts wurden nicht gefunden:\n\n"
                   "  \u2022 LucidaGrande\n  \u2022 Futura-Bold\n\n"
                   "Vorgeschlagener Ersatz f\u00fcr 'LucidaGrande':\n  \u2192 Helvetica\n\n"
                   "Soll die Konvertierung mit dem Ersatzfont wiederholt werden?"),
    QStringLiteral("Ja, Ersatzfont verwenden"),
    QStringLiteral("Nein, abbrechen"),
    QStringLiteral("Ghostscript nicht gefunden"),
    QStringLiteral("F\u00fcr die PDF-Erstellung wird Ghostscript ben\u00f6tigt.\n\n"
                   "Installation unter Linux:\n1. Terminal \u00f6ffnen\n2. Befehl eingeben:\n"
                   "   sudo apt install ghostscript"),
    QStringLiteral("Installationshilfe"),
    QStringLiteral("Sp\u00e4ter"),
    QStringLiteral("1 von 2 Dateien wurde in PDF umgewandelt."),
    QStringLiteral("1 von 1 Datei wurde in PDF umgewandelt."),
    QStringLiteral("PostScript - Font\u00fcbersicht"),
    QStringLiteral("Details einblenden..."),
    QStringLiteral("\n\nSoll diese Datei mit den Ersatzfonts erneut konvertiert werden?"),
    QStringLiteral("Ja, Ersatzfonts verwenden"),
    QStringLiteral("Konvertierung"),
    QStringLiteral("1 weitere Datei wartet"),
    QStringLiteral("2 weitere Dateien warten"),
};

const Spoken kEnglish{
    QStringLiteral("Success!"),
    QStringLiteral("The PDF file was created:"),
    QStringLiteral("Missing fonts"),
    QStringLiteral("The following fonts were not found:\n\n"
                   "  \u2022 LucidaGrande\n  \u2022 Futura-Bold\n\n"
                   "Suggested replacement for 'LucidaGrande':\n  \u2192 Helvetica\n\n"
                   "Convert again with the replacement font?"),
    QStringLiteral("Yes, use the replacement font"),
    QStringLiteral("No, cancel"),
    QStringLiteral("Ghostscript not found"),
    QStringLiteral("Ghostscript is needed to create PDF files.\n\n"
                   "Installing on Linux:\n1. Open a terminal\n2. Enter the command:\n"
                   "   sudo apt install ghostscript"),
    QStringLiteral("Installation help"),
    QStringLiteral("Later"),
    QStringLiteral("1 of 2 files was converted to PDF."),
    QStringLiteral("1 of 1 file was converted to PDF."),
    QStringLiteral("PostScript - Font Overview"),
    QStringLiteral("Show Details..."),
    QStringLiteral("\n\nConvert this file again with the replacement fonts?"),
    QStringLiteral("Yes, use the replacement fonts"),
    QStringLiteral("Conversion"),
    QStringLiteral("1 more file waiting"),
    QStringLiteral("2 more files waiting"),
};

void copyFixture(const QString &fixture, const QString &to)
{
    TestFiles::writeBytes(to, TestFiles::readBytes(TestFiles::fixture(fixture)));
}

} // namespace

class TestLanguages : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void languageFollowsTheSystemsFirstLanguage_data();
    void languageFollowsTheSystemsFirstLanguage();
    void dialogsSpeakTheSystemsLanguage_data();
    void dialogsSpeakTheSystemsLanguage();

private:
    Window1Services services(ScriptedPresenter &dialogs) { return m_window->services(&dialogs); }

    std::optional<TestWindowServices> m_window;
    std::unique_ptr<QTemporaryDir> m_tmp;
    QByteArray m_savedTmp;
};

void TestLanguages::init()
{
    m_tmp = std::make_unique<QTemporaryDir>();
    m_savedTmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(m_tmp->path()));
    m_window.emplace();
}

void TestLanguages::cleanup()
{
    qputenv("TMPDIR", m_savedTmp);
    InstallTranslations(*QCoreApplication::instance(), QLocale(QLocale::German));
}

void TestLanguages::languageFollowsTheSystemsFirstLanguage_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<int>("language");
    QTest::newRow("German") << QStringLiteral("de_DE") << int(QLocale::German);
    QTest::newRow("Swiss German") << QStringLiteral("de_CH") << int(QLocale::German);
    QTest::newRow("no language (C)") << QStringLiteral("C") << int(QLocale::German);
    QTest::newRow("no language (POSIX)") << QStringLiteral("POSIX") << int(QLocale::German);
    QTest::newRow("American English") << QStringLiteral("en_US") << int(QLocale::English);
    QTest::newRow("British English") << QStringLiteral("en_GB") << int(QLocale::English);
    QTest::newRow("French") << QStringLiteral("fr_FR") << int(QLocale::English);
    QTest::newRow("Japanese") << QStringLiteral("ja_JP") << int(QLocale::English);
}

void TestLanguages::languageFollowsTheSystemsFirstLanguage()
{
    QFETCH(QString, locale);
    QFETCH(int, language);
    QCOMPARE(int(ProgramLanguage(QLocale(locale))), language);
}

void TestLanguages::dialogsSpeakTheSystemsLanguage_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<bool>("english");
    QTest::newRow("English system") << QStringLiteral("en_US") << true;
    QTest::newRow("French system") << QStringLiteral("fr_FR") << true;
    QTest::newRow("German system") << QStringLiteral("de_DE") << false;
    QTest::newRow("C locale") << QStringLiteral("C") << false;
}

// The success dialog, the missing-font question with its list, the
// installation help, a batch summary with its number forms, the window's
// button and Qt's own button in a real message box.
void TestLanguages::dialogsSpeakTheSystemsLanguage()
{
    QFETCH(QString, locale);
    QFETCH(bool, english);
    const Spoken &expected = english ? kEnglish : kGerman;
    QVERIFY(InstallTranslations(*QCoreApplication::instance(), QLocale(locale)));

    QTemporaryDir docs;
    const QString hello = docs.filePath(QStringLiteral("hello.ps"));
    const QString fonts = docs.filePath(QStringLiteral("fonts.ps"));
    const QString broken = docs.filePath(QStringLiteral("broken.ps"));
    copyFixture(QStringLiteral("hello.ps"), hello);
    copyFixture(QStringLiteral("missing-fonts/lucida_futura.ps"), fonts);
    copyFixture(QStringLiteral("error.ps"), broken);

    ScriptedPresenter dialogs({Button::Action, Button::Cancel});
    Window1 window(services(dialogs));
    QVERIFY(OpenWindow(window));
    QCOMPARE(window.windowTitle(), QStringLiteral("Drop File here"));
    QCOMPARE(window.Button1()->text(), expected.fontOverviewButton);

    window.ConvertFiles({hello});
    QTRY_COMPARE_WITH_TIMEOUT(dialogs.shown.size(), 1, 30000);
    QCOMPARE(dialogs.shown.at(0).message, expected.success);
    QCOMPARE(dialogs.shown.at(0).explanation,
             expected.successHead + QLatin1Char('\n') + docs.filePath(QStringLiteral("hello.pdf")));

    window.ConvertFiles({fonts});
    QTRY_COMPARE_WITH_TIMEOUT(dialogs.shown.size(), 2, 30000);
    const MessageDialog &question = dialogs.shown.at(1);
    QCOMPARE(question.message, expected.question);
    QCOMPARE(question.explanation, expected.questionText);
    QCOMPARE(question.actionButton.caption, expected.useReplacement);
    QCOMPARE(question.cancelButton.caption, expected.decline);

    QSignalSpy finished(&window, &Window1::batchFinished);
    window.ConvertFiles({hello, broken});
    QVERIFY(finished.wait(60000));
    QVERIFY2(dialogs.shown.last().explanation.startsWith(expected.summaryOfOneInTwo),
             qPrintable(dialogs.shown.last().explanation));
    QFile::remove(docs.filePath(QStringLiteral("hello.pdf")));
    const QString notes = docs.filePath(QStringLiteral("notes.txt"));
    TestFiles::writeBytes(notes, "not PostScript");
    window.ConvertFiles({hello, notes});
    QVERIFY(finished.wait(60000));
    QVERIFY2(dialogs.shown.last().explanation.startsWith(expected.summaryOfOne),
             qPrintable(dialogs.shown.last().explanation));
    window.ConvertFiles({fonts, hello});
    QVERIFY(finished.wait(60000));
    const MessageDialog &batchQuestion = dialogs.shown.at(dialogs.shown.size() - 2);
    QVERIFY2(batchQuestion.explanation.endsWith(expected.batchQuestionEnd),
             qPrintable(batchQuestion.explanation));
    QCOMPARE(batchQuestion.actionButton.caption, expected.batchUseReplacements);

    // The progress, as it shows for a file that takes its time.
    ProgressDialog progress(&window, QStringLiteral("progress"));
    QCOMPARE(progress.windowTitle(), expected.progressTitle);
    const auto *waiting = progress.findChild<QLabel *>(QStringLiteral("waiting"));
    progress.setWaiting(1);
    QCOMPARE(waiting->text(), expected.oneWaiting);
    progress.setWaiting(2);
    QCOMPARE(waiting->text(), expected.twoWaiting);

    // Without Ghostscript the window offers its installation help at start.
    QTemporaryDir nowhere;
    const QString osRelease = nowhere.filePath(QStringLiteral("os-release"));
    TestFiles::writeBytes(osRelease, "ID=debian\n");
    ScriptedPresenter startDialogs({Button::AlternateAction});
    Window1Services withoutGhostscript = services(startDialogs);
    withoutGhostscript.probeCandidates = {nowhere.filePath(QStringLiteral("gs"))};
    withoutGhostscript.osReleaseFiles = {osRelease};
    Window1 second(withoutGhostscript);
    QVERIFY(OpenWindow(second));
    QCOMPARE(startDialogs.shown.size(), 1);
    const MessageDialog &help = startDialogs.shown.first();
    QCOMPARE(help.message, expected.noGhostscript);
    QCOMPARE(help.explanation, expected.installationText);
    QCOMPARE(help.actionButton.caption, expected.helpButton);
    QCOMPARE(help.alternateActionButton.caption, expected.laterButton);

    // Qt's own button in a real message box.
    MessageDialog failure = dialogs.shown.last();
    failure.details = QStringLiteral("Error: /undefined in nichtdefiniert");
    QtMessagePresenter presenter(&window);
    presenter.open(failure, [](Button) {});
    QPointer<QMessageBox> box;
    QTRY_VERIFY((box = window.findChild<QMessageBox *>()) != nullptr);
    QStringList captions;
    const QList<QAbstractButton *> buttons = box->findChildren<QAbstractButton *>();
    for (const QAbstractButton *button : buttons)
        captions << button->text();
    QVERIFY2(captions.contains(expected.showDetails), qPrintable(captions.join(QLatin1Char('|'))));
    box->done(0);
}

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    TestLanguages test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_Languages.moc"
