#pragma once

#include <QFutureWatcher>
#include <QObject>
#include <QString>

#include <memory>

class JobWorkspace;
class OutputFolder;

// The stage of a job that puts the PDF Ghostscript left in the workspace into
// the user's folder, by a rename or a copy made by this program, never by
// Ghostscript writing there. placed() follows each place() once.
class PdfPlacement : public QObject
{
    Q_OBJECT

public:
    explicit PdfPlacement(QObject *parent = nullptr);

    // Holds on to neither once placed() is emitted, so that the job decides
    // when its workspace goes.
    void place(const std::shared_ptr<JobWorkspace> &workspace,
               const std::shared_ptr<OutputFolder> &output);

signals:
    // error: why it is not in place, when it is not.
    void placed(bool inPlace, const QString &error);

private:
    QFutureWatcher<QString> m_copying;
};
