#pragma once

#include <QString>

// The command line's own texts, byte for byte as they are printed. The
// command line is a Unix tool: its texts are English, unlike the window's.
namespace CommandLineTexts
{

inline const QString kDescription =
    QStringLiteral("Converts PostScript (.ps) and EPS (.eps) files to PDF with Ghostscript.\n"
                   "Without --convert, opens the window and converts the files named as if they\n"
                   "had been dropped on it.\n"
                   "\n"
                   "With --convert, prints one line per file, in the order the files are named:\n"
                   "  ok  INPUT -> OUTPUT\n"
                   "  ok  INPUT -> OUTPUT (substituted: NAME, NAME)\n"
                   "  failed  INPUT: REASON\n"
                   "  fonts  INPUT: missing NAME, NAME (suggested: REPLACEMENT)\n"
                   "A failure's whole Ghostscript output goes to standard error.\n"
                   "\n"
                   "Exit status: 0 when every file was converted; 1 when any file failed (a file\n"
                   "with missing fonts counts as failed unless --substitute-fonts converted it);\n"
                   "2 when the command line was wrong; 128 and the signal's number when\n"
                   "SIGINT, SIGTERM or SIGHUP ended the run (no partial PDF is left).\n"
                   "\n"
                   "With --watch W, converts what is put into W/In, unattended, until SIGTERM or\n"
                   "SIGINT: each PDF goes to W/Out with its input, a file that fails to W/Errors\n"
                   "with NAME.log beside it. One line per file:\n"
                   "  ok  In/NAME -> Out/NAME.pdf\n"
                   "  failed  In/NAME: REASON\n"
                   "A signal lets nothing half-made remain; inputs under way stay in W/In, and\n"
                   "the exit status is 0.");

inline const QString kConvertOption = QStringLiteral("Convert the files without opening a window.");
inline const QString kSubstituteFontsOption = QStringLiteral(
    "Convert files with missing fonts again, with substitutes for the missing fonts.");
inline const QString kOutputDirOption =
    QStringLiteral("Write the PDFs into <dir> instead of next to their inputs.");
inline const QString kOutputDirValue = QStringLiteral("dir");
inline const QString kPdfOption = QStringLiteral(
    "Make PDFs of this <kind>: standard (the default), pdfa (PDF/A-2b for archives), "
    "print (every font embedded, full-resolution images), small (150 dpi images) "
    "or gray (grayscale).");
inline const QString kPdfValue = QStringLiteral("kind");
inline const QString kWatchOption = QStringLiteral(
    "Watch folder <W> and convert what is put into W/In (may be given more than once).");
inline const QString kWatchValue = QStringLiteral("W");
inline const QString kJobsOption =
    QStringLiteral("With --watch, convert at most <n> files at a time (default: one per core).");
inline const QString kJobsValue = QStringLiteral("n");
inline const QString kQuietOption = QStringLiteral("Print only the lines of files that failed.");
inline const QString kHelpOption = QStringLiteral("Print this help and exit.");
inline const QString kVersionOption = QStringLiteral("Print Pagora's version and exit.");
inline const QString kFilesArgument = QStringLiteral("PostScript (.ps) or EPS (.eps) files.");
inline const QString kFilesSyntax = QStringLiteral("file...");

// Usage errors: "Pagora: <error>" and the hint below, on standard error.
inline const QString kUsageErrorHead = QStringLiteral("Pagora: ");
inline const QString kUsageHint = QStringLiteral("Try 'Pagora --help'.");
inline const QString kNoFiles = QStringLiteral("no files to convert");
inline const QString kNoDisplay =
    QStringLiteral("no display to open the window on; to convert without one, use --convert");
inline const QString kOptionsNeedConvert =
    QStringLiteral("--substitute-fonts, --output-dir and --quiet go with --convert");
inline const QString kPdfNeedsConvert =
    QStringLiteral("--pdf goes with --convert; the window has its PDF menu");
inline const QString kUnknownPdfKind =
    QStringLiteral("--pdf %1: unknown kind; use standard, pdfa, print, small or gray");
inline const QString kOutputDirNotAFolder = QStringLiteral("--output-dir %1: not a folder");
inline const QString kWatchWithConvert = QStringLiteral("--watch and --convert go apart");
inline const QString kWatchTakesNoFiles =
    QStringLiteral("--watch takes no files: put them into W/In");
inline const QString kJobsNeedWatch = QStringLiteral("--jobs goes with --watch");
inline const QString kBadJobs = QStringLiteral("--jobs %1: not a number from 1 to 64");
inline const QString kWatchOutputDir =
    QStringLiteral("--output-dir and --quiet go with --convert; --watch writes to W/Out");
// A watched folder that cannot be watched: %1 the reason.
inline const QString kCannotWatch = QStringLiteral("cannot watch: %1");

// The lines, one per file.
inline const QString kConvertedLine = QStringLiteral("ok  %1 -> %2");
inline const QString kSubstitutedSuffix = QStringLiteral(" (substituted: %1)");
inline const QString kFailedLine = QStringLiteral("failed  %1: %2");
inline const QString kFontsLine = QStringLiteral("fonts  %1: missing %2 (suggested: %3)");
// Above a failed file's Ghostscript output on standard error.
inline const QString kTranscriptHead = QStringLiteral("Output for %1:");

// The reasons of "failed" lines that are not Ghostscript's own.
inline const QString kNotPostScript = QStringLiteral("not a PostScript file");
inline const QString kNoSuchFile = QStringLiteral("no such file");
inline const QString kNoGhostscript = QStringLiteral("Ghostscript not found");
inline const QString kSameOutput = QStringLiteral("same PDF as %1");
inline const QString kGhostscriptFailed = QStringLiteral("Ghostscript failed");
inline const QString kTimedOut = QStringLiteral("Ghostscript was stopped after 30 seconds");
inline const QString kCrashed = QStringLiteral("Ghostscript was ended from outside or crashed");
inline const QString kIncompletePdf =
    QStringLiteral("the PDF was not written completely (is the disk full?)");
inline const QString kCannotCreateOutput = QStringLiteral("cannot create the PDF in this folder: ");
inline const QString kCannotReplaceOutput = QStringLiteral("cannot put the PDF in place: ");
inline const QString kCannotRepairInput = QStringLiteral("cannot prepare the input: ");
inline const QString kCannotWriteSubstitution =
    QStringLiteral("cannot write the substitute fonts: ");
inline const QString kCannotPrepareWorkspace = QStringLiteral("cannot create the working folder: ");
inline const QString kCannotConfine = QStringLiteral("cannot confine Ghostscript: ");
inline const QString kPdfaLost = QStringLiteral("not PDF/A, no PDF written: ");
inline const QString kNoSrgbProfile = QStringLiteral("no sRGB profile for PDF/A beside ");
inline const QString kCannotWriteDefinition = QStringLiteral("cannot write the PDF/A settings: ");

// The window's module is missing or broken: "Pagora: " and this, on standard
// error.
inline const QString kCannotLoadWindow = QStringLiteral("cannot load the window: %1");
inline const QString kWindowModuleNotFound = QStringLiteral("%1 is in none of: %2");
inline const QString kWindowModuleNotSafe =
    QStringLiteral("%1 or a folder above it can be changed by other users");

} // namespace CommandLineTexts
