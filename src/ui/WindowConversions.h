#pragma once

#include "convert/pdf/PdfKind.h"
#include "install/InstallationHelp.h"
#include "ui/OpenDialogCount.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <functional>

class BatchRun;
class ConversionJob;
class ConversionProgress;
class MessagePresenter;

// The window's way into the conversions. Files come from a drop, from File ›
// Open, from the command line at start or from the system; each hand-over
// waits its turn in one line and is then presented as a single drop (the
// job's own dialogs, with its progress) or as a batch (BatchRun). A
// hand-over waits while another is converting or its dialogs are open, and
// while the window is held by something else (the start-up check, the font
// overview); files for a batch that is still converting join it unless
// others wait already. The progress says how many files wait.
class WindowConversions : public QObject
{
    Q_OBJECT

public:
    WindowConversions(QWidget *window, MessagePresenter &dialogs,
                      QStringList ghostscriptCandidates, InstallationHelp installation,
                      QObject *parent = nullptr);

    // Files from any way in.
    void deliver(const QStringList &paths);
    // Files dropped on the window or on a progress dialog. A drop that lands
    // while a single conversion's question or verdict is up is not taken:
    // that window-modal dialog stands for the window. False when not taken.
    bool drop(const QStringList &paths);
    // While held, nothing new starts; what arrives waits.
    void setHeld(bool held);
    // The kind of PDF for what starts from now on.
    void setPdfKind(PdfKind kind) { m_kind = kind; }
    PdfKind pdfKind() const { return m_kind; }

    // The single conversion that runs now, or null.
    ConversionJob *runningConversion() const;
    bool batchRunning() const;
    // Something converts or waits for its dialogs to be answered.
    bool isActive() const;
    // A dialog of a conversion (a question, a verdict, a refusal, a batch's
    // question or summary) waits for an answer.
    bool dialogOpen() const { return m_dialogs.openDialogs() > 0; }

signals:
    // A single drop's conversion has ended, its dialogs answered.
    void conversionFinished();
    // A batch has ended, its summary answered.
    void batchFinished();
    // isActive() or dialogOpen() may have changed.
    void activityChanged();
    // A hand-over could not be started; the reason for the user.
    void failed(const QString &reason);

private:
    void startNext();
    void scheduleNext();
    // Marks a refusal's dialog as holding the line; the function given back
    // is what its answer calls.
    std::function<void()> holdForRefusal();
    void startSingle(const QStringList &paths);
    void startBatch(const QStringList &paths);
    void ended();
    // The files of the hand-overs that wait, as each will be converted.
    int waitingFiles() const;
    void tellWaiting();

    QPointer<QWidget> m_window;
    OpenDialogCount m_dialogs;
    QStringList m_ghostscriptCandidates;
    InstallationHelp m_installation;
    QList<QStringList> m_waiting;
    QPointer<ConversionJob> m_conversion;
    QPointer<ConversionProgress> m_progress;
    QPointer<BatchRun> m_batch;
    // A refusal's dialog is open; what waits starts once it is answered.
    bool m_refusalShowing = false;
    int m_refusals = 0;
    bool m_held = false;
    PdfKind m_kind = PdfKind::Standard;
    bool m_scheduled = false;
};
