#include "ui/Window1.h"

#include "fontsheet/FontListing.h"
#include "fontsheet/FontOverviewRun.h"
#include "install/StartupCheck.h"
#include "platform/desktop/LastOpenFolder.h"
#include "ui/DropCanvas.h"
#include "ui/FailureDialog.h"
#include "ui/FolderWatching.h"
#include "ui/MainMenuBar.h"
#include "ui/PdfKindChoice.h"
#include "ui/PictureCache.h"
#include "ui/QtFolderChooser.h"
#include "ui/QtMessagePresenter.h"
#include "ui/QtOpenFilesChooser.h"
#include "ui/QtSaveFileChooser.h"
#include "ui/QtUrlOpener.h"
#include "ui/WatchMenu.h"
#include "ui/WatchResultsDialog.h"
#include "ui/WatchStatusLine.h"
#include "ui/WindowConversions.h"
#include "ui/WindowTexts.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QLayout>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>

#include <utility>

namespace {

// The frames were laid out for a screen on which a point is a pixel; sizing
// the text in pixels keeps it inside them wherever a point is larger.
QFont systemFont(int size)
{
    QFont font = QApplication::font();
    font.setPixelSize(size);
    font.setBold(false);
    font.setItalic(false);
    font.setUnderline(false);
    return font;
}

// The text keeps the palette's colour, light or dark as the system's
// appearance is; Label1 is matched to the logo behind it when that is painted.
QLabel *makeLabel(QWidget *parent, const QString &name, const QRect &frame, const QString &text,
                  int fontSize)
{
    auto *label = new QLabel(parent);
    label->setObjectName(name);
    label->setGeometry(frame);
    label->setFont(systemFont(fontSize));
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::NoTextInteraction);
    label->setText(text);
    return label;
}

} // namespace

Window1::Window1(Window1Services services) : m_services(std::move(services))
{
    if (m_services.dialogs == nullptr) {
        m_ownDialogs = std::make_unique<QtMessagePresenter>(this);
        m_services.dialogs = m_ownDialogs.get();
    }
    if (m_services.urls == nullptr) {
        m_ownUrls = std::make_unique<QtUrlOpener>();
        m_services.urls = m_ownUrls.get();
    }
    if (m_services.saveChooser == nullptr) {
        m_ownSaveChooser = std::make_unique<QtSaveFileChooser>(this);
        m_services.saveChooser = m_ownSaveChooser.get();
    }
    if (m_services.openChooser == nullptr) {
        m_ownOpenChooser = std::make_unique<QtOpenFilesChooser>(this);
        m_services.openChooser = m_ownOpenChooser.get();
    }
    if (m_services.folderChooser == nullptr) {
        m_ownFolderChooser = std::make_unique<QtFolderChooser>(this);
        m_services.folderChooser = m_ownFolderChooser.get();
    }
    if (m_services.logo == nullptr)
        m_services.logo = &PictureCache::logo();

    m_startupCheck =
        new StartupCheck(*m_services.dialogs, *m_services.urls, installationHelp(), this);
    connect(m_startupCheck, &StartupCheck::failed, this,
            [this](const QString &reason) { m_startupFailure = reason; });
    connect(m_startupCheck, &StartupCheck::finished, this, &Window1::startupCheckFinished);
    m_conversions = new WindowConversions(this, *m_services.dialogs, m_services.dropCandidates,
                                          installationHelp(), this);
    connect(m_conversions, &WindowConversions::conversionFinished, this,
            &Window1::conversionFinished);
    connect(m_conversions, &WindowConversions::batchFinished, this, &Window1::batchFinished);
    connect(m_conversions, &WindowConversions::activityChanged, this, &Window1::updateFileOpen);
    connect(m_conversions, &WindowConversions::failed, this,
            [this](const QString &reason) { showFailure(reason); });
    m_conversions->setHeld(true);
    m_watching = new FolderWatching(*m_services.dialogs, *m_services.folderChooser, this);
    connect(m_watching, &FolderWatching::changed, this, &Window1::updateWatching);
    m_fontListing = new FontListing(FontListing::thisSystemsSource(), this);
    connect(m_fontListing, &FontListing::finished, this, &Window1::fontsListed);

    Layout();
    CreateControls();
    CreateWatchLine();
    connect(FileOpen(), &QAction::triggered, this, &Window1::FileOpen_Action);
    connect(FileWatchFolder(), &QAction::triggered, this, &Window1::FileWatchFolder_Action);
    connect(FileWatchResults(), &QAction::triggered, this, &Window1::FileWatchResults_Action);
    new WatchMenu(MenuBar(), *m_watching, this);
    m_pdfKind = new PdfKindChoice(MenuBar(), this);
    m_conversions->setPdfKind(m_pdfKind->kind());
    connect(m_pdfKind, &PdfKindChoice::chosen, m_conversions, &WindowConversions::setPdfKind);
    updateFileOpen();
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    adjustSize();
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(),
                                 screen->availableGeometry())
                 .topLeft());
}

