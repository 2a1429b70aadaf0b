#pragma once

#include <QByteArrayList>
#include <QFutureWatcher>
#include <QObject>
#include <QString>
#include <QTimer>

#include <atomic>
#include <memory>

class FileDescriptor;
class JobWorkspace;

// The input of a job, opened once and linked into its workspace: every read
// of it, its sandbox rule and Ghostscript's own reading go through file.
struct OpenedInput {
    std::shared_ptr<FileDescriptor> file; // null when it could not be opened
    QString link;                         // its name in the workspace
    QString error;                        // the failure dialog's explanation
};

// Opens inputPath as a regular file and links it into the workspace as
// /dev/fd/N, under the user's name where that name is plain. With
// linksRefused, a link at inputPath is not followed.
OpenedInput OpenInput(const QString &inputPath, const JobWorkspace &workspace,
                      bool linksRefused = false);

// What Ghostscript is to convert after the input has been read.
struct PreparedInput {
    QString name;         // in the workspace; empty: the input's link as it is
    QString error;        // why it could not be read; empty when it could
    bool timedOut = false;
    QByteArrayList fonts; // the fonts the document names
};

// The first stage of a job: the input read for the font-name repair and, for
// an EPS figure, its bounding box moved up front; each writes a copy into the
// workspace only where it changes something. prepared() follows each start()
// once: at once for a small input, else from a worker thread, which is
// stopped at the time given.
class InputPreparation : public QObject
{
    Q_OBJECT

public:
    // Inputs up to this size are read right away.
    static constexpr qint64 kInlineBytes = 1024 * 1024;

    explicit InputPreparation(QObject *parent = nullptr);
    ~InputPreparation() override;

    void start(std::shared_ptr<FileDescriptor> input, std::shared_ptr<JobWorkspace> workspace,
               bool figure, int timeoutMs);
    // A read on a worker thread stops at its next block.
    void stop();

signals:
    void prepared(const PreparedInput &input);

private:
    void onRead(PreparedInput input);

    std::shared_ptr<std::atomic<bool>> m_stop;
    QTimer m_deadline;
    bool m_timedOut = false;
    QFutureWatcher<PreparedInput> m_reading;
};
