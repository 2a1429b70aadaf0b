#pragma once

#include <QDialog>
#include <QStringList>

class QLabel;
class QProgressBar;

// The progress of the window's conversions: a small dialog of its own in
// front of the window, titled "Konvertierung", with a count (for a batch), a
// bar, the name of a file being converted, how many files wait after these
// and "Abbrechen". It is not modal: the window stays a drop zone, its menus
// work and its files join the line while this is up. Files dropped on the
// dialog itself are taken as well.
class ProgressDialog : public QDialog
{
    Q_OBJECT

public:
    ProgressDialog(QWidget *window, const QString &name);

    // Empty: no count line.
    void setCount(const QString &text);
    // done of total; a total of 0 makes the bar a busy one.
    void setProgress(int done, int total);
    void setFileName(const QString &name);
    // Files that wait for their turn after what this dialog shows; 0: no line.
    void setWaiting(int files);

signals:
    // "Abbrechen", Escape or the close box.
    void cancelled();
    void filesDropped(const QStringList &paths);

private:
    QLabel *m_count;
    QProgressBar *m_bar;
    QLabel *m_fileName;
    QLabel *m_waiting;
};
