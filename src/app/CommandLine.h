#pragma once

#include "convert/pdf/PdfKind.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// What the program's arguments ask for. Decided from argv alone, before any
// application object exists: the converter runs without a window and so
// without a display, the window needs both.
struct CommandLine {
    enum class Action { Window, Convert, Watch, Help, Version, UsageError };

    Action action = Action::Window;
    QStringList files;    // as named, in order
    QStringList watchFolders; // --watch, in order
    int jobs = 0;             // --jobs; 0: one per core
    QString outputFolder; // --output-dir; empty: beside each input
    bool substituteFonts = false;
    // --pdf; the window's own choice does not apply to --convert.
    PdfKind pdfKind = PdfKind::Standard;
    bool quiet = false;
    // Whether a window could open: a display, or a platform that needs none.
    bool hasDisplay = true;
    // Why the arguments are wrong; set only with Action::UsageError.
    QString error;
};

// argv as text, the program's name first.
QStringList ArgumentsOf(int argc, char **argv);

// Reads the arguments (the program's name first). Any option of the
// converter's, --help or --version makes it a run without a window.
CommandLine ParseCommandLine(const QStringList &arguments);

// The text --help prints; needs the application object (it names the program).
QString CommandLineHelp();

// Text as it goes to the terminal: a byte of a name that is no UTF-8 shows
// as '?'.
QByteArray ForTerminal(QString text);

// Text on one line, as a line of ours shows what the user or a document
// chose: a control character (C0, DEL or C1) shows as '?', so that neither a
// newline nor an escape sequence a terminal would act on gets through.
QString OnOneLine(QString text);

// Prints "Pagora: <error>" and the hint to --help on standard error; returns
// the exit status of a usage error, 2.
int ReportUsageError(const QString &error);

// The files named when the window starts, as a drop hands them over: file://
// addresses as their local paths, paths made absolute.
QStringList WindowStartFiles(const QStringList &names);
