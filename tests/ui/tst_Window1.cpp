#include "ui/Window1.h"

#include "convert/job/ConversionJob.h"
#include "install/InstallationHelp.h"
#include "platform/desktop/DesktopServices.h"
#include "platform/desktop/ProgramSettings.h"
#include "platform/text/Translations.h"
#include "ui/DropCanvas.h"
#include "ui/MainMenuBar.h"
#include "ui/PictureCache.h"

#include "ScopedVariable.h"
#include "ScriptedPresenter.h"
#include "ScriptedSaveChooser.h"
#include "TestEvents.h"
#include "TestFiles.h"
#include "WindowTestSupport.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QDirIterator>
#include <QDragEnterEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QSettings>
#include <QSignalSpy>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>
#include <stdexcept>
#include <utility>

namespace {

class RecordingUrlOpener : public UrlOpener
{
public:
    void showUrl(const QUrl &url) override { opened.append(url); }
    QList<QUrl> opened;
};

class FailingUrlOpener : public UrlOpener
{
public:
    void showUrl(const QUrl &) override { throw std::runtime_error("Kein Browser eingerichtet"); }
};

// Answers the open dialog as a person would, with the files to pick in turn
// (none: cancel), from the event loop as the real dialog does. Keeps the
// folder each dialog started in and the filters it offered.
class ScriptedOpenChooser : public OpenFilesChooser
{
public:
    explicit ScriptedOpenChooser(QList<QStringList> answers = {}) : m_answers(std::move(answers)) {}
    void openFilesDialog(const QString &folder, const QStringList &filters, Chosen chosen) override
    {
        folders.append(folder);
        offeredFilters = filters;
        const QStringList answer = m_answers.isEmpty() ? QStringList() : m_answers.takeFirst();
        QMetaObject::invokeMethod(
            qApp, [chosen = std::move(chosen), answer] { chosen(answer); }, Qt::QueuedConnection);
    }
    QStringList folders;
    QStringList offeredFilters;

private:
    QList<QStringList> m_answers;
};

// Relative luminance and contrast ratio of sRGB colours, as accessibility
// guidelines define them.
double luminance(const QColor &colour)
{
    const auto linear = [](double c) {
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) +
           0.0722 * linear(colour.blueF());
}

double contrast(const QColor &a, const QColor &b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// How a label's text stands against what is really behind it in the painted
// window: the window is grabbed with the label and without it; the pixels
// that differ are the glyphs, and the grab without the label gives what lies
// behind each of them. Returns the least contrast between the label's text
// colour and those pixels; 0 when the label paints no text or not in its
// text colour.
double legibility(QWidget &window, QLabel &label, QString &detail)
{
    const QRect frame(label.mapTo(&window, QPoint(0, 0)), label.size());
    const QImage with = window.grab(frame).toImage().convertToFormat(QImage::Format_RGB32);
    label.hide();
    const QImage without = window.grab(frame).toImage().convertToFormat(QImage::Format_RGB32);
    label.show();
    const QColor text = label.palette().color(label.foregroundRole());
    double worst = 21.0;
    int glyphPixels = 0;
    int inTextColour = 0;
    QColor worstBehind;
    for (int y = 0; y < with.height(); ++y) {
        for (int x = 0; x < with.width(); ++x) {
            const QColor painted = with.pixelColor(x, y);
            const QColor behind = without.pixelColor(x, y);
            if (painted == behind)
                continue;
            ++glyphPixels;
            if (std::abs(painted.red() - text.red()) + std::abs(painted.green() - text.green()) +
                    std::abs(painted.blue() - text.blue()) <=
                12)
                ++inTextColour;
            if (contrast(text, behind) < worst) {
                worst = contrast(text, behind);
                worstBehind = behind;
            }
        }
    }
    detail = QStringLiteral("text %1, worst behind %2, %3 glyph pixels, %4 in the text colour")
                 .arg(text.name(), worstBehind.name())
                 .arg(glyphPixels)
                 .arg(inTextColour);
    return glyphPixels > 50 && inTextColour > 10 ? worst : 0.0;
}

QPalette darkPalette()
{
    QPalette palette;
    const QColor window(0x20, 0x21, 0x24);
    const QColor text(0xe8, 0xea, 0xed);
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Base, QColor(0x2b, 0x2b, 0x2b));
    palette.setColor(QPalette::AlternateBase, QColor(0x33, 0x33, 0x33));
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::Button, QColor(0x3c, 0x40, 0x43));
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::BrightText, Qt::white);
    palette.setColor(QPalette::Highlight, QColor(0x8a, 0xb4, 0xf8));
    palette.setColor(QPalette::HighlightedText, window);
    return palette;
}

// A fontconfig set-up that knows only the given URW fonts.
class FontconfigFixture
{
public:
    explicit FontconfigFixture(const QStringList &urwFiles)
    {
        const QString fonts = m_dir.filePath(QStringLiteral("fonts"));
        QDir().mkpath(fonts);
        for (const QString &file : urwFiles)
            QFile::copy(QStringLiteral("/usr/share/fonts/type1/urw-base35/") + file,
                        fonts + QLatin1Char('/') + file);
        const QString config = m_dir.filePath(QStringLiteral("fonts.conf"));
        TestFiles::writeBytes(config, QStringLiteral("<?xml version=\"1.0\"?>\n<fontconfig>"
                                                     "<dir>%1</dir><cachedir>%2</cachedir>"
                                                     "</fontconfig>\n")
                                          .arg(fonts, m_dir.filePath(QStringLiteral("cache")))
                                          .toUtf8());
        m_variable.emplace("FONTCONFIG_FILE", QFile::encodeName(config));
    }
    QString path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
    std::optional<ScopedVariable> m_variable;
};

// Counts the paints a widget receives.
class PaintCounter : public QObject
{
public:
    explicit PaintCounter(QWidget *widget) { widget->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++count;
        return false;
    }
};

QMimeData *filesMime(const QStringList &paths)
{
    auto *data = new QMimeData;
    QList<QUrl> urls;
    for (const QString &path : paths)
        urls.append(QUrl::fromLocalFile(path));
    data->setUrls(urls);
    return data;
}

QImage quadrantPicture()
{
    // Four times as wide as high: far from the canvas's own shape.
    QImage picture(80, 20, QImage::Format_RGB32);
    QPainter painter(&picture);
    painter.fillRect(0, 0, 40, 10, Qt::red);
    painter.fillRect(40, 0, 40, 10, Qt::blue);
    painter.fillRect(0, 10, 40, 10, Qt::green);
    painter.fillRect(40, 10, 40, 10, Qt::yellow);
    return picture;
}

// The processes whose command line names the text (Linux only; elsewhere none).
QStringList processesMentioning(const QString &text)
{
    QStringList found;
#ifdef Q_OS_LINUX
    QDirIterator entries(QStringLiteral("/proc"), QDir::Dirs | QDir::NoDotAndDotDot);
    while (entries.hasNext()) {
        const QString dir = entries.next();
        QFile cmdline(dir + QStringLiteral("/cmdline"));
        if (cmdline.open(QIODevice::ReadOnly) && cmdline.readAll().contains(text.toUtf8()))
            found.append(dir);
    }
#else
    Q_UNUSED(text);
#endif
    return found;
}

} // namespace

class TestWindow1 : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void windowHasItsFixedShape();
    void controlsHaveTheirFramesTextsAndFonts_data();
    void controlsHaveTheirFramesTextsAndFonts();
    void dropReachesTheDropIntake_data();
    void dropReachesTheDropIntake();
    void dropsArrivingTogetherAreHandledOneAfterTheOther();
    void dropDuringAHandlersDialogIsNotTaken();
    void logoIsStretchedOverTheWholeCanvas();
    void missingLogoLeavesZoneBlankUntilItTurnsUp();
    void shippedLogoOpensByName();
    void openingOffersInstallationHelpWithoutGhostscript();
    void openingPaintsFirstAndHoldsDropsUntilTheCheckEnds();
    void dropDuringTheStartUpCheckRunsOnceItEnds_data();
    void dropDuringTheStartUpCheckRunsOnceItEnds();
    void labelsAreLegibleInLightAndDarkAppearance_data();
    void labelsAreLegibleInLightAndDarkAppearance();
    void dropZoneTellsAScreenReaderWhatItIsFor();
    void handlerExceptionIsShownAsStopDialog();
    void slowConversionShowsProgressAndCanBeCancelled();
    void closingEndsTheEventLoopWithZero();
    void closingWhileGhostscriptRunsStopsItAndLeavesNothing();
    void buttonWritesTheSampleSheetAndShowsTheCount();
    void sheetThatCannotBeWrittenIsToldBeforeTheWindowTakesFilesAgain();
    void fileOpenShowsTheDialogFromMenuAndShortcut();
    void fileOpenConvertsTheChosenFile();
    void fileOpenConvertsEveryChosenFile();
    void fileOpenRemembersTheFolder();
    void fileOpenIsOffWhileTheWindowIsBusy();
    void windowTakesFilesWhileGhostscriptRuns();
    void filesHandedOverOrDroppedDuringTheFontOverviewWaitForIt();
    void substitutesAreNamedAsTheQuestionNamedThem();
    void pdfMenuChoiceIsExclusiveKeptAndUsedForEveryWayIn();

