#pragma once

#include "convert/queue/ConversionQueue.h"
#include "platform/desktop/MessageDialog.h"

#include <QObject>
#include <QPointer>
#include <QStringList>

class ProgressDialog;
class QWidget;

// A batch as the window runs it: the progress dialog ("3 von 12", a bar, the
// name of a file being converted, how many files wait after the batch and
// "Abbrechen") while the files convert, in front of the window and without
// holding it; then one question about all the files with missing fonts and,
// on consent, those files again with substitutes; at the end one summary.
// Files handed over or dropped on the progress dialog meanwhile join the
// queue. Emits finished() once its summary has been answered, then deletes
// itself. Every PDF of the batch is of one kind.
class BatchRun : public QObject
{
    Q_OBJECT

public:
    enum class State { Converting, Asking, Retrying, Reporting, Done };

    BatchRun(QWidget *window, MessagePresenter &dialogs, QString ghostscriptPath,
             QObject *parent = nullptr, PdfKind kind = PdfKind::Standard);

    void start(const QStringList &paths);
    // Files that arrive while the batch runs; once the summary is up they
    // can no longer join, and false says so.
    bool add(const QStringList &paths);
    void cancel();
    State state() const { return m_state; }
    // Files that wait for their turn after the batch.
    void setWaiting(int files);

signals:
    void finished();
    // Files dropped on the progress dialog.
    void filesDropped(const QStringList &paths);

private:
    void run(ConversionQueue *batch);
    void showProgress();
    void updateProgress();
    void onConverted();
    void onRetried();
    void report();
    void finish();

    QPointer<QWidget> m_window;
    MessagePresenter &m_dialogs;
    QString m_ghostscriptPath;
    PdfKind m_kind;
    State m_state = State::Converting;
    QStringList m_skipped;
    ConversionQueue *m_first = nullptr;
    ConversionQueue *m_retry = nullptr;
    QList<int> m_retried; // indices in m_first of the files converted again
    ConversionQueue *m_current = nullptr;
    QPointer<ProgressDialog> m_progress;
    int m_waiting = 0;
};
