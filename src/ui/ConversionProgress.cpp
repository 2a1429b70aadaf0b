#include "ui/ConversionProgress.h"

#include "convert/job/ConversionJob.h"
#include "ui/FileDropTarget.h"
#include "ui/WindowTexts.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWindow>

namespace {

bool isUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::InputMethod:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
    // Closing the window or quitting would end the event loops under the
    // running handler; the user stops the run with "Abbrechen" first.
    case QEvent::Close:
    case QEvent::Quit:
        return true;
    default:
        return false;
    }
}

} // namespace

ConversionProgress::ConversionProgress(QWidget *window, ConversionJob *job, QString fileName)
    : QObject(job), m_window(window), m_fileName(std::move(fileName)), m_job(job)
{
    connect(job, &ConversionJob::ghostscriptStarted, this, &ConversionProgress::runStarted);
    connect(job, &ConversionJob::ghostscriptFinished, this, &ConversionProgress::runFinished);
    m_showTimer.setSingleShot(true);
    m_showTimer.setInterval(kShowAfterMs);
    m_showTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_showTimer, &QTimer::timeout, this, &ConversionProgress::showDialog);
}

ConversionProgress::~ConversionProgress()
{
    runFinished();
}

void ConversionProgress::runStarted()
{
    m_running = true;
    qApp->installEventFilter(this);
    m_showTimer.start();
}

void ConversionProgress::runFinished()
{
    m_showTimer.stop();
    if (qApp)
        qApp->removeEventFilter(this);
    m_running = false;
    delete m_dialog.data();
}

void ConversionProgress::showDialog()
{
    if (!m_running || m_dialog)
        return;
    m_dialog = new QDialog(m_window);
    m_dialog->setObjectName(QStringLiteral("conversionProgress"));
    m_dialog->setWindowModality(m_window ? Qt::WindowModal : Qt::ApplicationModal);

    auto *name = new QLabel(m_fileName, m_dialog);
    name->setObjectName(QStringLiteral("fileName"));
    name->setTextFormat(Qt::PlainText);
    auto *busy = new QProgressBar(m_dialog);
    busy->setRange(0, 0);
    busy->setTextVisible(false);
    auto *cancel = new QPushButton(WindowTexts::kCancelButton, m_dialog);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    cancel->setAutoDefault(false);

    auto *layout = new QVBoxLayout(m_dialog);
    layout->addWidget(name);
    layout->addWidget(busy);
    layout->addWidget(cancel, 0, Qt::AlignRight);
    m_dialog->setMinimumWidth(300);

    // The dialog stands for the window, whose drops wait for their turn.
    connect(new FileDropTarget(m_dialog), &FileDropTarget::filesDropped, this,
            &ConversionProgress::filesDropped);
    connect(cancel, &QPushButton::clicked, this, &ConversionProgress::cancelRun);
    // Escape and the dialog's close box mean the same as the button.
    connect(m_dialog, &QDialog::rejected, this, &ConversionProgress::cancelRun);
    m_dialog->show();
}

void ConversionProgress::cancelRun()
{
    if (m_job)
        m_job->cancel();
}

bool ConversionProgress::belongsToDialog(QObject *object) const
{
    if (!m_dialog)
        return false;
    if (auto *widget = qobject_cast<QWidget *>(object))
        return widget == m_dialog || m_dialog->isAncestorOf(widget);
    if (auto *window = qobject_cast<QWindow *>(object))
        return window == m_dialog->windowHandle();
    return false;
}

bool ConversionProgress::eventFilter(QObject *watched, QEvent *event)
{
    if (!isUserInput(event->type()) || belongsToDialog(watched))
        return QObject::eventFilter(watched, event);
    // An accepted override keeps the key from being tried as a shortcut; any
    // other input is refused, so a drop fails for its source and a close or
    // quit request is turned down rather than carried out unseen.
    if (event->type() == QEvent::ShortcutOverride)
        event->accept();
    else
        event->ignore();
    return true;
}