private:
    Window1Services services(ScriptedPresenter &dialogs, PictureCache *logo = nullptr);
    void openWindow(Window1 &window);

    RecordingUrlOpener m_urls;
    ScriptedSaveChooser m_chooser; // cancels every time
    PictureCache m_testLogo{QString()};
    std::optional<QTemporaryDir> m_settings;
};

void TestWindow1::initTestCase()
{
    // As the window's application does: the German forms of counted texts.
    InstallTranslations(*QCoreApplication::instance(), QLocale(QLocale::German));
}

void TestWindow1::init()
{
    m_urls.opened.clear();
    m_chooser = ScriptedSaveChooser();
    // Each test starts with settings of its own, none remembered.
    m_settings.emplace();
    for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})
        QSettings::setPath(format, QSettings::UserScope, m_settings->path());
}

Window1Services TestWindow1::services(ScriptedPresenter &dialogs, PictureCache *logo)
{
    Window1Services services;
    services.dialogs = &dialogs;
    services.urls = &m_urls;
    services.saveChooser = &m_chooser;
    services.logo = logo;
    services.probeCandidates = {TestFiles::realGhostscript()};
    return services;
}

void TestWindow1::openWindow(Window1 &window)
{
    QSignalSpy opened(&window, &Window1::opened);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(opened.size() == 1 || opened.wait(10000));
}

