// Start-up: from the start of the process to the main window shown with the
// start-up probe done (offscreen), against what it cannot do without: the
// probe's own commands run alone, plus the start of an empty Qt window. The
// three are run side by side, round by round; the ratio is taken within a
// round and its median reported.
//
//   pagora_startup_bench [--rounds N]
//   pagora_startup_bench --pagora | --empty-window      (the children)
//
// A child prints the moments it reaches, on the machine's monotonic clock,
// which the parent shares, so the time up to its main() is counted too.

#include "support/ChildProcess.h"
#include "support/Figures.h"

#include "app/App.h"
#include "install/GhostscriptLocator.h"
#include "ui/Window1.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QMetaObject>
#include <QTemporaryDir>
#include <QWidget>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr double kStartupTarget = 1.5; // ours / (probe commands + empty window)

using Clock = std::chrono::steady_clock;

void stamp(const char *moment)
{
    std::printf("%s %lld\n", moment,
                static_cast<long long>(Clock::now().time_since_epoch().count()));
    std::fflush(stdout);
}

// The application object as main() makes it, timing two kinds of event: the
// window's paints (an expose or an update request paints the whole window),
// and the queued call that runs the opening handler with its probe. The
// paints the probe's wait lets through happen inside that call.
class TimedApp : public App
{
public:
    using App::App;

    bool notify(QObject *receiver, QEvent *event) override
    {
        const QEvent::Type type = event->type();
        const bool paint = type == QEvent::Expose || type == QEvent::UpdateRequest;
        if (!paint && type != QEvent::MetaCall)
            return App::notify(receiver, event);
        const Clock::time_point start = Clock::now();
        const bool handled = App::notify(receiver, event);
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        if (paint)
            paintSeconds += seconds;
        else
            longestCallSeconds = std::max(longestCallSeconds, seconds);
        return handled;
    }

    double paintSeconds = 0;
    double longestCallSeconds = 0;
};

void report(const char *what, double seconds)
{
    std::printf("%s %.9f\n", what, seconds);
    std::fflush(stdout);
}

// The program's own start, as main() does it, up to the window's "opened".
int runPagora(int argc, char **argv)
{
    stamp("main");
    App::prepare();
    TimedApp app(argc, argv);
    stamp("application");
    Window1 window;
    stamp("window");
    QObject::connect(&window, &Window1::opened, &app, [&app] {
        stamp("opened");
        app.quit();
    });
    window.show();
    stamp("shown");
    const int status = app.exec();
    report("paint", app.paintSeconds);
    report("handler", app.longestCallSeconds);
    return status;
}

// The least a Qt window needs: shown, and the event loop turning once after
// the show, as the main window's opening handler runs then.
class EmptyWindow : public QWidget
{
protected:
    void showEvent(QShowEvent *event) override
    {
        QWidget::showEvent(event);
        QMetaObject::invokeMethod(
            this,
            [] {
                stamp("opened");
                QCoreApplication::quit();
            },
            Qt::QueuedConnection);
    }
};

int runEmptyWindow(int argc, char **argv)
{
    stamp("main");
    QApplication app(argc, argv);
    stamp("application");
    EmptyWindow window;
    window.resize(Window1::kWidth, Window1::kHeight);
    stamp("window");
    window.show();
    stamp("shown");
    return app.exec();
}

// The moments a child printed, in seconds after its spawn.
std::map<std::string, double> runStamped(const std::string &self, const char *mode,
                                         const QString &folder)
{
    const std::string out = (folder + QStringLiteral("/stamps.txt")).toStdString();
    const Clock::time_point start = Clock::now();
    const ChildRun run = RunChild({self, mode}, out);
    std::map<std::string, double> moments;
    QFile file(QString::fromStdString(out));
    if (run.exitCode != 0 || !file.open(QIODevice::ReadOnly))
        return moments;
    while (!file.atEnd()) {
        const QList<QByteArray> fields = file.readLine().trimmed().split(' ');
        if (fields.size() != 2)
            continue;
        // A moment on the shared clock, or a duration in seconds.
        if (fields.at(1).contains('.')) {
            moments[fields.at(0).toStdString()] = fields.at(1).toDouble();
            continue;
        }
        const Clock::time_point at{Clock::duration(fields.at(1).toLongLong())};
        moments[fields.at(0).toStdString()] = std::chrono::duration<double>(at - start).count();
    }
    return moments;
}

// The start-up probe's commands, one after the other as the probe runs them,
// up to the first Ghostscript that answers. The seconds and how many ran.
std::pair<double, int> runProbeCommands(const QString &folder)
{
    const std::string out = (folder + QStringLiteral("/probe.txt")).toStdString();
    const Clock::time_point start = Clock::now();
    int runs = 0;
    for (const QString &candidate : kProbeCandidates) {
        ++runs;
        // Started directly, as the probe starts them (no shell in between).
        const ChildRun run = RunChild({candidate.toStdString(), "-version"}, out, out);
        QFile output(QString::fromStdString(out));
        if (run.exitCode == 0 && output.open(QIODevice::ReadOnly) &&
            output.readAll().toLower().contains("ghostscript"))
            break;
    }
    return {std::chrono::duration<double>(Clock::now() - start).count(), runs};
}

} // namespace

