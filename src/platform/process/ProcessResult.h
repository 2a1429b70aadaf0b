#pragma once

#include <QByteArray>
#include <QString>

// What one run of a command gave.
struct ProcessResult {
    bool started = false;  // false: the program could not be started at all
    bool crashed = false;  // ended by a signal
    bool timedOut = false; // stopped because the time-out passed
    bool cancelled = false;
    int exitCode = -1;     // only meaningful for a normal exit
    QByteArray output;     // standard output and standard error, merged
    // Beyond the output limit only the beginning and the end are kept: this
    // many bytes in between were dropped at byte offset omittedAt of output.
    qint64 omittedBytes = 0;
    qsizetype omittedAt = -1;
    QString errorText;     // why it could not be started

    bool exitedNormally() const { return started && !crashed && !timedOut && !cancelled; }
    bool succeeded() const { return exitedNormally() && exitCode == 0; }
};

#include <QMetaType>
Q_DECLARE_METATYPE(ProcessResult)
