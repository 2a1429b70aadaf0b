#include "ui/Window1.h"

#include "app/MainMenuBar.h"
#include "convert/BatchConversion.h"
#include "convert/ConversionJob.h"
#include "ui/BatchRun.h"
#include "convert/DropIntake.h"
#include "convert/GhostscriptConversion.h"
#include "fontsheet/FontListing.h"
#include "fontsheet/FontOverviewRun.h"
#include "install/StartupCheck.h"
#include "platform/FolderItem.h"
#include "platform/LastOpenFolder.h"
#include "platform/MessageDialog.h"
#include "ui/ConversionProgress.h"
#include "ui/DropCanvas.h"
#include "ui/PictureCache.h"
#include "ui/QtMessagePresenter.h"
#include "ui/QtOpenFilesChooser.h"
#include "ui/QtSaveFileChooser.h"
#include "ui/QtUrlOpener.h"
#include "ui/TextContrast.h"
#include "ui/WindowTexts.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QLayout>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

#include <exception>
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
    if (m_services.logo == nullptr)
        m_services.logo = &PictureCache::logo();

    m_startupCheck =
        new StartupCheck(*m_services.dialogs, *m_services.urls, installationHelp(), this);
    connect(m_startupCheck, &StartupCheck::failed, this,
            [this](const QString &reason) { m_startupFailure = reason; });
    connect(m_startupCheck, &StartupCheck::finished, this, &Window1::startupCheckFinished);
    m_fontListing = new FontListing(FontListing::thisSystemsSource(), this);
    connect(m_fontListing, &FontListing::finished, this, &Window1::fontsListed);

    Layout();
    CreateControls();
    connect(FileOpen(), &QAction::triggered, this, &Window1::FileOpen_Action);
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
    connect(
        canvas, &DropCanvas::filesDropped, this,
        [this](const QStringList &paths) {
            if (!isBusy())
                ConvertFiles(paths);
        },
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

QMenu *Window1::FileMenu() const
{
    return MenuBar().findMenu(QStringLiteral("FileMenu"));
}

QAction *Window1::FileOpen() const
{
    return MenuBar().findItem(QStringLiteral("FileOpen"));
}

QAction *Window1::FileQuit() const
{
    return MenuBar().findItem(QStringLiteral("FileQuit"));
}

QMenu *Window1::EditMenu() const
{
    return MenuBar().findMenu(QStringLiteral("EditMenu"));
}

QAction *Window1::EditUndo() const
{
    return MenuBar().findItem(QStringLiteral("EditUndo"));
}

QAction *Window1::EditSeparator1() const
{
    return MenuBar().findItem(QStringLiteral("EditSeparator1"));
}

QAction *Window1::EditCut() const
{
    return MenuBar().findItem(QStringLiteral("EditCut"));
}

QAction *Window1::EditCopy() const
{
    return MenuBar().findItem(QStringLiteral("EditCopy"));
}

QAction *Window1::EditPaste() const
{
    return MenuBar().findItem(QStringLiteral("EditPaste"));
}

QAction *Window1::EditClear() const
{
    return MenuBar().findItem(QStringLiteral("EditClear"));
}

QAction *Window1::EditSeparator2() const
{
    return MenuBar().findItem(QStringLiteral("EditSeparator2"));
}

QAction *Window1::EditSelectAll() const
{
    return MenuBar().findItem(QStringLiteral("EditSelectAll"));
}

QMenu *Window1::HelpMenu() const
{
    return MenuBar().findMenu(QStringLiteral("HelpMenu"));
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
    updateFileOpen();
    emit opened();
}

bool Window1::isBusy() const
{
    return !m_startupChecked || m_fontOverviewRunning;
}

void Window1::Event_Closing()
{
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
            matchLabel1ToBackdrop(nullptr);
            return;
        }
        // Stretched to the whole canvas, each direction on its own.
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRectF(QPointF(0, 0), QSizeF(Canvas1()->size())), *logo,
                          QRectF(logo->rect()));
        matchLabel1ToBackdrop(logo);
    } catch (const std::exception &) {
    }
}

void Window1::matchLabel1ToBackdrop(const QImage *logo)
{
    QLabel *label = Label1();
    const QPalette &palette = Canvas1()->palette();
    const QRgb text = palette.color(QPalette::WindowText).rgba();
    const QRgb window = palette.color(QPalette::Window).rgba();
    const qint64 logoKey = logo ? logo->cacheKey() : 0;
    if (label == nullptr || (logoKey == m_label1LogoKey && text == m_label1PaletteText &&
                             window == m_label1PaletteWindow))
        return;
    m_label1LogoKey = logoKey;
    m_label1PaletteText = text;
    m_label1PaletteWindow = window;

    // The part of the stretched logo that lies behind the label; without a
    // logo the window's background shows there.
    QImage behind;
    if (logo != nullptr) {
        const QSizeF canvas = Canvas1()->size();
        const double sx = logo->width() / canvas.width();
        const double sy = logo->height() / canvas.height();
        const QRectF frame = label->geometry();
        behind = logo->copy(
            QRectF(frame.x() * sx, frame.y() * sy, frame.width() * sx, frame.height() * sy)
                .toAlignedRect());
    } else {
        behind = QImage(1, 1, QImage::Format_RGB32);
        behind.fill(QColor::fromRgba(window));
    }
    QPalette labelPalette = label->palette();
    labelPalette.setColor(QPalette::WindowText,
                          TextContrast::ReadableTextColour(behind, QColor::fromRgba(text)));
    // Setting the colour repaints the label, not the canvas: no paint loop.
    label->setPalette(labelPalette);
}