void TestWindow1::windowHasItsFixedShape()
{
    ScriptedPresenter dialogs;
    Window1 window(services(dialogs));
    openWindow(window);

    QCOMPARE(window.windowTitle(), QStringLiteral("Drop File here"));
    QCOMPARE(window.centralWidget()->size(), QSize(410, 526));
    QCOMPARE(window.minimumSize(), window.maximumSize());
    QVERIFY(window.windowFlags() & Qt::WindowCloseButtonHint);
    QVERIFY(!(window.windowFlags() & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(window.windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(!(window.windowFlags() & Qt::WindowFullscreenButtonHint));
    // Built in this order, which is also the order in which they lie on each other.
    const QList<QWidget *> controls =
        window.centralWidget()->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly);
    QStringList order;
    for (const QWidget *control : controls)
        order << control->objectName();
    QCOMPARE(order, (QStringList{"Canvas1", "Button1", "Label2"}));
    QCOMPARE(window.Label1()->parentWidget(), window.Canvas1());
    QVERIFY(window.Button1()->isDefault());
    QCOMPARE(window.Canvas1()->focusPolicy(), Qt::NoFocus);
    QVERIFY(window.Canvas1()->acceptDrops());
    QVERIFY(dialogs.shown.isEmpty());
}

void TestWindow1::controlsHaveTheirFramesTextsAndFonts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("frame");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("pixelSize"); // 0: the system's size

    QTest::newRow("Canvas1") << "Canvas1" << QRect(0, 0, 410, 380) << QString() << -1;
    QTest::newRow("Label1") << "Label1" << QRect(0, 20, 410, 44)
                            << "Drop a PostScript file here to convert" << 20;
    QTest::newRow("Label2")
        << "Label2" << QRect(51, 392, 307, 98)
        << QString::fromUtf8(
               "Diese Anwendung verwendet Ghostscript zur Konvertierung von PostScript-"
               "Dateien nach PDF. Ghostscript ist ein separates Programm und wird nicht "
               "mit dieser Anwendung ausgeliefert. Ghostscript wird von Artifex "
               "Software, Inc. entwickelt.")
        << 12;
    QTest::newRow("Button1") << "Button1" << QRect(51, 494, 304, 20)
                             << QString::fromUtf8("PostScript - Font\u00fcbersicht") << 0;
}

void TestWindow1::controlsHaveTheirFramesTextsAndFonts()
{
    QFETCH(QString, name);
    QFETCH(QRect, frame);
    QFETCH(QString, text);
    QFETCH(int, pixelSize);
    ScriptedPresenter dialogs;
    Window1 window(services(dialogs));
    openWindow(window);

    auto *control = window.findChild<QWidget *>(name);
    QVERIFY(control != nullptr);
    QCOMPARE(control->geometry(), frame);
    QVERIFY(control->isVisible());
    QVERIFY(control->isEnabled());
    if (auto *label = qobject_cast<QLabel *>(control)) {
        QCOMPARE(label->text(), text);
        QCOMPARE(label->font().pixelSize(), pixelSize);
        QVERIFY(!label->font().bold() && !label->font().italic() && !label->font().underline());
        QCOMPARE(label->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
        QVERIFY(label->wordWrap());
        QCOMPARE(label->palette().color(QPalette::WindowText), QColor(Qt::black));
    } else if (auto *button = qobject_cast<QPushButton *>(control)) {
        QCOMPARE(button->text(), text);
        QCOMPARE(button->font(), QApplication::font(button));
    }
}

void TestWindow1::dropReachesTheDropIntake_data()
{
    QTest::addColumn<QStringList>("files");     // made in a temporary folder
    QTest::addColumn<QList<QUrl>>("otherUrls"); // added after the files
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("message"); // empty: no dialog
    QTest::addColumn<QString>("pdf");     // expected next to the input

    QTest::newRow("PostScript becomes PDF")
        << QStringList{"Mein Bericht.PS"} << QList<QUrl>{} << true << QStringLiteral("Erfolg!")
        << QStringLiteral("Mein Bericht.pdf");
    QTest::newRow("any file is taken, then refused")
        << QStringList{"notizen.ps.txt"} << QList<QUrl>{} << true
        << QStringLiteral("Keine PostScript-Datei") << QString();
    // Several files are a batch: the picture is skipped, the document converted.
    QTest::newRow("several files are a batch")
        << QStringList{"bild.png", "hello.ps"} << QList<QUrl>{} << true
        << QStringLiteral("Konvertierung abgeschlossen") << QString();
    QTest::newRow("no files: text only")
        << QStringList{} << QList<QUrl>{} << false << QString() << QString();
    QTest::newRow("no files: a web link")
        << QStringList{} << QList<QUrl>{QUrl("https://example.org/a.ps")} << false << QString()
        << QString();
}

void TestWindow1::dropReachesTheDropIntake()
{
    QFETCH(QStringList, files);
    QFETCH(QList<QUrl>, otherUrls);
    QFETCH(bool, accepted);
    QFETCH(QString, message);
    QFETCH(QString, pdf);

    QTemporaryDir dir;
    QStringList paths;
    for (const QString &name : files) {
        paths << dir.filePath(name);
        TestFiles::writeBytes(paths.last(), TestFiles::readBytes(TestFiles::fixture("hello.ps")));
    }
    std::unique_ptr<QMimeData> data(filesMime(paths));
    if (paths.isEmpty())
        data->setUrls(otherUrls);
    data->setText(QStringLiteral("dragged text"));
    ScriptedPresenter dialogs;
    Window1 window(services(dialogs));
    openWindow(window);

    QCOMPARE(DropOn(window.Canvas1(), *data), accepted);

    if (message.isEmpty()) {
        QTest::qWait(200);
        QVERIFY(dialogs.shown.isEmpty());
        return;
    }
    QTRY_VERIFY_WITH_TIMEOUT(!dialogs.shown.isEmpty(), 30000);
    QTest::qWait(100);
    QCOMPARE(dialogs.shown.size(), 1);
    QCOMPARE(dialogs.shown.first().message, message);
    if (!pdf.isEmpty()) {
        QVERIFY2(dialogs.shown.first().explanation.endsWith(dir.filePath(pdf)),
                 qPrintable(dialogs.shown.first().explanation));
        QCOMPARE(TestFiles::pdfPageCount(dir.filePath(pdf)), 2);
    }
}

void TestWindow1::dropsArrivingTogetherAreHandledOneAfterTheOther()
{
    QTemporaryDir dir;
    const QString input = dir.filePath(QStringLiteral("hello.ps"));
    TestFiles::writeBytes(input, TestFiles::readBytes(TestFiles::fixture("hello.ps")));
    ScriptedPresenter dialogs;
    Window1 window(services(dialogs));
    openWindow(window);

    std::unique_ptr<QMimeData> first(filesMime({input}));
    std::unique_ptr<QMimeData> second(filesMime({dir.filePath(QStringLiteral("x.txt"))}));
    QVERIFY(DropOn(window.Canvas1(), *first));
    QVERIFY(DropOn(window.Canvas1(), *second));

    // Had the second started while the first waited for Ghostscript, its
    // refusal would have come first.
    QTRY_VERIFY_WITH_TIMEOUT(dialogs.shown.size() >= 2, 30000);
    QTest::qWait(100);
    QCOMPARE(dialogs.shown.size(), 2);
    QCOMPARE(dialogs.shown.at(0).message, QStringLiteral("Erfolg!"));
    QCOMPARE(dialogs.shown.at(1).message, QStringLiteral("Keine PostScript-Datei"));
}

void TestWindow1::dropDuringAHandlersDialogIsNotTaken()
{
    QTemporaryDir dir;
    const QString input = dir.filePath(QStringLiteral("hello.ps"));
    TestFiles::writeBytes(input, TestFiles::readBytes(TestFiles::fixture("hello.ps")));
    std::unique_ptr<QMimeData> other(filesMime({dir.filePath(QStringLiteral("x.txt"))}));
    ScriptedPresenter dialogs;
    dialogs.holdAnswers();
    Window1 window(services(dialogs));
    openWindow(window);

    std::unique_ptr<QMimeData> data(filesMime({input}));
    QVERIFY(DropOn(window.Canvas1(), *data));
    QTRY_VERIFY_WITH_TIMEOUT(dialogs.openDialogs() == 1, 30000);
    // While the success dialog is up, another file lands on the window and
    // the loop goes round before the person presses OK; nor can File › Open…
    // put a second dialog on the window.
    QVERIFY(!window.FileOpen()->isEnabled());
    DropOn(window.Canvas1(), *other);
    QTest::qWait(100);
    QVERIFY(dialogs.press());
    QTest::qWait(200);

    QCOMPARE(dialogs.shown.size(), 1);
    QCOMPARE(dialogs.shown.first().message, QStringLiteral("Erfolg!"));
}

void TestWindow1::logoIsStretchedOverTheWholeCanvas()
{
    QTemporaryDir dir;
    const QString picturePath = dir.filePath(QStringLiteral("logo.png"));
    QVERIFY(quadrantPicture().save(picturePath));
    PictureCache logo(picturePath);
    ScriptedPresenter dialogs;
    Window1 window(services(dialogs, &logo));
    openWindow(window);

    const QImage canvas = window.Canvas1()->grab().toImage();
    QCOMPARE(canvas.size(), QSize(410, 380));
    // Each corner shows its own quadrant, and the middle lines split the canvas
    // in halves: the picture is scaled in each direction on its own.
    const struct {
        QPoint at;
        QColor colour;
    } samples[] = {
        {{1, 1}, Qt::red},        {{408, 1}, Qt::blue},     {{1, 378}, Qt::green},
        {{408, 378}, Qt::yellow}, {{195, 180}, Qt::red},    {{215, 180}, Qt::blue},
        {{195, 200}, Qt::green},  {{215, 200}, Qt::yellow}, {{100, 100}, Qt::red},
    };
    for (const auto &sample : samples)
        QVERIFY2(canvas.pixelColor(sample.at) == sample.colour,
                 qPrintable(QStringLiteral("at %1,%2: %3")
                                .arg(sample.at.x())
                                .arg(sample.at.y())
                                .arg(canvas.pixelColor(sample.at).name())));
}

void TestWindow1::missingLogoLeavesZoneBlankUntilItTurnsUp()
{
    QTemporaryDir dir;
    const QString picturePath = dir.filePath(QStringLiteral("later.png"));
    PictureCache logo(picturePath);
    ScriptedPresenter dialogs;
    Window1 window(services(dialogs, &logo));
    openWindow(window);

    const QColor background = window.centralWidget()->palette().color(QPalette::Window);
    QCOMPARE(window.Canvas1()->grab().toImage().pixelColor(5, 5), background);
    QCOMPARE(window.Canvas1()->grab().toImage().pixelColor(200, 300), background);

    const QString input = dir.filePath(QStringLiteral("hello.ps"));
    TestFiles::writeBytes(input, TestFiles::readBytes(TestFiles::fixture("hello.ps")));
    std::unique_ptr<QMimeData> data(filesMime({input}));
    QVERIFY(DropOn(window.Canvas1(), *data));
    QTRY_VERIFY_WITH_TIMEOUT(!dialogs.shown.isEmpty(), 30000);
    QCOMPARE(dialogs.shown.size(), 1);
    QCOMPARE(dialogs.shown.first().message, QStringLiteral("Erfolg!"));

    // A picture that appears later is found on the next paint.
    QVERIFY(quadrantPicture().save(picturePath));
    QCOMPARE(window.Canvas1()->grab().toImage().pixelColor(5, 5), QColor(Qt::red));
}

void TestWindow1::shippedLogoOpensByName()
{
    const QImage *logo = PictureCache::logo().picture();
    QVERIFY(logo != nullptr);
    QVERIFY(logo->width() >= 410 && logo->height() >= 380);
    // The same picture every time: it is opened once.
    QCOMPARE(PictureCache::logo().picture(), logo);
    // The offscreen screen has one pixel per point: the picture at the drop
    // zone's size, whose double for sharper screens is rendered alongside.
    QCOMPARE(logo->size(), QSize(410, 380));
    QCOMPARE(QImage(QStringLiteral(":/Pagora@2x.png")).size(), QSize(820, 760));
}

void TestWindow1::openingOffersInstallationHelpWithoutGhostscript()
{
    QTemporaryDir dir;
    ScriptedPresenter dialogs({MessageDialog::Button::Action});
    Window1Services noGhostscript = services(dialogs);
    noGhostscript.probeCandidates = {dir.filePath(QStringLiteral("gs"))};
    noGhostscript.brewLocations = {dir.filePath(QStringLiteral("brew"))};
    noGhostscript.osReleaseFiles = {dir.filePath(QStringLiteral("os-release"))};
    TestFiles::writeBytes(noGhostscript.osReleaseFiles.first(), "ID=\"rocky\"\nID_LIKE=\"rhel\"\n");
    Window1 window(noGhostscript);
    openWindow(window);

    QCOMPARE(dialogs.shown.size(), 1);
    QCOMPARE(dialogs.shown.first().message, QStringLiteral("Ghostscript nicht gefunden"));
    QCOMPARE(dialogs.shown.first().iconType, MessageDialog::Icon::Caution);
    if (InstallationHelp::thisSystem() == InstallationHelp::System::MacOS) {
        QVERIFY(dialogs.shown.first().explanation.endsWith(
            QStringLiteral("\n   brew install ghostscript")));
        QCOMPARE(m_urls.opened, QList<QUrl>{QUrl(QStringLiteral("https://brew.sh"))});
    } else {
        QVERIFY(dialogs.shown.first().explanation.endsWith(
            QStringLiteral("\n   sudo dnf install ghostscript")));
        QCOMPARE(m_urls.opened,
                 QList<QUrl>{QUrl(QStringLiteral("https://ghostscript.com/releases/gsdnld.html"))});
    }
}

void TestWindow1::openingPaintsFirstAndHoldsDropsUntilTheCheckEnds()
{
    QTemporaryDir dir;
    // A candidate that takes its time and then fails: the help follows.
    const QString slow = dir.filePath(QStringLiteral("slow-gs"));
    TestFiles::writeScript(slow, "sleep 1; exit 1\n");
    std::unique_ptr<QMimeData> other(filesMime({dir.filePath(QStringLiteral("x.txt"))}));
    ScriptedPresenter dialogs({MessageDialog::Button::AlternateAction});
    dialogs.holdAnswers();
    Window1Services slowProbe = services(dialogs);
    slowProbe.probeCandidates = {slow};
    Window1 window(slowProbe);
    PaintCounter paints(window.Canvas1());
    QSignalSpy opened(&window, &Window1::opened);
    QElapsedTimer clock;
    clock.start();

    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    // While the probe runs the window is painted and answers; it takes a
    // drop, which waits for the check, but no press of the button.
    QTest::qWait(300);
    QVERIFY(window.isBusy());
    QVERIFY(opened.isEmpty());
    QVERIFY(paints.count > 0);
    QVERIFY(PlatformDropFiles(window.Canvas1(), {dir.filePath(QStringLiteral("x.txt"))}));
    QTest::mouseClick(window.Button1(), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(dialogs.openDialogs(), 1, 15000);
    QVERIFY2(clock.elapsed() >= 1000, qPrintable(QString::number(clock.elapsed())));

    // While the help is open the window is painted and events go on; a file
    // that lands on it waits too, and File › Open… is off, until the person
    // presses "Später".
    const int paintsAtHelp = paints.count;
    window.Canvas1()->update();
    QVERIFY(TestEvents::timerAndChildProcessArrive());
    QTRY_VERIFY(paints.count > paintsAtHelp);
    QVERIFY(window.isBusy());
    QVERIFY(!window.FileOpen()->isEnabled());
    QVERIFY(DropOn(window.Canvas1(), *other));
    QTest::qWait(100);
    QVERIFY(opened.isEmpty());
    QCOMPARE(dialogs.shown.size(), 1);
    QCOMPARE(dialogs.shown.first().message, QStringLiteral("Ghostscript nicht gefunden"));
    QVERIFY(dialogs.press());
    QVERIFY(opened.wait(5000));
    QCOMPARE(window.Label1()->text(), QStringLiteral("Drop a PostScript file here to convert"));

    // Once the check has ended, the two drops have their turns, one after
    // the other, and drops are taken as ever.
    QVERIFY(!window.isBusy());
    QTRY_COMPARE(dialogs.openDialogs(), 1);
    QCOMPARE(dialogs.shown.size(), 2);
    QCOMPARE(dialogs.shown.at(1).message, QStringLiteral("Keine PostScript-Datei"));
    QVERIFY(dialogs.press());
    QTRY_COMPARE(dialogs.openDialogs(), 1);
    QCOMPARE(dialogs.shown.size(), 3);
    QCOMPARE(dialogs.shown.at(2).message, QStringLiteral("Keine PostScript-Datei"));
    QVERIFY(dialogs.press());
    QVERIFY(DropOn(window.Canvas1(), *other));
    QTRY_COMPARE(dialogs.shown.size(), 4);
    QCOMPARE(dialogs.shown.at(3).message, QStringLiteral("Keine PostScript-Datei"));
}

void TestWindow1::dropDuringTheStartUpCheckRunsOnceItEnds_data()
{
    // What the probe does, as a script in front of the real Ghostscript.
    QTest::addColumn<QByteArray>("probe");
    QTest::addColumn<bool>("ghostscriptForDrops");
    QTest::addColumn<QStringList>("messages"); // what the person is shown, in order
    QTest::newRow("Ghostscript answers after two seconds")
        << QByteArray("sleep 2; exec \"$GS\" \"$@\"\n") << true
        << QStringList{QStringLiteral("Erfolg!")};
    // Refused with the reason, as a drop is when no Ghostscript is found.
    QTest::newRow("no Ghostscript at all")
        << QByteArray("sleep 2; exit 1\n") << false
        << QStringList{QStringLiteral("Ghostscript nicht gefunden"),
                       QStringLiteral("Ghostscript nicht gefunden")};
}

// A file dropped the moment the window opens, while the start-up check waits
// for Ghostscript to answer, is converted once the check has ended.
void TestWindow1::dropDuringTheStartUpCheckRunsOnceItEnds()
{
    QFETCH(QByteArray, probe);
    QFETCH(bool, ghostscriptForDrops);
    QFETCH(QStringList, messages);
    QTemporaryDir dir;
    const QString slow = dir.filePath(QStringLiteral("slow-gs"));
    TestFiles::writeScript(slow, "GS='" + TestFiles::realGhostscript().toUtf8() + "'\n" + probe);
    const QString input = dir.filePath(QStringLiteral("hello.ps"));
    TestFiles::writeBytes(input, TestFiles::readBytes(TestFiles::fixture("hello.ps")));
    ScriptedPresenter dialogs({MessageDialog::Button::AlternateAction});
    Window1Services services = this->services(dialogs);
    services.probeCandidates = {slow};
    services.dropCandidates = {ghostscriptForDrops ? TestFiles::realGhostscript()
                                                   : dir.filePath(QStringLiteral("gs"))};
    Window1 window(services);
    QSignalSpy opened(&window, &Window1::opened);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QVERIFY(window.isBusy());
    QVERIFY(PlatformDropFiles(window.Canvas1(), {input}));
    QVERIFY(opened.wait(15000));
    QTRY_COMPARE_WITH_TIMEOUT(dialogs.shown.size(), messages.size(), 30000);
    QTest::qWait(200);
    QStringList shown;
    for (const MessageDialog &dialog : std::as_const(dialogs.shown))
        shown << dialog.message;
    QCOMPARE(shown, messages);
    const MessageDialog &last = dialogs.shown.last();
    const QString pdf = dir.filePath(QStringLiteral("hello.pdf"));
    if (ghostscriptForDrops) {
        QCOMPARE(last.explanation, QStringLiteral("Die PDF-Datei wurde erstellt:\n") + pdf);
        QCOMPARE(TestFiles::pdfPageCount(pdf), 2);
    } else {
        QCOMPARE(last.iconType, MessageDialog::Icon::Stop);
        QVERIFY2(last.explanation.startsWith(QStringLiteral("Bitte installieren mit:\n")),
                 qPrintable(last.explanation));
        QVERIFY(!QFileInfo::exists(pdf));
    }
}

void TestWindow1::labelsAreLegibleInLightAndDarkAppearance_data()
{
    QTest::addColumn<bool>("dark");
    QTest::addColumn<bool>("withLogo");

    QTest::newRow("light, logo") << false << true;
    QTest::newRow("dark, logo") << true << true;
    QTest::newRow("light, no logo") << false << false;
    QTest::newRow("dark, no logo") << true << false;
}

void TestWindow1::labelsAreLegibleInLightAndDarkAppearance()
{
    QFETCH(bool, dark);
    QFETCH(bool, withLogo);
    const QPalette original = QApplication::palette();
    const auto restore = qScopeGuard([&] { QApplication::setPalette(original); });
    QApplication::setPalette(dark ? darkPalette() : QApplication::style()->standardPalette());
    QTemporaryDir dir;
    PictureCache noLogo(dir.filePath(QStringLiteral("none.png")));
    ScriptedPresenter dialogs;
    Window1 window(services(dialogs, withLogo ? nullptr : &noLogo));
    openWindow(window);

    for (QLabel *label : {window.Label1(), window.Label2()}) {
        QString detail;
        const double ratio = legibility(window, *label, detail);
        qInfo("%s: %.2f:1 (%s)", qPrintable(label->objectName()), ratio, qPrintable(detail));
        QVERIFY2(ratio >= 4.5, qPrintable(label->objectName() + QLatin1String(": ") + detail));
    }

    // The appearance changing while the window is open: the labels follow.
    QApplication::setPalette(dark ? QApplication::style()->standardPalette() : darkPalette());
    QTest::qWait(50);
    for (QLabel *label : {window.Label1(), window.Label2()}) {
        QString detail;
        QVERIFY2(legibility(window, *label, detail) >= 4.5,
                 qPrintable(label->objectName() + QLatin1String(" after the change: ") + detail));
    }
}

void TestWindow1::dropZoneTellsAScreenReaderWhatItIsFor()
{
    ScriptedPresenter dialogs;
    Window1 window(services(dialogs));
    openWindow(window);

    QAccessibleInterface *zone = QAccessible::queryAccessibleInterface(window.Canvas1());
    QVERIFY(zone != nullptr);
    QCOMPARE(zone->text(QAccessible::Name), QString::fromUtf8("Ablagefl\u00e4che"));
    QCOMPARE(zone->text(QAccessible::Description),
             QStringLiteral("PostScript-Dateien (.ps, .eps) hierher ziehen, um sie in PDF "
                            "umzuwandeln."));
}

void TestWindow1::handlerExceptionIsShownAsStopDialog()
{
    QTemporaryDir dir;
    FailingUrlOpener failingBrowser;
    ScriptedPresenter dialogs({MessageDialog::Button::Action});
    dialogs.holdAnswers();
    Window1Services services = this->services(dialogs);
    services.urls = &failingBrowser;
    services.probeCandidates = {dir.filePath(QStringLiteral("gs"))};
    Window1 window(services);
    QSignalSpy opened(&window, &Window1::opened);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTRY_COMPARE_WITH_TIMEOUT(dialogs.openDialogs(), 1, 15000);
    // "Installationshilfe", and the browser fails.
    QVERIFY(dialogs.press());
    QTRY_COMPARE(dialogs.openDialogs(), 1);

    QCOMPARE(dialogs.shown.size(), 2);
    const MessageDialog &failure = dialogs.shown.at(1);
    QCOMPARE(failure.iconType, MessageDialog::Icon::Stop);
    QCOMPARE(failure.message, QStringLiteral("Fehler"));
    // The exception's own words are written for programmers, not shown.
    QCOMPARE(failure.explanation,
             QStringLiteral("Ein unerwarteter interner Fehler ist aufgetreten."));
    QCOMPARE(failure.actionButton.caption, QStringLiteral("OK"));
    QVERIFY(!failure.alternateActionButton.visible && !failure.cancelButton.visible);
    // The start-up check ends with the failure's answer: until then events
    // go on, and a file that lands on the window waits for that answer.
    std::unique_ptr<QMimeData> data(filesMime({dir.filePath(QStringLiteral("x.txt"))}));
    QVERIFY(TestEvents::timerAndChildProcessArrive());
    QVERIFY(opened.isEmpty());
    QVERIFY(window.isBusy());
    QVERIFY(!window.FileOpen()->isEnabled());
    QVERIFY(DropOn(window.Canvas1(), *data));
    QTest::qWait(100);
    QCOMPARE(dialogs.shown.size(), 2);
    QVERIFY(dialogs.press());
    QVERIFY(opened.wait(5000));
    QVERIFY(!window.isBusy());
    QTRY_COMPARE(dialogs.shown.size(), 3);
    QCOMPARE(dialogs.shown.at(2).message, QStringLiteral("Keine PostScript-Datei"));
    QVERIFY(dialogs.press());
    QTRY_VERIFY(window.FileOpen()->isEnabled());

    // The window goes on working.
    QVERIFY(window.isVisible());
    DropOn(window.Canvas1(), *data);
    QTRY_COMPARE(dialogs.shown.size(), 4);
    QCOMPARE(dialogs.shown.at(3).message, QStringLiteral("Keine PostScript-Datei"));
}

void TestWindow1::slowConversionShowsProgressAndCanBeCancelled()
{
    QTemporaryDir dir;
    const QString input = dir.filePath(QStringLiteral("endlos.ps"));
    TestFiles::writeBytes(input, TestFiles::readBytes(TestFiles::fixture("loop.ps")));
    const QString olderPdf = dir.filePath(QStringLiteral("endlos.pdf"));
    TestFiles::writeBytes(olderPdf, "older PDF");
    ScriptedPresenter dialogs;
    Window1 window(services(dialogs));
    openWindow(window);
    PaintCounter paints(window.Canvas1());
    QSignalSpy buttonPresses(window.Button1(), &QPushButton::clicked);

    // What the person does while Ghostscript runs, seen from inside the run.
    QElapsedTimer clock;
    qint64 shownAt = -1;
    qint64 cancelledAt = -1;
    int paintsAtUpdate = -1;
    int paintsAtShow = -1;
    bool secondDropTaken = false;
    QString shownName;
    QString cancelCaption;
    QString title;
    bool busy = false;
    bool besideTheWindow = false;
    QTimer::singleShot(250, &window, [&] {
        paintsAtUpdate = paints.count;
        window.Canvas1()->update();
        // A second drop (taken: it waits for its turn) and a click on the
        // button, both before the progress shows.
        secondDropTaken =
            PlatformDropFiles(window.Canvas1(), {dir.filePath(QStringLiteral("x.txt"))});
        QTest::mouseClick(window.Button1(), Qt::LeftButton);
    });
    QTimer poll;
    poll.setInterval(20);
    connect(&poll, &QTimer::timeout, &window, [&] {
        auto *progress = window.findChild<QDialog *>(QStringLiteral("conversionProgress"));
        if (progress == nullptr || !progress->isVisible() || shownAt >= 0)
            return;
        shownAt = clock.elapsed();
        paintsAtShow = paints.count;
        shownName = progress->findChild<QLabel *>(QStringLiteral("fileName"))->text();
        const auto *bar = progress->findChild<QProgressBar *>();
        busy = bar != nullptr && bar->minimum() == 0 && bar->maximum() == 0;
        title = progress->windowTitle();
        // Its own window in front of the main one, which it leaves free.
        besideTheWindow = progress->windowModality() == Qt::NonModal &&
                          progress->parentWidget() == &window && progress->isWindow() &&
                          !IsWindowBlocked(&window);
        auto *cancel = progress->findChild<QPushButton *>(QStringLiteral("cancelButton"));
        cancelCaption = cancel->text();
        cancelledAt = clock.elapsed();
        QTest::mouseClick(cancel, Qt::LeftButton);
    });
    poll.start();

    QSignalSpy ended(&window, &Window1::conversionFinished);
    std::unique_ptr<QMimeData> data(filesMime({input}));
    QVERIFY(DropOn(window.Canvas1(), *data));
    clock.start();
    QTRY_VERIFY_WITH_TIMEOUT(cancelledAt >= 0, 20000);
    // The job ends when Ghostscript has gone.
    QVERIFY(ended.size() == 1 || ended.wait(5000));
    const qint64 endedAt = clock.elapsed();
    poll.stop();

    QVERIFY2(shownAt >= 500, qPrintable(QString::number(shownAt)));
    QCOMPARE(shownName, QStringLiteral("endlos.ps"));
    QVERIFY(busy);
    QCOMPARE(title, QStringLiteral("Konvertierung"));
    QVERIFY(besideTheWindow);
    QCOMPARE(cancelCaption, QStringLiteral("Abbrechen"));
    QVERIFY2(endedAt - cancelledAt < 2000, qPrintable(QString::number(endedAt - cancelledAt)));
    qInfo("progress shown after %lld ms; handler ended %lld ms after the click", shownAt,
          endedAt - cancelledAt);
    // The window kept painting and took the drop; the font overview did not
    // start beside the conversion.
    QVERIFY(paintsAtUpdate >= 0);
    QVERIFY(paintsAtShow > paintsAtUpdate);
    QVERIFY(secondDropTaken);
    QCOMPARE(buttonPresses.size(), 1);
    QVERIFY(m_chooser.shown.isEmpty());
    QVERIFY(!window.isBusy());
    QVERIFY(window.isVisible());
    // Cancelled in silence: no dialog of its own, the older PDF as it was,
    // nothing left behind. Then the waiting drop has its turn.
    QTRY_COMPARE(dialogs.shown.size(), 1);
    QCOMPARE(dialogs.shown.first().message, QStringLiteral("Keine PostScript-Datei"));
    QCOMPARE(TestFiles::readBytes(olderPdf), QByteArray("older PDF"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System),
             (QStringList{"endlos.pdf", "endlos.ps"}));
    QVERIFY(processesMentioning(input).isEmpty());
    QVERIFY(window.findChild<QDialog *>(QStringLiteral("conversionProgress")) == nullptr);
}

void TestWindow1::closingEndsTheEventLoopWithZero()
{
    // Only the window's own closing may end the loop here.
    qApp->setQuitOnLastWindowClosed(false);
    ScriptedPresenter dialogs;
    Window1 window(services(dialogs));
    openWindow(window);

    QTimer::singleShot(0, &window, [&] { window.close(); });
    // Goes with the test: fired later, outside any loop, it would leave every
    // later wait of this program ending at once.
    QTimer fallback;
    fallback.setSingleShot(true);
    connect(&fallback, &QTimer::timeout, qApp, [] { QCoreApplication::exit(42); });
    fallback.start(10000);
    QCOMPARE(QCoreApplication::exec(), 0);
    QVERIFY(!window.isVisible());
}

// Closing the window quits also while Ghostscript runs: the window takes
// the conversion with it, as "Abbrechen" would end it.
void TestWindow1::closingWhileGhostscriptRunsStopsItAndLeavesNothing()
{
    qApp->setQuitOnLastWindowClosed(false);
    QTemporaryDir dir;
    // Ghostscript reads the document under its own name in the workspace.
    const QString name = QStringLiteral("beim-schliessen.ps");
    const QString input = dir.filePath(name);
    TestFiles::writeBytes(input, TestFiles::readBytes(TestFiles::fixture("loop.ps")));
    const QString olderPdf = dir.filePath(QStringLiteral("beim-schliessen.pdf"));
    TestFiles::writeBytes(olderPdf, "older PDF");
    ScriptedPresenter dialogs;
    int status = -1;
    {
        Window1 window(services(dialogs));
        openWindow(window);
        QVERIFY(PlatformDropFiles(window.Canvas1(), {input}));
        QTRY_VERIFY_WITH_TIMEOUT(!processesMentioning(name).isEmpty(), 20000);

        QTimer::singleShot(0, &window, [&] { window.close(); });
        QTimer fallback;
        fallback.setSingleShot(true);
        connect(&fallback, &QTimer::timeout, qApp, [] { QCoreApplication::exit(42); });
        fallback.start(10000);
        status = QCoreApplication::exec();
        QVERIFY(!window.isVisible());
    }
    QCOMPARE(status, 0);
    QTRY_VERIFY_WITH_TIMEOUT(processesMentioning(name).isEmpty(), 5000);
    QVERIFY(dialogs.shown.isEmpty());
    QCOMPARE(TestFiles::readBytes(olderPdf), QByteArray("older PDF"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System),
             (QStringList{"beim-schliessen.pdf", "beim-schliessen.ps"}));
}

void TestWindow1::buttonWritesTheSampleSheetAndShowsTheCount()
{
#ifdef Q_OS_MACOS
    QSKIP("lists the fonts fontconfig knows, which is the listing off macOS");
#endif
    const FontconfigFixture fontconfig(
        {"NimbusSans-Regular.t1", "NimbusSans-Bold.t1", "C059-Roman.t1"});
    const QString sheet = QDir(fontconfig.path()).filePath(QStringLiteral("SystemFonts.ps"));
    QTemporaryDir dir;
    std::unique_ptr<QMimeData> other(filesMime({dir.filePath(QStringLiteral("x.txt"))}));
    ScriptedSaveChooser chooser({FolderItem(sheet)});
    chooser.holdAnswers();
    ScriptedPresenter dialogs;
    Window1Services services = this->services(dialogs);
    services.saveChooser = &chooser;
    Window1 window(services);
    openWindow(window);

    QTest::mouseClick(window.Button1(), Qt::LeftButton);
    // The listing runs on its own: the button's press has returned at once.
    QVERIFY(window.isBusy());
    QCOMPARE(window.Label1()->text(), QStringLiteral("Drop a PostScript file here to convert"));
    QTRY_COMPARE_WITH_TIMEOUT(chooser.openDialogs(), 1, 10000);

    // While the save dialog is open events go on; a file that lands on the
    // window waits for the overview, and another press of the button is not
    // taken.
    QVERIFY(TestEvents::timerAndChildProcessArrive());
    QVERIFY(window.isBusy());
    QVERIFY(!window.FileOpen()->isEnabled());
    QVERIFY(DropOn(window.Canvas1(), *other));
    window.Button1_Pressed();
    QTest::qWait(100);
    QCOMPARE(window.Label1()->text(), QStringLiteral("Drop a PostScript file here to convert"));
    QVERIFY(!QFileInfo::exists(sheet));
    QVERIFY(dialogs.shown.isEmpty());

    QVERIFY(chooser.choose());
    QTRY_COMPARE(window.Label1()->text(), QStringLiteral("3 Fonts gefunden.\n"));
    QVERIFY(!window.isBusy());
    QTRY_COMPARE(dialogs.shown.size(), 1);
    QCOMPARE(dialogs.shown.first().message, QStringLiteral("Keine PostScript-Datei"));
    QTRY_VERIFY(window.FileOpen()->isEnabled());
    QTest::qWait(200);
    QCOMPARE(chooser.shown.size(), 1);
    QCOMPARE(chooser.shown.first().proposedName, QStringLiteral("SystemFonts.ps"));
    QCOMPARE(chooser.shown.first().filter, QString());
    const QByteArray written = TestFiles::readBytes(sheet);
    QVERIFY(written.startsWith("%!PS-Adobe-3.0\n"));
    QVERIFY(written.contains("/Font1 (C059-Roman) def\n/Font2 (NimbusSans-Bold) def\n"
                             "/Font3 (NimbusSans-Regular) def\n\n"));
    QCOMPARE(dialogs.shown.size(), 1);
}

void TestWindow1::sheetThatCannotBeWrittenIsToldBeforeTheWindowTakesFilesAgain()
{
#ifdef Q_OS_MACOS
    QSKIP("lists the fonts fontconfig knows, which is the listing off macOS");
#endif
    const FontconfigFixture fontconfig({"NimbusSans-Regular.t1"});
    QTemporaryDir dir;
    const QString sheet = dir.filePath(QStringLiteral("gone/SystemFonts.ps"));
    std::unique_ptr<QMimeData> other(filesMime({dir.filePath(QStringLiteral("x.txt"))}));
    ScriptedSaveChooser chooser({FolderItem(sheet)});
    ScriptedPresenter dialogs;
    dialogs.holdAnswers();
    Window1Services services = this->services(dialogs);
    services.saveChooser = &chooser;
    Window1 window(services);
    openWindow(window);

    window.Button1_Pressed();
    QTRY_COMPARE_WITH_TIMEOUT(dialogs.openDialogs(), 1, 10000);

    const MessageDialog &failure = dialogs.shown.first();
    QCOMPARE(failure.iconType, MessageDialog::Icon::Stop);
    QCOMPARE(failure.message, QStringLiteral("Fehler"));
    QVERIFY2(failure.explanation.startsWith(
                 QString::fromUtf8("Die Font\u00fcbersicht kann nicht gespeichert werden: ")),
             qPrintable(failure.explanation));
    QVERIFY2(failure.explanation.contains(sheet), qPrintable(failure.explanation));
    QCOMPARE(window.Label1()->text(), QStringLiteral("Drop a PostScript file here to convert"));
    // The overview ends with the failure's answer; until then a file that
    // lands on the window waits.
    QVERIFY(window.isBusy());
    QVERIFY(!window.FileOpen()->isEnabled());
    QVERIFY(DropOn(window.Canvas1(), *other));
    QTest::qWait(100);
    QCOMPARE(dialogs.shown.size(), 1);

    QVERIFY(dialogs.press());
    QTRY_VERIFY(!window.isBusy());
    QTRY_COMPARE(dialogs.shown.size(), 2);
    QCOMPARE(dialogs.shown.at(1).message, QStringLiteral("Keine PostScript-Datei"));
    QVERIFY(dialogs.press());
    QTRY_VERIFY(window.FileOpen()->isEnabled());
    DropOn(window.Canvas1(), *other);
    QTRY_COMPARE(dialogs.shown.size(), 3);
    QCOMPARE(dialogs.shown.at(2).message, QStringLiteral("Keine PostScript-Datei"));
    QVERIFY(!QFileInfo::exists(sheet));
}

void TestWindow1::fileOpenShowsTheDialogFromMenuAndShortcut()
{
    ScriptedPresenter dialogs;
    ScriptedOpenChooser chooser; // cancels every time
    Window1Services services = this->services(dialogs);
    services.openChooser = &chooser;
    Window1 window(services);
    openWindow(window);

    QAction *item = window.FileOpen();
    QVERIFY(item != nullptr);
    QCOMPARE(item, MainMenuBar::instance().findItem(QStringLiteral("FileOpen")));
    QCOMPARE(item->text(), QStringLiteral("&Open\u2026"));
    QCOMPARE(item->shortcuts(), QKeySequence::keyBindings(QKeySequence::Open));
    QVERIFY(item->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_O)));
    const QList<QAction *> items = window.FileMenu()->actions();
    QCOMPARE(items.indexOf(item), 0);
    QCOMPARE(items.last(), window.FileQuit());
    QVERIFY(item->isEnabled());

    // Chosen twice before the dialog is up: one dialog.
    item->trigger();
    item->trigger();
    QTRY_VERIFY(item->isEnabled());
    QCOMPARE(chooser.folders.size(), 1);
    QCOMPARE(chooser.offeredFilters,
             (QStringList{"PostScript-Dateien (*.ps *.eps *.PS *.EPS)", "Alle Dateien (*)"}));

#ifndef Q_OS_MACOS
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(&window, Qt::Key_O, Qt::ControlModifier);
    QTRY_COMPARE(chooser.folders.size(), 2);
#endif
    // Cancelled: nothing converted, nothing said.
    QTest::qWait(200);
    QVERIFY(dialogs.shown.isEmpty());
    QVERIFY(window.RunningConversion() == nullptr);
    QVERIFY(item->isEnabled());
}

void TestWindow1::fileOpenConvertsTheChosenFile()
{
    QTemporaryDir dir;
    const QString input = dir.filePath(QStringLiteral("Mein Bericht.EPS"));
    TestFiles::writeBytes(input, TestFiles::readBytes(TestFiles::fixture("hello.ps")));
    ScriptedPresenter dialogs;
    ScriptedOpenChooser chooser({{input}});
    Window1Services services = this->services(dialogs);
    services.openChooser = &chooser;
    Window1 window(services);
    openWindow(window);
    QSignalSpy finished(&window, &Window1::conversionFinished);

    window.FileOpen()->trigger();

    QVERIFY(finished.wait(60000));
    QCOMPARE(dialogs.shown.size(), 1);
    QCOMPARE(dialogs.shown.first().message, QStringLiteral("Erfolg!"));
    const QString pdf = dir.filePath(QStringLiteral("Mein Bericht.pdf"));
    QCOMPARE(dialogs.shown.first().explanation,
             QStringLiteral("Die PDF-Datei wurde erstellt:\n") + pdf);
    QCOMPARE(TestFiles::pdfPageCount(pdf), 2);
    QTRY_VERIFY(window.FileOpen()->isEnabled());
}

void TestWindow1::fileOpenConvertsEveryChosenFile()
{
    QTemporaryDir dir;
    const QStringList inputs{dir.filePath(QStringLiteral("eins.ps")),
                             dir.filePath(QStringLiteral("zwei.ps"))};
    for (const QString &input : inputs)
        TestFiles::writeBytes(input, TestFiles::readBytes(TestFiles::fixture("hello.ps")));
    ScriptedPresenter dialogs;
    ScriptedOpenChooser chooser({inputs});
    Window1Services services = this->services(dialogs);
    services.openChooser = &chooser;
    Window1 window(services);
    openWindow(window);

    QSignalSpy finished(&window, &Window1::batchFinished);
    window.FileOpen()->trigger();

    // Several chosen files are a batch, ending in its summary.
    QVERIFY(finished.wait(60000));
    QCOMPARE(dialogs.shown.size(), 1);
    QCOMPARE(dialogs.shown.first().explanation,
             QStringLiteral("2 von 2 Dateien wurden in PDF umgewandelt."));
    QCOMPARE(TestFiles::pdfPageCount(dir.filePath(QStringLiteral("eins.pdf"))), 2);
    QCOMPARE(TestFiles::pdfPageCount(dir.filePath(QStringLiteral("zwei.pdf"))), 2);
    QTRY_VERIFY(window.FileOpen()->isEnabled());
}

void TestWindow1::fileOpenRemembersTheFolder()
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("Berichte"));
    QVERIFY(QDir().mkpath(folder));
    const QString input = folder + QStringLiteral("/hello.ps");
    TestFiles::writeBytes(input, TestFiles::readBytes(TestFiles::fixture("hello.ps")));
    ScriptedPresenter dialogs;
    // Cancelled first, then a file chosen, then cancelled again.
    ScriptedOpenChooser chooser({{}, {input}, {}});
    Window1Services services = this->services(dialogs);
    services.openChooser = &chooser;
    {
        Window1 window(services);
        openWindow(window);
        QSignalSpy finished(&window, &Window1::conversionFinished);
        for (int round = 0; round < 3; ++round) {
            QTRY_VERIFY(window.FileOpen()->isEnabled());
            window.FileOpen()->trigger();
            if (round == 1)
                QVERIFY(finished.wait(60000));
        }
        QTRY_COMPARE(chooser.folders.size(), 3);
    }
    QVERIFY(QFileInfo(chooser.folders.at(0)).isDir());
    QVERIFY(chooser.folders.at(0) != folder);
    // A cancel remembers nothing; a choice remembers its folder.
    QCOMPARE(chooser.folders.at(1), chooser.folders.at(0));
    QCOMPARE(chooser.folders.at(2), folder);

    // Next time, in a new window: still there; once it is gone, the first again.
    ScriptedOpenChooser later;
    services.openChooser = &later;
    Window1 window(services);
    openWindow(window);
    window.FileOpen()->trigger();
    QTRY_COMPARE(later.folders.size(), 1);
    QTRY_VERIFY(window.FileOpen()->isEnabled());
    QVERIFY(QDir(folder).removeRecursively());
    window.FileOpen()->trigger();
    QTRY_COMPARE(later.folders.size(), 2);
    QCOMPARE(later.folders, (QStringList{folder, chooser.folders.at(0)}));
}

