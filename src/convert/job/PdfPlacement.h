#pragma once

#include <QFutureWatcher>
#include <QObject>
#include <QString>

#include <atomic>
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
    ~PdfPlacement() override;

    // Holds on to neither once placed() is emitted, so that the job decides
    // when its workspace goes. targetName: the PDF's name in output.
    void place(const std::shared_ptr<JobWorkspace> &workspace,
               const std::shared_ptr<const OutputFolder> &output, const QString &targetName);
    // A copy under way stops at its next block, or before it would replace
    // the older PDF; placed() then tells that it is not in place. Nothing is
    // placed after it.
    void stop();

signals:
    // error: why it is not in place, when it is not.
    void placed(bool inPlace, const QString &error);

private:
    // Shared with a copy on a worker thread, which may outlive the stage.
    std::shared_ptr<std::atomic<bool>> m_stop;
    QFutureWatcher<QString> m_copying;
};
