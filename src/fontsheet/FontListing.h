#pragma once

#include "platform/process/ProcessResult.h"

#include <QObject>
#include <QStringList>

class ChildProcess;

// Lists the installed fonts in a child process, without waiting for it: the
// names come with finished(). On macOS the entries of the three font folders
// (`ls` through the shell, duplicates kept, in the listing's order); elsewhere
// the font files fontconfig knows (`fc-list`), each name once, sorted.
// Whatever came back before the time-out or a failure is used as it is: a
// listing that gives nothing is reported by the caller as no fonts found.
class FontListing : public QObject
{
    Q_OBJECT

public:
    enum class Source { FontFolders, Fontconfig };
    static Source thisSystemsSource();

    explicit FontListing(Source source = thisSystemsSource(), QObject *parent = nullptr);
    ~FontListing() override;

    // A listing that is still running is not started again.
    void start();
    bool isRunning() const { return m_child != nullptr; }

    // The names in a finished run's output.
    static QStringList namesFrom(Source source, const ProcessResult &result);

signals:
    // Once per start(), after start() has returned.
    void finished(const QStringList &names);

private:
    void onFinished(const ProcessResult &result);

    Source m_source;
    ChildProcess *m_child = nullptr;
};
