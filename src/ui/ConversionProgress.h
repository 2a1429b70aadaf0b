#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>

class ConversionJob;
class ProgressDialog;
class QWidget;

// The progress of a single drop's conversion. A run of Ghostscript that
// takes longer than kShowAfterMs shows the progress dialog in front of the
// window, with the file's name, a busy bar, how many files wait and
// "Abbrechen", which cancels the job. The window takes drops, File › Open and
// handed-over files all the while; files dropped on the dialog are handed on
// as well. It lives as long as its job.
class ConversionProgress : public QObject
{
    Q_OBJECT

public:
    static constexpr int kShowAfterMs = 500;

    ConversionProgress(QWidget *window, ConversionJob *job, QString fileName);
    ~ConversionProgress() override;

    void runStarted();
    void runFinished();
    // Files that wait for their turn after this one.
    void setWaiting(int files);

signals:
    // Files dropped on the dialog.
    void filesDropped(const QStringList &paths);

private:
    void showDialog();
    void cancelRun();

    QPointer<QWidget> m_window;
    QString m_fileName;
    QPointer<ConversionJob> m_job;
    bool m_running = false;
    int m_waiting = 0;
    QTimer m_showTimer;
    QPointer<ProgressDialog> m_dialog;
};