void TestWindow1::fileOpenIsOffWhileTheWindowIsBusy()
{
    QTemporaryDir dir;
    const QString slow = dir.filePath(QStringLiteral("slow-gs"));
    TestFiles::writeScript(slow, "sleep 1; exit 1\n");
    const QString input = dir.filePath(QStringLiteral("endlos.ps"));
    TestFiles::writeBytes(input, TestFiles::readBytes(TestFiles::fixture("loop.ps")));
    ScriptedPresenter dialogs;
    ScriptedOpenChooser chooser;
    Window1Services services = this->services(dialogs);
    services.openChooser = &chooser;
    services.probeCandidates = {slow, TestFiles::realGhostscript()};
    Window1 window(services);
    QAction *item = window.FileOpen();
    // The PDF menu is off whenever File › Open is: a kind chosen now would
    // hold for some files only.
    QAction *pdfMenu = window.PdfMenu()->menuAction();
    QAction *archive = window.PdfArchive();
    QSignalSpy opened(&window, &Window1::opened);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    // The start-up check.
    QTest::qWait(300);
    QVERIFY(opened.isEmpty());
    QVERIFY(!item->isEnabled());
    QVERIFY(!pdfMenu->isEnabled());
    QVERIFY(!archive->isEnabled());
    item->trigger();
    archive->trigger();
    QVERIFY(opened.wait(15000));
    QVERIFY(item->isEnabled());
    QVERIFY(pdfMenu->isEnabled());
    QCOMPARE(window.pdfKind(), PdfKind::Standard);

    // A conversion, until it is cancelled: File › Open… stays on, as files
    // may join the line, but the kind of PDF cannot change under it.
    QSignalSpy finished(&window, &Window1::conversionFinished);
    window.ConvertFiles({input});
    QVERIFY(window.RunningConversion() != nullptr);
    QTRY_VERIFY(item->isEnabled());
    QVERIFY(!pdfMenu->isEnabled());
    archive->trigger();
    QTest::qWait(200);
    window.RunningConversion()->cancel();
    QVERIFY(finished.wait(10000));
    QTRY_VERIFY(pdfMenu->isEnabled());
    QVERIFY(item->isEnabled());

    // The font overview, until its save dialog is cancelled.
    window.Button1_Pressed();
    QVERIFY(!item->isEnabled());
    QVERIFY(!archive->isEnabled());
    item->trigger();
    archive->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(!window.isBusy(), 10000);
    QVERIFY(item->isEnabled());
    QVERIFY(archive->isEnabled());
    QCOMPARE(window.pdfKind(), PdfKind::Standard);
    QVERIFY(window.PdfStandard()->isChecked());

    QTest::qWait(100);
    QVERIFY(chooser.folders.isEmpty());
    QVERIFY(dialogs.shown.isEmpty());
}

