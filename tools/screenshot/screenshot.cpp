// Takes the README's pictures of the window: the window as the program opens
// it, once its start-up check has ended, in the light or the dark appearance;
// and, in the light one, the progress of a file with two more waiting, a
// batch's progress and its summary in front of the window.
//
//     xvfb-run -a build/pagora_screenshot dark docs/screenshot-dark.png
//     xvfb-run -a build/pagora_screenshot progress docs/screenshot-progress.png
//     xvfb-run -a build/pagora_screenshot batch-progress docs/screenshot-batch-progress.png
//     xvfb-run -a build/pagora_screenshot batch-summary docs/screenshot-batch-summary.png
//     xvfb-run -a build/pagora_screenshot pdf-menu docs/screenshot-pdf-menu.png
//     xvfb-run -a build/pagora_screenshot watching docs/screenshot-watching.png
//     xvfb-run -a build/pagora_screenshot watch-results docs/screenshot-watch-results.png
//
// The dark appearance is a palette set here, as a system in dark mode would
// hand one to the program; the program itself has no switch for it. The
// conversions run on PostScript files written here into a temporary folder:
// for the progress of one file, a document that never ends (so the dialog
// stays up) and two short ones handed over after it, which wait; the program
// ends after the picture, taking the conversion with it. For the batch's
// progress, three short documents and three that never end (the batch is
// cancelled after the picture); for the summary, two short documents, one
// with an error and a text file that is skipped. The
// PDF menu is shown open with "Archive (PDF/A-2b)" checked, without choosing
// it: the settings of whoever takes the picture stay as they are. The window
// watching a folder "PDF-Eingang" is shown once two short documents and one
// with an error have been put into its In and are done; the folder is kept
// in settings of the picture's own, in the temporary folder; with
// watch-results, the list of the files done is in front of it.

#include "app/App.h"
#include "convert/job/ConversionTexts.h"
#include "ui/FolderWatching.h"
#include "ui/Window1.h"
#include "ui/WindowTexts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QPalette>
#include <QSettings>
#include <QStyle>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <functional>
#include <optional>
#include <utility>

namespace {

QPalette darkPalette()
{
    QPalette palette;
    const QColor window(0x24, 0x25, 0x28);
    const QColor text(0xe8, 0xea, 0xed);
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Base, QColor(0x1c, 0x1d, 0x20));
    palette.setColor(QPalette::AlternateBase, QColor(0x2c, 0x2d, 0x31));
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::Button, QColor(0x3a, 0x3b, 0x3f));
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::Light, QColor(0x4a, 0x4b, 0x50));
    palette.setColor(QPalette::Midlight, QColor(0x40, 0x41, 0x45));
    palette.setColor(QPalette::Mid, QColor(0x30, 0x31, 0x35));
    palette.setColor(QPalette::Dark, QColor(0x18, 0x19, 0x1b));
    palette.setColor(QPalette::Shadow, Qt::black);
    palette.setColor(QPalette::BrightText, Qt::white);
    palette.setColor(QPalette::Highlight, QColor(0x8a, 0xb4, 0xf8));
    palette.setColor(QPalette::HighlightedText, window);
    return palette;
}

enum class Mode {
    Light,
    Dark,
    Progress,
    BatchProgress,
    BatchSummary,
    PdfMenu,
    Watching,
    WatchResults
};

std::optional<Mode> modeNamed(const char *name)
{
    const std::pair<const char *, Mode> modes[] = {{"light", Mode::Light},
                                                   {"dark", Mode::Dark},
                                                   {"progress", Mode::Progress},
                                                   {"batch-progress", Mode::BatchProgress},
                                                   {"batch-summary", Mode::BatchSummary},
                                                   {"pdf-menu", Mode::PdfMenu},
                                                   {"watching", Mode::Watching},
                                                   {"watch-results", Mode::WatchResults}};
    for (const auto &[modeName, mode] : modes) {
        if (std::strcmp(name, modeName) == 0)
            return mode;
    }
    return std::nullopt;
}

const QByteArray kShortDocument = "%!PS\n/Helvetica findfont 24 scalefont setfont\n"
                                  "72 720 moveto (Hallo) show\nshowpage\n";
const QByteArray kEndlessDocument = "%!PS\n{} loop\n";
const QByteArray kFailingDocument = "%!PS\n/Helvetica findfont 24 scalefont setfont\n"
                                    "72 720 moveto (vor dem Fehler) show\n"
                                    "thisoperatordoesnotexist\nshowpage\n";

