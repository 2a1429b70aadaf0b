#pragma once

#include <QString>
#include <QStringList>

class MessagePresenter;
class RunObserver;

// What a conversion needs from its surroundings: the dialogs shown on the
// window that received the drop, and an optional busy indicator.
struct ConversionContext {
    static constexpr int kTimeoutMs = 30000;
    // How much of Ghostscript's output is kept: its beginning and its end. A
    // document can print without end, and a dialog shows a few hundred
    // kilobytes at once but takes minutes to lay out a hundred megabytes.
    static constexpr qint64 kTranscriptLimit = 256 * 1024;

    MessagePresenter &dialogs;
    RunObserver *observer = nullptr;
    int timeoutMs = kTimeoutMs;
};

// The fonts the Ghostscript font path names; "~" stands for the user's home.
QString GhostscriptFontPath();

// The argument vector Ghostscript is started with. prologPath, when not empty,
// stands in front of the input so that its definitions come first.
QStringList GhostscriptArguments(const QString &inputPath, const QString &outputFile,
                                 const QString &prologPath);

// Converts inputPath to the PDF at outputPath and tells the user the outcome.
// The PDF is written beside its final place and moved there only when
// Ghostscript succeeded, so a failed run leaves an older PDF untouched.
// prologArgument is the path of a font-substitution prolog, or empty;
// boundFonts are the names that prolog binds.
void ConvertWithGhostscript(const QString &ghostscriptPath, const QString &inputPath,
                            const QString &outputPath, const QString &prologArgument,
                            ConversionContext &context, const QStringList &boundFonts = {});