// While Ghostscript runs, the whole window is a drop zone as ever: no modal
// dialog stands in front of it, and a drag onto it is taken as the window
// system hands it over. Files dropped on the window or on the progress, and
// those chosen with File › Open…, wait their turn in the order they came;
// the progress says how many wait, and each file gets its own dialogs once
// the one before has ended.
void TestWindow1::windowTakesFilesWhileGhostscriptRuns()
{
    QTemporaryDir dir;
    // Runs until it is cancelled, so that everything below happens while it runs.
    const QString endless = dir.filePath(QStringLiteral("endlos-waehrenddessen.ps"));
    TestFiles::writeBytes(endless, TestFiles::readBytes(TestFiles::fixture("loop.ps")));
    const QStringList later{dir.filePath(QStringLiteral("zweite.ps")),
                            dir.filePath(QStringLiteral("dritte.ps")),
                            dir.filePath(QStringLiteral("vierte.ps"))};
    for (const QString &input : later)
        TestFiles::writeBytes(input, TestFiles::readBytes(TestFiles::fixture("hello.ps")));
    ScriptedPresenter dialogs;
    ScriptedOpenChooser chooser({{later.at(1)}});
    Window1Services services = this->services(dialogs);
    services.openChooser = &chooser;
    Window1 window(services);
    openWindow(window);
    QSignalSpy finished(&window, &Window1::conversionFinished);

    QVERIFY(PlatformDropFiles(window.Canvas1(), {endless}));
    QPointer<QDialog> progress;
    QTRY_VERIFY_WITH_TIMEOUT(
        (progress = window.findChild<QDialog *>(QStringLiteral("conversionProgress"))) &&
            progress->isVisible(),
        20000);
    QVERIFY(QApplication::activeModalWidget() == nullptr);
    QVERIFY(!IsWindowBlocked(&window));
    QPointer<QLabel> waiting = progress->findChild<QLabel *>(QStringLiteral("waiting"));
    QVERIFY(waiting);
    QVERIFY(waiting->isHidden());

    QVERIFY(PlatformDropFiles(window.Canvas1(), {later.at(0)}));
    QTRY_COMPARE(waiting->text(), QStringLiteral("1 weitere Datei wartet"));
    QVERIFY(waiting->isVisibleTo(progress));
    QTRY_VERIFY(window.FileOpen()->isEnabled());
    QVERIFY(!window.PdfMenu()->menuAction()->isEnabled());
    window.FileOpen()->trigger();
    QTRY_COMPARE(waiting->text(), QStringLiteral("2 weitere Dateien warten"));
    QVERIFY(PlatformDropFiles(progress, {later.at(2)}));
    QTRY_COMPARE(waiting->text(), QStringLiteral("3 weitere Dateien warten"));
    QVERIFY(window.RunningConversion() != nullptr);
    QVERIFY(dialogs.shown.isEmpty());

    // Cancelled in silence; then the others, one after the other.
    QTest::mouseClick(progress->findChild<QPushButton *>(QStringLiteral("cancelButton")),
                      Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 4, 90000);
    QCOMPARE(dialogs.shown.size(), 3);
    for (int i = 0; i < 3; ++i) {
        const QString pdf = later.at(i).chopped(3) + QStringLiteral(".pdf");
        QCOMPARE(dialogs.shown.at(i).message, QStringLiteral("Erfolg!"));
        QCOMPARE(dialogs.shown.at(i).explanation,
                 QStringLiteral("Die PDF-Datei wurde erstellt:\n") + pdf);
        QCOMPARE(TestFiles::pdfPageCount(pdf), 2);
    }
}