// Writes the files of a batch into folder and returns their paths, in order.
QStringList writeFiles(const QDir &folder, const QList<std::pair<QString, QByteArray>> &files)
{
    QStringList paths;
    for (const auto &[name, contents] : files) {
        QFile file(folder.filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(contents) != contents.size())
            return {};
        paths.append(file.fileName());
    }
    return paths;
}

// The window with a dialog in front of it where it stands on the screen,
// outlined as a window manager would frame it.
QImage windowWithDialog(QWidget &window, QWidget &dialog)
{
    const QRect windowRect(window.mapToGlobal(QPoint(0, 0)), window.size());
    const QRect dialogRect(dialog.mapToGlobal(QPoint(0, 0)), dialog.size());
    const QRect all = windowRect.united(dialogRect.adjusted(-1, -1, 1, 1));
    const qreal ratio = window.devicePixelRatioF();
    QImage image((QSizeF(all.size()) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.drawPixmap(windowRect.topLeft() - all.topLeft(), window.grab());
    const QRect frame = dialogRect.translated(-all.topLeft()).adjusted(-1, -1, 0, 0);
    painter.setPen(window.palette().color(QPalette::Shadow));
    painter.drawRect(frame);
    painter.drawPixmap(dialogRect.topLeft() - all.topLeft(), dialog.grab());
    return image;
}

// Calls then with the first top-level widget that found returns, looking
// every 50 ms; gives up after 20 seconds.
void whenShown(const std::function<QWidget *()> &found, const std::function<void(QWidget *)> &then,
               int triesLeft = 400)
{
    if (QWidget *widget = found()) {
        then(widget);
        return;
    }
    if (triesLeft == 0) {
        std::fprintf(stderr, "the dialog did not appear\n");
        QCoreApplication::exit(1);
        return;
    }
    QTimer::singleShot(50, qApp,
                       [found, then, triesLeft] { whenShown(found, then, triesLeft - 1); });
}

QMessageBox *summaryBox()
{
    return qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
}

// The progress dialog of that name once its line of that name reads text.
QDialog *progressShowing(const QString &name, const QString &line, const QString &text)
{
    const QWidgetList widgets = QApplication::topLevelWidgets();
    for (QWidget *widget : widgets) {
        if (widget->objectName() != name || !widget->isVisible())
            continue;
        const auto *label = widget->findChild<QLabel *>(line);
        if (label && label->text() == text)
            return qobject_cast<QDialog *>(widget);
    }
    return nullptr;
}

} // namespace

int main(int argc, char **argv)
{
    const std::optional<Mode> mode = argc == 3 ? modeNamed(argv[1]) : std::nullopt;
    if (!mode) {
        std::fprintf(stderr,
                     "usage: %s dark|light|progress|batch-progress|batch-summary|pdf-menu|"
                     "watching|watch-results OUTPUT.png\n",
                     argv[0]);
        return 2;
    }
    App::prepare();
    App app(argc, argv);
    QApplication::setPalette(*mode == Mode::Dark ? darkPalette()
                                                 : QApplication::style()->standardPalette());
    const QString output = QString::fromLocal8Bit(argv[2]);
    QTemporaryDir folder;
    if (!folder.isValid()) {
        std::fprintf(stderr, "no temporary folder\n");
        return 1;
    }

    const bool watching = *mode == Mode::Watching || *mode == Mode::WatchResults;
    if (watching) {
        for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})
            QSettings::setPath(format, QSettings::UserScope, folder.filePath("settings"));
    }
    Window1 window;
    int status = 1;
    const auto save = [&](const QImage &image) {
        if (image.save(output))
            return true;
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        QCoreApplication::exit(1);
        return false;
    };
    // Once the summary has been answered, the batch is over.
    QObject::connect(&window, &Window1::batchFinished, &app,
                     [&] { QCoreApplication::exit(status); });
    QObject::connect(&window, &Window1::opened, &app, [&] {
        const QDir dir(folder.path());
        if (*mode == Mode::Light || *mode == Mode::Dark) {
            // One more turn of the loop, so that every paint has been done.
            QTimer::singleShot(200, &app, [&] {
                status = save(window.grab().toImage()) ? 0 : 1;
                QCoreApplication::exit(status);
            });
        } else if (*mode == Mode::PdfMenu) {
            QMenu *menu = window.PdfMenu();
            window.PdfArchive()->setChecked(true);
            QMenuBar *bar = window.menuBar();
            menu->popup(bar->mapToGlobal(bar->actionGeometry(menu->menuAction()).bottomLeft()));
            QTimer::singleShot(300, &app, [&, menu] {
                status = save(windowWithDialog(window, *menu)) ? 0 : 1;
                QCoreApplication::exit(status);
            });
        } else if (watching) {
            const QString watched = dir.filePath(QStringLiteral("PDF-Eingang"));
            if (!window.Watching().watch(watched, PdfKind::Standard)) {
                QCoreApplication::exit(1);
                return;
            }
            writeFiles(QDir(watched + QStringLiteral("/In")),
                       {{QStringLiteral("Angebot.ps"), kShortDocument},
                        {QStringLiteral("Brief.ps"), kShortDocument},
                        {QStringLiteral("Entwurf.ps"), kFailingDocument}});
            whenShown(
                [&window]() -> QWidget * {
                    return window.Watching().results().size() == 3 ? &window : nullptr;
                },
                [&](QWidget *) {
                    QWidget *results = nullptr;
                    if (*mode == Mode::WatchResults) {
                        window.FileWatchResults_Action();
                        results = window.findChild<QDialog *>(QStringLiteral("watchResults"));
                        results->resize(460, 200);
                        results->move(window.mapToGlobal(QPoint(-25, 190)));
                    }
                    QTimer::singleShot(300, &app, [&, results] {
                        const QImage image =
                            results ? windowWithDialog(window, *results) : window.grab().toImage();
                        status = save(image) ? 0 : 1;
                        QCoreApplication::exit(status);
                    });
                });
        } else if (*mode == Mode::Progress) {
            const QStringList files =
                writeFiles(dir, {{QStringLiteral("Jahresbericht.ps"), kEndlessDocument},
                                 {QStringLiteral("Angebot.ps"), kShortDocument},
                                 {QStringLiteral("Brief.ps"), kShortDocument}});
            window.ConvertFiles({files.at(0)});
            window.ConvertFiles({files.at(1)});
            window.ConvertFiles({files.at(2)});
            // "2 weitere Dateien warten", in the language the window speaks.
            const QString waiting = WindowTexts::Counted(WindowTexts::kFilesWaiting, 2);
            whenShown(
                [waiting] {
                    return progressShowing(QStringLiteral("conversionProgress"),
                                           QStringLiteral("waiting"), waiting);
                },
                [&](QWidget *progress) {
                    QTimer::singleShot(200, &app, [&, progress] {
                        status = save(windowWithDialog(window, *progress)) ? 0 : 1;
                        QCoreApplication::exit(status);
                    });
                });
        } else if (*mode == Mode::BatchProgress) {
            const QStringList files =
                writeFiles(dir, {{QStringLiteral("Angebot.ps"), kShortDocument},
                                 {QStringLiteral("Brief.ps"), kShortDocument},
                                 {QStringLiteral("Lieferschein.ps"), kShortDocument},
                                 {QStringLiteral("Jahresbericht.ps"), kEndlessDocument},
                                 {QStringLiteral("Katalog.ps"), kEndlessDocument},
                                 {QStringLiteral("Preisliste.ps"), kEndlessDocument}});
            window.ConvertFiles(files);
            // The short ones are done and the endless ones run: "3 von 6".
            // "3 von 6 Dateien", in the language the window speaks.
            const QString count =
                ConversionTexts::Counted(ConversionTexts::kBatchProgress, 6).arg(3);
            whenShown(
                [count] {
                    return progressShowing(QStringLiteral("batchProgress"), QStringLiteral("count"),
                                           count);
                },
                [&](QWidget *progress) {
                    QTimer::singleShot(200, &app, [&, progress] {
                        if (!save(windowWithDialog(window, *progress)))
                            return;
                        status = 0;
                        progress->findChild<QAbstractButton *>(QStringLiteral("cancelButton"))
                            ->click();
                        whenShown(summaryBox,
                                  [](QWidget *box) { static_cast<QMessageBox *>(box)->accept(); });
                    });
                });
        } else {
            const QStringList files =
                writeFiles(dir, {{QStringLiteral("Angebot.ps"), kShortDocument},
                                 {QStringLiteral("Brief.ps"), kShortDocument},
                                 {QStringLiteral("Entwurf.ps"), kFailingDocument},
                                 {QStringLiteral("Notizen.txt"), "Notizen\n"}});
            window.ConvertFiles(files);
            whenShown(summaryBox, [&](QWidget *box) {
                QTimer::singleShot(200, &app, [&, box] {
                    if (!save(windowWithDialog(window, *box)))
                        return;
                    status = 0;
                    static_cast<QMessageBox *>(box)->accept();
                });
            });
        }
    });
    window.show();
    app.exec();
    return status;
}