Window1::~Window1()
{
    // The shared menu bar outlives every window that shows it.
    if (auto *bar = qobject_cast<MainMenuBar *>(menuWidget()))
        bar->setParent(nullptr);
}

void Window1::Layout()
{
    setWindowTitle(WindowTexts::kTitle);
    // A document window that can be closed but not minimised, zoomed or made
    // full screen.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
#ifndef Q_OS_MACOS
    // On macOS the shared bar, having no parent, is already the one at the top
    // of the screen; elsewhere the window has to show it.
    setMenuBar(&MainMenuBar::instance());
    MainMenuBar::instance().show();
#endif
}

void Window1::CreateControls()
{
    auto *content = new QWidget(this);
    content->setObjectName(QStringLiteral("content"));
    content->setFixedSize(kWidth, kHeight);
    setCentralWidget(content);

    auto *canvas = new DropCanvas(content);
    canvas->setObjectName(QStringLiteral("Canvas1"));
    canvas->setGeometry(0, 0, 410, 380);
    canvas->setAccessibleName(WindowTexts::kDropZoneName);
    canvas->setAccessibleDescription(WindowTexts::kDropZoneDescription);
    connect(canvas, &DropCanvas::painting, this, &Window1::Canvas1_Paint);
    // The drop is over for the dragging program before the conversion starts,
    // so that it does not wait for a run and its dialogs.
    connect(canvas, &DropCanvas::filesDropped, this, &Window1::Canvas1_DropObject,
            Qt::QueuedConnection);
    connect(canvas, &DropCanvas::opening, this, &Window1::Canvas1_Opening);

    makeLabel(canvas, QStringLiteral("Label1"), QRect(0, 20, 410, 44),
              WindowTexts::kDropInstruction, 20);

    auto *button = new QPushButton(WindowTexts::kFontOverviewButton, content);
    button->setObjectName(QStringLiteral("Button1"));
    button->setGeometry(51, 494, 304, 20);
    button->setDefault(true);
    connect(button, &QPushButton::clicked, this, &Window1::Button1_Pressed);

    makeLabel(content, QStringLiteral("Label2"), QRect(51, 392, 307, 98),
              WindowTexts::kGhostscriptNotice, 12);
}

void Window1::CreateWatchLine()
{
    // A line of its own below the controls, so the drop zone and its
    // instruction stay as they are; it takes room only while it shows.
    QStatusBar *bar = statusBar();
    bar->setObjectName(QStringLiteral("watchBar"));
    bar->setSizeGripEnabled(false);
    auto *line = new WatchStatusLine(*m_watching, bar);
    line->setFont(systemFont(12));
    bar->addWidget(line, 1);
    connect(line, &WatchStatusLine::resultsRequested, this, &Window1::FileWatchResults_Action);
    bar->hide();
}

