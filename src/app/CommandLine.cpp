#include "app/CommandLine.h"

#include "app/CommandLineTexts.h"
#include "platform/files/FileNameEncoding.h"
#include "platform/files/FolderItem.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QUrl>

#include <cstdio>

using namespace CommandLineTexts;

namespace
{

struct Options {
    QCommandLineOption convert{QStringLiteral("convert"), kConvertOption};
    QCommandLineOption substituteFonts{QStringLiteral("substitute-fonts"), kSubstituteFontsOption};
    QCommandLineOption outputDir{QStringLiteral("output-dir"), kOutputDirOption, kOutputDirValue};
    QCommandLineOption quiet{QStringLiteral("quiet"), kQuietOption};
    QCommandLineOption pdf{QStringLiteral("pdf"), kPdfOption, kPdfValue};
    QCommandLineOption watch{QStringLiteral("watch"), kWatchOption, kWatchValue};
    QCommandLineOption jobs{QStringLiteral("jobs"), kJobsOption, kJobsValue};
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")}, kHelpOption};
    QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")}, kVersionOption};
    QList<QCommandLineOption> window = windowOptions();

    // The options the window's application object takes out of the arguments
    // itself, known by name so that any other is an error before there is a
    // display to need; hidden from the help.
    static QList<QCommandLineOption> windowOptions()
    {
        QList<QCommandLineOption> options;
        for (const char *name : {"platform",
                                 "platformpluginpath",
                                 "platformtheme",
                                 "plugin",
                                 "qwindowgeometry",
                                 "qwindowicon",
                                 "qwindowtitle",
                                 "session",
                                 "style",
                                 "stylesheet",
                                 "geometry",
                                 "display",
                                 "title",
                                 "name",
                                 "visual",
                                 "ncols",
                                 "fn",
                                 "font",
                                 "bg",
                                 "background",
                                 "fg",
                                 "foreground",
                                 "btn",
                                 "button",
                                 "im",
                                 "inputstyle",
                                 "qmljsdebugger"})
            options << QCommandLineOption(QString::fromLatin1(name), QString(),
                                          QStringLiteral("value"));
        for (const char *name : {"reverse", "widgetcount", "nograb", "dograb", "sync", "cmap"})
            options << QCommandLineOption(QString::fromLatin1(name), QString());
        for (QCommandLineOption &option : options)
            option.setFlags(QCommandLineOption::HiddenFromHelp);
        return options;
    }
};

// Whether the window has a display to open on. Some platforms draw without
// one (offscreen, to the framebuffer, over VNC); macOS always has one.
bool HasDisplay(const QCommandLineParser &parser, const Options &options)
{
#ifdef Q_OS_MACOS
    Q_UNUSED(parser);
    Q_UNUSED(options);
    return true;
#else
    if (!qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return true;
    QString platforms = qEnvironmentVariable("QT_QPA_PLATFORM");
    if (parser.isSet(options.window.first()))
        platforms = parser.value(options.window.first());
    for (const QString &platform : platforms.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString name = platform.section(QLatin1Char(':'), 0, 0).trimmed();
        for (const char *displayless :
             {"offscreen", "minimal", "minimalegl", "vnc", "eglfs", "linuxfb"})
            if (name == QLatin1String(displayless))
                return true;
    }
    return false;
#endif
}

// One parser for reading and for the help text, so that the two agree.
void setUp(QCommandLineParser &parser, const Options &options)
{
    // "-platform" or "-reverse" (the window's application object takes them)
    // must not read as -p -l -a … or as -v.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(kDescription);
    parser.addOptions({options.convert, options.substituteFonts, options.outputDir, options.pdf,
                       options.quiet, options.watch, options.jobs, options.help,
                       options.version});
    parser.addOptions(options.window);
    parser.addPositionalArgument(QStringLiteral("files"), kFilesArgument, kFilesSyntax);
}

// A run that watches folders: what it must not be given with them.
CommandLine::Action watchAction(const QCommandLineParser &parser, const Options &options,
                                CommandLine &command)
{
    command.watchFolders = parser.values(options.watch);
    if (parser.isSet(options.jobs)) {
        bool number = false;
        command.jobs = parser.value(options.jobs).toInt(&number);
        if (!number || command.jobs < 1 || command.jobs > 64)
            command.error = kBadJobs.arg(parser.value(options.jobs));
    }
    if (parser.isSet(options.convert))
        command.error = kWatchWithConvert;
    else if (!command.files.isEmpty())
        command.error = kWatchTakesNoFiles;
    else if (parser.isSet(options.outputDir) || command.quiet)
        command.error = kWatchOutputDir;
    return command.error.isEmpty() ? CommandLine::Action::Watch : CommandLine::Action::UsageError;
}

CommandLine::Action actionOf(const QCommandLineParser &parser, const Options &options,
                             CommandLine &command)
{
    using Action = CommandLine::Action;
    if (parser.isSet(options.help))
        return Action::Help;
    if (parser.isSet(options.version))
        return Action::Version;
    const bool convert = parser.isSet(options.convert);
    if (!command.error.isEmpty())
        return Action::UsageError;
    if (parser.isSet(options.watch))
        return watchAction(parser, options, command);
    if (parser.isSet(options.jobs)) {
        command.error = kJobsNeedWatch;
        return Action::UsageError;
    }
    if (!convert && !command.substituteFonts && !command.quiet &&
        !parser.isSet(options.outputDir) && !parser.isSet(options.pdf))
        return Action::Window;
    if (!convert)
        command.error = parser.isSet(options.pdf) ? kPdfNeedsConvert : kOptionsNeedConvert;
    else if (command.files.isEmpty())
        command.error = kNoFiles;
    else if (parser.isSet(options.outputDir) && !FolderItem(command.outputFolder).isFolder())
        command.error = kOutputDirNotAFolder.arg(command.outputFolder);
    return command.error.isEmpty() ? Action::Convert : Action::UsageError;
}

} // namespace

QStringList ArgumentsOf(int argc, char **argv)
{
    QStringList arguments;
    // Mostly file names: decoded so that a name that is no UTF-8 still names
    // its file.
    for (int i = 0; i < argc; ++i)
        arguments << DecodeFileName(QByteArray(argv[i]));
    return arguments;
}

CommandLine ParseCommandLine(const QStringList &arguments)
{
    const Options options;
    QCommandLineParser parser;
    setUp(parser, options);
    const bool parsed = parser.parse(arguments);

    CommandLine command;
    command.files = parser.positionalArguments();
    command.substituteFonts = parser.isSet(options.substituteFonts);
    command.quiet = parser.isSet(options.quiet);
    command.outputFolder = parser.value(options.outputDir);
    if (!parsed) {
        command.error = parser.errorText();
    } else if (parser.isSet(options.pdf)) {
        const QString key = parser.value(options.pdf);
        const std::optional<PdfKind> kind = PdfKindFromKey(key.toLower());
        if (kind)
            command.pdfKind = *kind;
        else
            command.error = kUnknownPdfKind.arg(key);
    }
    command.hasDisplay = HasDisplay(parser, options);
    command.action = actionOf(parser, options, command);
    return command;
}

QString CommandLineHelp()
{
    const Options options;
    QCommandLineParser parser;
    setUp(parser, options);
    return parser.helpText();
}

QString OnOneLine(QString text)
{
    for (QChar &c : text) {
        if (c.unicode() < 0x20 || (c.unicode() >= 0x7f && c.unicode() <= 0x9f))
            c = QLatin1Char('?');
    }
    return text;
}

QByteArray ForTerminal(QString text)
{
    // A lone surrogate stands for a byte of a name that is no UTF-8 (see
    // DecodeFileName): it shows as '?', as a control character does, rather
    // than as whatever the encoder makes of half a character.
    for (qsizetype at = 0; at < text.size(); ++at) {
        const QChar c = text.at(at);
        if (c.isHighSurrogate() && at + 1 < text.size() && text.at(at + 1).isLowSurrogate())
            ++at;
        else if (c.isSurrogate())
            text[at] = QLatin1Char('?');
    }
    return text.toLocal8Bit();
}

int ReportUsageError(const QString &error)
{
    const QByteArray text =
        ForTerminal(kUsageErrorHead + OnOneLine(error) + QLatin1Char('\n') + kUsageHint +
                    QLatin1Char('\n'));
    std::fwrite(text.constData(), 1, size_t(text.size()), stderr);
    std::fflush(stderr);
    return 2;
}

QStringList WindowStartFiles(const QStringList &names)
{
    QStringList paths;
    for (const QString &name : names) {
        if (name.startsWith(QLatin1String("file:"), Qt::CaseInsensitive)) {
            const QUrl url(name);
            if (url.isLocalFile()) {
                paths << QFileInfo(url.toLocalFile()).absoluteFilePath();
                continue;
            }
        }
        paths << QFileInfo(name).absoluteFilePath();
    }
    return paths;
}
