#include "install/StartupCheck.h"
#include "platform/DesktopServices.h"

#include "ScriptedPresenter.h"
#include "TestFiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

namespace {

class RecordingUrlOpener : public UrlOpener
{
public:
    void showUrl(const QUrl &url) override { opened.append(url); }
    QList<QUrl> opened;
};

const QString kExpectedExplanation = QString::fromUtf8(
    "F\u00fcr die PDF-Erstellung wird Ghostscript ben\u00f6tigt.\n"
    "\n"
    "Installation unter macOS:\n"
    "1. Terminal \u00f6ffnen\n"
    "2. Befehl eingeben:\n"
    "   brew install ghostscript");

} // namespace

class TestStartupCheck : public QObject
{
    Q_OBJECT

private slots:
    void workingGhostscriptShowsNothing();
    void missingGhostscriptShowsInstallationHelp();
    void answerOpensPageByBrewPresence_data();
    void answerOpensPageByBrewPresence();
};

void TestStartupCheck::workingGhostscriptShowsNothing()
{
    const QString gs = TestFiles::realGhostscript();
    QVERIFY2(!gs.isEmpty(), "these tests need Ghostscript");
    ScriptedPresenter dialogs;
    RecordingUrlOpener urls;

    CheckGhostscriptAtStartup(dialogs, urls, {QStringLiteral("/nonexistent/gs"), gs});

    QVERIFY(dialogs.shown.isEmpty());
    QVERIFY(urls.opened.isEmpty());
}

void TestStartupCheck::missingGhostscriptShowsInstallationHelp()
{
    QTemporaryDir dir;
    // Answers, but is no Ghostscript; and one that fails outright.
    const QString impostor = dir.filePath(QStringLiteral("gs"));
    TestFiles::writeScript(impostor, "echo 'some other tool 1.0'\n");
    const QString broken = dir.filePath(QStringLiteral("broken-gs"));
    TestFiles::writeScript(broken, "echo 'GPL Ghostscript 10.00.0'; exit 1\n");
    ScriptedPresenter dialogs({MessageDialog::Button::AlternateAction});
    RecordingUrlOpener urls;

    CheckGhostscriptAtStartup(dialogs, urls,
                              {dir.filePath(QStringLiteral("missing")), impostor, broken});

    QCOMPARE(dialogs.shown.size(), 1);
    const MessageDialog &shown = dialogs.shown.first();
    QCOMPARE(shown.iconType, MessageDialog::Icon::Caution);
    QCOMPARE(shown.message, QStringLiteral("Ghostscript nicht gefunden"));
    QCOMPARE(shown.explanation, kExpectedExplanation);
    QCOMPARE(shown.actionButton.caption, QStringLiteral("Installationshilfe"));
    QVERIFY(shown.alternateActionButton.visible);
    QCOMPARE(shown.alternateActionButton.caption, QString::fromUtf8("Sp\u00e4ter"));
    QVERIFY(!shown.cancelButton.visible);
    QVERIFY(urls.opened.isEmpty());
}

void TestStartupCheck::answerOpensPageByBrewPresence_data()
{
    QTest::addColumn<MessageDialog::Button>("answer");
    QTest::addColumn<bool>("brewAtFirst");
    QTest::addColumn<bool>("brewAtSecond");
    QTest::addColumn<QString>("expectedUrl"); // empty: nothing opened

    const QString formula = QStringLiteral("https://formulae.brew.sh/formula/ghostscript");
    const QString home = QStringLiteral("https://brew.sh");
    QTest::newRow("help, brew at the first place")
        << MessageDialog::Button::Action << true << false << formula;
    QTest::newRow("help, brew at the second place only")
        << MessageDialog::Button::Action << false << true << formula;
    QTest::newRow("help, brew at both") << MessageDialog::Button::Action << true << true << formula;
    QTest::newRow("help, no brew") << MessageDialog::Button::Action << false << false << home;
    QTest::newRow("later") << MessageDialog::Button::AlternateAction << true << true << QString();
}

void TestStartupCheck::answerOpensPageByBrewPresence()
{
    QFETCH(MessageDialog::Button, answer);
    QFETCH(bool, brewAtFirst);
    QFETCH(bool, brewAtSecond);
    QFETCH(QString, expectedUrl);

    QTemporaryDir dir;
    QDir(dir.path()).mkpath(QStringLiteral("first"));
    QDir(dir.path()).mkpath(QStringLiteral("second"));
    const QStringList brewLocations{dir.filePath(QStringLiteral("first/brew")),
                                    dir.filePath(QStringLiteral("second/brew"))};
    if (brewAtFirst)
        TestFiles::writeScript(brewLocations[0], "exit 0\n");
    if (brewAtSecond)
        TestFiles::writeScript(brewLocations[1], "exit 0\n");
    ScriptedPresenter dialogs({answer});
    RecordingUrlOpener urls;

    CheckGhostscriptAtStartup(dialogs, urls, {dir.filePath(QStringLiteral("no-gs"))},
                              brewLocations);

    QCOMPARE(dialogs.shown.size(), 1);
    if (expectedUrl.isEmpty()) {
        QVERIFY(urls.opened.isEmpty());
    } else {
        QCOMPARE(urls.opened, QList<QUrl>{QUrl(expectedUrl)});
    }
}

QTEST_GUILESS_MAIN(TestStartupCheck)
#include "tst_StartupCheck.moc"