DropCanvas *Window1::Canvas1() const
{
    return findChild<DropCanvas *>(QStringLiteral("Canvas1"));
}

QLabel *Window1::Label1() const
{
    return findChild<QLabel *>(QStringLiteral("Label1"));
}

QLabel *Window1::Label2() const
{
    return findChild<QLabel *>(QStringLiteral("Label2"));
}

QPushButton *Window1::Button1() const
{
    return findChild<QPushButton *>(QStringLiteral("Button1"));
}

MainMenuBar &Window1::MenuBar() const
{
    return MainMenuBar::instance();
}

QMenu *Window1::menu(const char *name) const
{
    return MenuBar().findMenu(QString::fromLatin1(name));
}

QAction *Window1::item(const char *name) const
{
    return MenuBar().findItem(QString::fromLatin1(name));
}

void Window1::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (m_opened)
        return;
    m_opened = true;
    // After the window is on screen, so that its dialog can be attached to it.
    QMetaObject::invokeMethod(this, &Window1::Event_Opening, Qt::QueuedConnection);
}

void Window1::closeEvent(QCloseEvent *event)
{
    QMainWindow::closeEvent(event);
    if (event->isAccepted())
        Event_Closing();
}

void Window1::Event_Opening()
{
    // The window is painted and handles its events while the probe runs;
    // opened() follows when the check has ended.
    m_startupCheck->start(m_services.probeCandidates);
}

InstallationHelp Window1::installationHelp() const
{
    return InstallationHelp(InstallationHelp::thisSystem(), m_services.brewLocations,
                            m_services.osReleaseFiles);
}

void Window1::startupCheckFinished()
{
    // A failure of the help is told before the check counts as ended: until
    // the person has answered, the window takes no file.
    if (m_startupFailure) {
        showFailure(*std::exchange(m_startupFailure, std::nullopt),
                    [this] { startupCheckEnded(); });
        return;
    }
    startupCheckEnded();
}

void Window1::startupCheckEnded()
{
    m_startupChecked = true;
    // Watched folders are watched only with a Ghostscript that answered.
    if (m_startupCheck->ghostscriptFound())
        m_watching->start(FindGhostscriptExecutable(m_services.dropCandidates));
    m_conversions->setHeld(isBusy());
    updateFileOpen();
    emit opened();
}

bool Window1::isBusy() const
{
    return !m_startupChecked || m_fontOverviewRunning || m_watching->isAsking();
}

void Window1::Event_Closing()
{
    // What a watched folder converts now is cancelled; its input stays in In.
    m_watching->stop();
    // Posted, so that the window has finished closing when the loop ends. It
    // ends only the application's own loop, with 0; without one nothing happens.
    QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
}

void Window1::Canvas1_Opening()
{
    Canvas1()->setAcceptDrops(true);
}

void Window1::Canvas1_Paint(QPainter &painter)
{
    // No dialog can be shown from inside a paint: a picture that cannot be
    // drawn leaves the drop zone blank, as a missing one does.
    try {
        const QImage *logo = m_services.logo->picture();
        if (logo == nullptr) {
            m_label1Backdrop.match(Label1(), nullptr, *Canvas1());
            return;
        }
        // Stretched to the whole canvas, each direction on its own.
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRectF(QPointF(0, 0), QSizeF(Canvas1()->size())), *logo,
                          QRectF(logo->rect()));
        m_label1Backdrop.match(Label1(), logo, *Canvas1());
    } catch (const std::exception &) {
    }
}

void Window1::Canvas1_DropObject(const QStringList &paths)
{
    // One conversion at a time: a drop that arrives while one runs, or while
    // the start-up check or the font overview holds the window, waits for its
    // turn; one that arrives while a conversion's question or verdict is on
    // screen is not taken, as that window-modal dialog stands for the window.
    m_conversions->drop(paths);
}

void Window1::ConvertFiles(const QStringList &paths)
{
    m_conversions->deliver(paths);
}