// A file handed over (by the system or the command line) or dropped on the
// window while the font overview's save dialog is open waits for the
// overview, rather than being converted under its dialog or lost.
void TestWindow1::filesHandedOverOrDroppedDuringTheFontOverviewWaitForIt()
{
#ifdef Q_OS_MACOS
    QSKIP("lists the fonts fontconfig knows, which is the listing off macOS");
#endif
    const FontconfigFixture fontconfig({"NimbusSans-Regular.t1"});
    QTemporaryDir dir;
    const QStringList inputs{dir.filePath(QStringLiteral("hello.ps")),
                             dir.filePath(QStringLiteral("abgelegt.ps"))};
    for (const QString &input : inputs)
        TestFiles::writeBytes(input, TestFiles::readBytes(TestFiles::fixture("hello.ps")));
    const QStringList pdfs{dir.filePath(QStringLiteral("hello.pdf")),
                           dir.filePath(QStringLiteral("abgelegt.pdf"))};
    ScriptedSaveChooser chooser({std::nullopt});
    chooser.holdAnswers();
    ScriptedPresenter dialogs;
    Window1Services services = this->services(dialogs);
    services.saveChooser = &chooser;
    Window1 window(services);
    openWindow(window);
    QSignalSpy finished(&window, &Window1::conversionFinished);

    window.Button1_Pressed();
    QTRY_COMPARE_WITH_TIMEOUT(chooser.openDialogs(), 1, 10000);
    window.ConvertFiles({inputs.at(0)});
    QVERIFY(PlatformDropFiles(window.Canvas1(), {inputs.at(1)}));
    QTest::qWait(500);
    QVERIFY(window.RunningConversion() == nullptr);
    QVERIFY(!QFile::exists(pdfs.at(0)));
    QVERIFY(!QFile::exists(pdfs.at(1)));
    QVERIFY(dialogs.shown.isEmpty());

    QVERIFY(chooser.choose());
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 2, 60000);
    QCOMPARE(dialogs.shown.size(), 2);
    for (int i = 0; i < 2; ++i) {
        QCOMPARE(dialogs.shown.at(i).explanation,
                 QStringLiteral("Die PDF-Datei wurde erstellt:\n") + pdfs.at(i));
        QCOMPARE(TestFiles::pdfPageCount(pdfs.at(i)), 2);
    }
}