int main(int argc, char **argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "--pagora")
        return runPagora(argc, argv);
    if (mode == "--empty-window")
        return runEmptyWindow(argc, argv);

    int rounds = 9;
    if (mode == "--rounds" && argc > 2)
        rounds = std::max(1, std::atoi(argv[2]));
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const std::string self =
        QFileInfo(QString::fromLocal8Bit(argv[0])).absoluteFilePath().toStdString();
    QTemporaryDir folder;

    const char *const moments[] = {"main", "application", "window", "shown", "opened"};
    std::map<std::string, std::vector<double>> ours;
    std::map<std::string, std::vector<double>> empty;
    std::vector<double> probe;
    std::vector<double> ratios;
    int probeRuns = 0;
    // Round 0 loads the libraries into the page cache and is not counted.
    for (int round = 0; round <= rounds; ++round) {
        std::map<std::string, double> pagora;
        std::map<std::string, double> window;
        double probeSeconds = 0;
        for (int k = 0; k < 3; ++k) {
            switch ((round + k) % 3) {
            case 0:
                pagora = runStamped(self, "--pagora", folder.path());
                break;
            case 1:
                window = runStamped(self, "--empty-window", folder.path());
                break;
            default:
                std::tie(probeSeconds, probeRuns) = runProbeCommands(folder.path());
            }
        }
        if (!pagora.count("opened") || !pagora.count("handler") || !window.count("opened")) {
            std::fprintf(stderr, "a start did not reach its window\n");
            return 1;
        }
        if (round == 0)
            continue;
        for (const char *moment : moments) {
            ours[moment].push_back(pagora.at(moment));
            empty[moment].push_back(window.at(moment));
        }
        ours["paint"].push_back(pagora.at("paint"));
        ours["handler"].push_back(pagora.at("handler"));
        probe.push_back(probeSeconds);
        ratios.push_back(pagora.at("opened") / (probeSeconds + window.at("opened")));
    }

    auto median = [](const std::vector<double> &values) { return Median(values) * 1e3; };
    auto step = [](const std::map<std::string, std::vector<double>> &moments, const char *from,
                   const char *to) {
        std::vector<double> steps;
        for (std::size_t i = 0; i < moments.at(to).size(); ++i)
            steps.push_back(moments.at(to)[i] - (from ? moments.at(from)[i] : 0));
        return Median(steps) * 1e3;
    };
    std::printf("Start-up (QT_QPA_PLATFORM=%s), %d rounds after one warm-up, medians in ms\n",
                qgetenv("QT_QPA_PLATFORM").constData(), rounds);
    std::printf("  Pagora to the window shown with the probe done  %8.1f\n",
                median(ours.at("opened")));
    std::printf("    process start to main()                        %8.1f\n",
                step(ours, nullptr, "main"));
    std::printf("    application object and menu bar                %8.1f\n",
                step(ours, "main", "application"));
    std::printf("    main window built                              %8.1f\n",
                step(ours, "application", "window"));
    std::printf("    window shown                                   %8.1f\n",
                step(ours, "window", "shown"));
    std::printf("    first turns of the event loop                  %8.1f\n",
                step(ours, "shown", "opened"));
    std::printf("      opening handler: the probe, %d command%s      %8.1f\n", probeRuns,
                probeRuns == 1 ? "" : "s", median(ours.at("handler")));
    std::printf("      paint of the window (also inside the probe)  %8.1f\n",
                median(ours.at("paint")));
    std::printf("  probe commands alone (%d, started directly)      %8.1f\n", probeRuns,
                median(probe));
    std::printf("  empty Qt window to shown and one loop turn       %8.1f\n",
                median(empty.at("opened")));
    std::printf("    process start to main()                        %8.1f\n",
                step(empty, nullptr, "main"));
    std::printf("    application object                             %8.1f\n",
                step(empty, "main", "application"));
    auto inMs = [](std::vector<double> values) {
        for (double &value : values)
            value *= 1e3;
        return Joined(values, "%.1f");
    };
    std::printf("  raw Pagora ms   %s\n", inMs(ours.at("opened")).c_str());
    std::printf("  raw probe ms    %s\n", inMs(probe).c_str());
    std::printf("  raw empty ms    %s\n", inMs(empty.at("opened")).c_str());
    const double ratio = Median(ratios);
    std::printf("TARGET start-up: Pagora / (probe commands + empty window) %.2f (target <= %.1f): "
                "%s\n",
                ratio, kStartupTarget, Verdict(ratio <= kStartupTarget));
    return 0;
}