PdfKind Window1::pdfKind() const
{
    return m_pdfKind->kind();
}

ConversionJob *Window1::RunningConversion() const
{
    return m_conversions->runningConversion();
}

void Window1::Button1_Pressed()
{
    // One overview at a time, and none while the start-up check may still
    // put up its dialog or a conversion runs: its save dialog would stand
    // between a conversion and its verdict.
    if (isBusy() || m_conversions->isActive())
        return;
    m_fontOverviewRunning = true;
    m_conversions->setHeld(true);
    updateFileOpen();
    m_fontListing->start();
}

void Window1::FileOpen_Action()
{
    if (!fileOpenAvailable())
        return;
    m_openDialogShowing = true;
    updateFileOpen();
    // The dialog belongs to this window and goes with it, and with it its answer.
    m_services.openChooser->openFilesDialog(
        LastOpenFolder::folder(), {WindowTexts::kPostScriptFilter, WindowTexts::kAllFilesFilter},
        [window = QPointer<Window1>(this)](const QStringList &paths) {
            if (window)
                window->filesChosen(paths);
        });
}

void Window1::FileWatchFolder_Action()
{
    if (!FileWatchFolder()->isEnabled())
        return;
    m_watching->chooseFolder(pdfKind());
}

void Window1::FileWatchResults_Action()
{
    if (m_watchResults == nullptr) {
        auto *dialog = new WatchResultsDialog(*m_watching, this);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        m_watchResults = dialog;
    }
    m_watchResults->show();
    m_watchResults->raise();
    m_watchResults->activateWindow();
}

void Window1::updateWatching()
{
    statusBar()->setVisible(!m_watching->folders().isEmpty());
    m_conversions->setHeld(isBusy());
    updateFileOpen();
}

void Window1::filesChosen(const QStringList &paths)
{
    m_openDialogShowing = false;
    updateFileOpen();
    if (paths.isEmpty())
        return;
    LastOpenFolder::remember(paths);
    // From the event loop once the dialog has gone, as a drop is.
    QMetaObject::invokeMethod(
        this, [this, paths] { ConvertFiles(paths); }, Qt::QueuedConnection);
}

bool Window1::fileOpenAvailable() const
{
    // The chosen files join the line like a drop, also while others convert;
    // but the open dialog is not put on the window beside another dialog.
    return !isBusy() && !m_openDialogShowing && !m_conversions->dialogOpen() &&
           !m_watching->isAsking();
}

void Window1::updateFileOpen()
{
    if (QAction *item = FileOpen())
        item->setEnabled(fileOpenAvailable());
    // The folder dialog is not put on the window beside another dialog either.
    if (QAction *item = FileWatchFolder())
        item->setEnabled(m_watching->isStarted() && fileOpenAvailable());
    // A kind chosen while files convert would hold for some of them only.
    if (m_pdfKind != nullptr)
        m_pdfKind->setEnabled(fileOpenAvailable() && !m_conversions->isActive());
}

void Window1::fontsListed(const QStringList &names)
{
    // The save dialog belongs to this window and goes with it, and with it
    // its answer. The overview runs until that answer is in and told.
    RunFontOverview(*m_services.saveChooser, names,
                    [window = QPointer<Window1>(this)](const FontOverviewResult &result) {
                        if (window)
                            window->fontOverviewFinished(result);
                    });
}

void Window1::fontOverviewFinished(const FontOverviewResult &result)
{
    if (result.status)
        Label1()->setText(*result.status);
    const auto ended = [this] {
        m_fontOverviewRunning = false;
        m_conversions->setHeld(isBusy());
        updateFileOpen();
    };
    if (result.failure)
        showFailure(*result.failure, ended);
    else
        ended();
}

void Window1::showFailure(const QString &reason, const std::function<void()> &answered)
{
    // The dialog belongs to this window; what waits for its answer goes with
    // the window.
    ShowFailure(*m_services.dialogs, this, reason, answered);
}
