#pragma once

#include "platform/ProcessRunner.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

class QDialog;
class QWidget;

// The busy indicator of a conversion. While Ghostscript runs it keeps every
// user input away from the application except its own dialog, so that a
// handler runs from start to end before the next click, key or drop is
// handled; repaints and timers go on. A run that takes longer than
// kShowAfterMs shows a small window-modal dialog with the file's name, a busy
// bar and "Abbrechen", which stops the run.
class ConversionProgress : public QObject, public RunObserver
{
    Q_OBJECT

public:
    static constexpr int kShowAfterMs = 500;

    ConversionProgress(QWidget *window, QString fileName);
    ~ConversionProgress() override;

    void runStarted(ProcessRunner &runner) override;
    void runFinished() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showDialog();
    void cancelRun();
    bool belongsToDialog(QObject *object) const;

    QPointer<QWidget> m_window;
    QString m_fileName;
    ProcessRunner *m_runner = nullptr;
    QTimer m_showTimer;
    QPointer<QDialog> m_dialog;
};