// Ghostscript reports a font the prolog bound under its target's name
// ("GillSans" for "Gill Sans"); the questions and the success name each font
// as the document did.
void TestWindow1::substitutesAreNamedAsTheQuestionNamedThem()
{
    QTemporaryDir dir;
    const QString input = dir.filePath(QStringLiteral("fonts.ps"));
    TestFiles::writeBytes(
        input, TestFiles::readBytes(TestFiles::fixture("missing-fonts/font_on_retry.ps")));
    ScriptedPresenter dialogs;
    Window1 window(services(dialogs));
    openWindow(window);
    QSignalSpy finished(&window, &Window1::conversionFinished);

    QVERIFY(PlatformDropFiles(window.Canvas1(), {input}));
    QVERIFY(finished.wait(60000));

    // The document asks for "Extra Font" only once "Gill Sans" is defined:
    // two questions, then the success.
    QCOMPARE(dialogs.shown.size(), 3);
    QVERIFY2(dialogs.shown.at(0).explanation.startsWith(
                 QStringLiteral("Folgende Fonts wurden nicht gefunden:\n\n  \u2022 Gill Sans\n\n"
                                "Vorgeschlagener Ersatz f\u00fcr 'Gill Sans':")),
             qPrintable(dialogs.shown.at(0).explanation));
    QVERIFY2(dialogs.shown.at(1).explanation.startsWith(
                 QStringLiteral("Folgende Fonts wurden nicht gefunden:\n\n  \u2022 Gill Sans\n"
                                "  \u2022 Extra Font\n\n"
                                "Vorgeschlagener Ersatz f\u00fcr 'Gill Sans':")),
             qPrintable(dialogs.shown.at(1).explanation));
    QCOMPARE(dialogs.shown.at(2).message, QStringLiteral("Erfolg!"));
    QCOMPARE(dialogs.shown.at(2).explanation,
             QStringLiteral("Die PDF-Datei wurde erstellt:\n") +
                 dir.filePath(QStringLiteral("fonts.pdf")) +
                 QStringLiteral("\nErsetzte Fonts: Gill Sans, Extra Font"));
}