void Window1::Canvas1_DropObject(const QStringList &paths)
{
    // One conversion at a time. A drop that arrives while one runs waits
    // for it; one that arrives while its question or verdict is on screen is
    // not taken, as the window-modal dialog stands for the window.
    if (batchRunning()) {
        m_waitingDrops.append(paths);
        return;
    }
    if (m_conversion && m_conversion->state() != ConversionJob::State::Done) {
        const ConversionJob::State state = m_conversion->state();
        if (state != ConversionJob::State::Asking && state != ConversionJob::State::Reporting)
            m_waitingDrops.append(paths);
        return;
    }
    runHandler([this, &paths] {
        ConversionJob *job = IntakeDrop(paths, *m_services.dialogs, m_services.dropCandidates, this,
                                        installationHelp());
        if (job == nullptr)
            return;
        m_conversion = job;
        new ConversionProgress(this, job, FolderItem(paths.first()).name());
        connect(job, &ConversionJob::finished, this, &Window1::conversionFinished);
        // Once the job has gone, which it does right after telling.
        connect(job, &ConversionJob::finished, this, &Window1::updateFileOpen,
                Qt::QueuedConnection);
        updateFileOpen();
        connect(job, &ConversionJob::finished, this, &Window1::takeWaitingDrop);
    });
}

void Window1::ConvertFiles(const QStringList &paths)
{
    if (paths.isEmpty())
        return;
    // Files for a running batch join its queue.
    if (batchRunning() && m_batch->add(paths))
        return;
    if (batchRunning() || RunningConversion() != nullptr || !IsBatch(paths)) {
        Canvas1_DropObject(paths);
        return;
    }
    runHandler([this, &paths] {
        const QString ghostscript = GhostscriptForDrop(*m_services.dialogs,
                                                       m_services.dropCandidates, installationHelp());
        if (ghostscript.isEmpty())
            return;
        auto *batch = new BatchRun(this, *m_services.dialogs, ghostscript, this);
        m_batch = batch;
        connect(batch, &BatchRun::finished, this, &Window1::batchFinished);
        connect(batch, &BatchRun::finished, this, &Window1::takeWaitingDrop);
        connect(batch, &BatchRun::finished, this, &Window1::updateFileOpen, Qt::QueuedConnection);
        batch->start(paths);
        updateFileOpen();
    });
}

bool Window1::batchRunning() const
{
    return m_batch && m_batch->state() != BatchRun::State::Done;
}

void Window1::takeWaitingDrop()
{
    if (!m_waitingDrops.isEmpty())
        QMetaObject::invokeMethod(
            this, [this, next = m_waitingDrops.takeFirst()] { ConvertFiles(next); },
            Qt::QueuedConnection);
}

ConversionJob *Window1::RunningConversion() const
{
    if (m_conversion && m_conversion->state() != ConversionJob::State::Done)
        return m_conversion;
    return nullptr;
}

void Window1::Button1_Pressed()
{
    // One overview at a time, and none while the start-up check may still
    // put up its dialog or a conversion runs.
    if (isBusy() || RunningConversion() != nullptr || batchRunning())
        return;
    m_fontOverviewRunning = true;
    updateFileOpen();
    m_fontListing->start();
}

void Window1::FileOpen_Action()
{
    if (isBusy() || RunningConversion() != nullptr || m_openDialogShowing)
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

void Window1::updateFileOpen()
{
    if (QAction *item = FileOpen())
        item->setEnabled(!isBusy() && RunningConversion() == nullptr && !batchRunning() &&
                         !m_openDialogShowing);
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
        updateFileOpen();
    };
    if (result.failure)
        showFailure(*result.failure, ended);
    else
        ended();
}

void Window1::runHandler(const std::function<void()> &handler)
{
    QString reason;
    try {
        handler();
        return;
    } catch (const std::exception &error) {
        reason = QString::fromLocal8Bit(error.what());
    } catch (...) {
    }
    showFailure(reason);
}

void Window1::showFailure(const QString &reason, const std::function<void()> &answered)
{
    MessageDialog dialog;
    dialog.iconType = MessageDialog::Icon::Stop;
    dialog.message = WindowTexts::kHandlerFailedMessage;
    dialog.explanation = reason;
    dialog.actionButton.caption = WindowTexts::kOk;
    // The dialog belongs to this window; what waits for its answer goes with
    // the window.
    const QPointer<Window1> window(this);
    const auto then = [window, answered] {
        if (window && answered)
            answered();
    };
    try {
        m_services.dialogs->open(dialog, [then](MessageDialog::Button) { then(); });
    } catch (...) {
        // Nothing more can be said; the event loop must go on, and so must
        // what waited for the answer.
        QMetaObject::invokeMethod(this, then, Qt::QueuedConnection);
    }
}
