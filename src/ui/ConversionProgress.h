#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>

class ConversionJob;
class QDialog;
class QWidget;

// The busy indicator of a conversion job. While Ghostscript runs it keeps
// every user input but a drop away from the application except its own
// dialog, so that nothing else starts meanwhile; repaints and timers go on.
// A drop, on the window or on the dialog, waits for its turn. A run that takes
// longer than kShowAfterMs shows a small window-modal dialog with the file's
// name, a busy bar and "Abbrechen", which cancels the job. It lives as long
// as its job.
class ConversionProgress : public QObject
{
    Q_OBJECT

public:
    static constexpr int kShowAfterMs = 500;

    ConversionProgress(QWidget *window, ConversionJob *job, QString fileName);
    ~ConversionProgress() override;

    void runStarted();
    void runFinished();

signals:
    // Files dropped on the dialog.
    void filesDropped(const QStringList &paths);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showDialog();
    void cancelRun();
    bool belongsToDialog(QObject *object) const;

    QPointer<QWidget> m_window;
    QString m_fileName;
    QPointer<ConversionJob> m_job;
    bool m_running = false;
    QTimer m_showTimer;
    QPointer<QDialog> m_dialog;
};