// The PDF menu: one kind at a time, kept in the settings for the next start,
// and what every way in makes from then on.
void TestWindow1::pdfMenuChoiceIsExclusiveKeptAndUsedForEveryWayIn()
{
    QTemporaryDir dir;
    const QStringList inputs{dir.filePath(QStringLiteral("eins.ps")),
                             dir.filePath(QStringLiteral("zwei.ps")),
                             dir.filePath(QStringLiteral("drei.ps"))};
    for (const QString &input : inputs)
        TestFiles::writeBytes(input, TestFiles::readBytes(TestFiles::fixture("hello.ps")));
    const auto pdf = [&dir](const char *name) { return dir.filePath(QLatin1String(name)); };
    const auto checkedItems = [](Window1 &window) {
        QStringList checked;
        const QList<QAction *> items = window.PdfMenu()->actions();
        for (const QAction *item : items) {
            if (item->isChecked())
                checked << item->objectName();
        }
        return checked;
    };
    ScriptedPresenter dialogs;
    ScriptedOpenChooser chooser({{inputs.at(2)}});
    Window1Services services = this->services(dialogs);
    services.openChooser = &chooser;
    {
        Window1 window(services);
        openWindow(window);
        QCOMPARE(checkedItems(window), QStringList{"PdfStandard"});
        window.PdfArchive()->trigger();
        window.PdfGrayscale()->trigger();
        QCOMPARE(checkedItems(window), QStringList{"PdfGrayscale"});
        QCOMPARE(window.pdfKind(), PdfKind::Grayscale);

        // A drop.
        QSignalSpy finished(&window, &Window1::conversionFinished);
        std::unique_ptr<QMimeData> drop(filesMime({inputs.at(0)}));
        QVERIFY(DropOn(window.Canvas1(), *drop));
        QVERIFY(finished.wait(60000));
    }
    QCOMPARE(ProgramSettings()->value(QStringLiteral("Conversion/pdfKind")).toString(),
             QStringLiteral("gray"));
    {
        // The next start: the kind is there again, for a handed file and File › Open.
        Window1 window(services);
        openWindow(window);
        QCOMPARE(checkedItems(window), QStringList{"PdfGrayscale"});
        QSignalSpy finished(&window, &Window1::conversionFinished);
        window.ConvertFiles({inputs.at(1)});
        QVERIFY(finished.wait(60000));
        QTRY_VERIFY(window.FileOpen()->isEnabled());
        window.FileOpen()->trigger();
        QVERIFY(finished.wait(60000));
        // Back to Standard: the success text alone, with no kind line.
        QTRY_VERIFY(window.PdfStandard()->isEnabled());
        window.PdfStandard()->trigger();
        window.ConvertFiles({inputs.at(0)});
        QVERIFY(finished.wait(60000));
    }
    const QString head = QStringLiteral("Die PDF-Datei wurde erstellt:\n");
    const QString gray = QStringLiteral("\nPDF-Art: Graustufen");
    QCOMPARE(dialogs.shown.size(), 4);
    QCOMPARE(dialogs.shown.at(0).explanation, head + pdf("eins.pdf") + gray);
    QCOMPARE(dialogs.shown.at(1).explanation, head + pdf("zwei.pdf") + gray);
    QCOMPARE(dialogs.shown.at(2).explanation, head + pdf("drei.pdf") + gray);
    QCOMPARE(dialogs.shown.at(3).explanation, head + pdf("eins.pdf"));

    // A kind the settings do not know is Standard.
    ProgramSettings()->setValue(QStringLiteral("Conversion/pdfKind"), QStringLiteral("bunt"));
    Window1 window(services);
    QCOMPARE(checkedItems(window), QStringList{"PdfStandard"});
    QCOMPARE(window.pdfKind(), PdfKind::Standard);
}

QTEST_MAIN(TestWindow1)
#include "tst_Window1.moc"
