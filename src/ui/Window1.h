#pragma once

#include "convert/pdf/PdfKind.h"
#include "install/GhostscriptLocator.h"
#include "install/InstallTexts.h"
#include "ui/LabelBackdrop.h"

#include <QMainWindow>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class ConversionJob;
class DropCanvas;
class FolderChooser;
class FolderWatching;
class FontListing;
struct FontOverviewResult;
class InstallationHelp;
class MainMenuBar;
class MessagePresenter;
class OpenFilesChooser;
class PdfKindChoice;
class PictureCache;
class QAction;
class QLabel;
class QMenu;
class QPainter;
class QPushButton;
class SaveFileChooser;
class StartupCheck;
class UrlOpener;
class WindowConversions;

// What the main window works with. A service left empty is the Qt-backed one
// on the window; tests put in their own to answer dialogs and watch requests.
struct Window1Services {
    MessagePresenter *dialogs = nullptr;
    UrlOpener *urls = nullptr;
    SaveFileChooser *saveChooser = nullptr;
    OpenFilesChooser *openChooser = nullptr;
    FolderChooser *folderChooser = nullptr;
    PictureCache *logo = nullptr; // nullptr: the logo from the resources
    QStringList dropCandidates = kDropTimeCandidates;
    QStringList probeCandidates = kProbeCandidates;
    QStringList brewLocations = kBrewLocations;
    QStringList osReleaseFiles = kOsReleaseFiles;
};

// The program's window: the drop zone with the logo and its instruction, the
// notice about Ghostscript and the font overview button. Its handlers only
// hand over to the operations that do the work.
class Window1 : public QMainWindow
{
    Q_OBJECT

public:
    static constexpr int kWidth = 410;
    static constexpr int kHeight = 526;

    explicit Window1(Window1Services services = {});
    ~Window1() override;

    DropCanvas *Canvas1() const;
    QLabel *Label1() const;
    QLabel *Label2() const;
    QPushButton *Button1() const;

    MainMenuBar &MenuBar() const;
    QMenu *FileMenu() const { return menu("FileMenu"); }
    QAction *FileOpen() const { return item("FileOpen"); }
    QAction *FileWatchFolder() const { return item("FileWatchFolder"); }
    // A submenu: its menu() holds one item per watched folder.
    QAction *FileStopWatching() const { return item("FileStopWatching"); }
    QAction *FileWatchResults() const { return item("FileWatchResults"); }
    QAction *FileQuit() const { return item("FileQuit"); }
    QMenu *EditMenu() const { return menu("EditMenu"); }
    QAction *EditUndo() const { return item("EditUndo"); }
    QAction *EditSeparator1() const { return item("EditSeparator1"); }
    QAction *EditCut() const { return item("EditCut"); }
    QAction *EditCopy() const { return item("EditCopy"); }
    QAction *EditPaste() const { return item("EditPaste"); }
    QAction *EditClear() const { return item("EditClear"); }
    QAction *EditSeparator2() const { return item("EditSeparator2"); }
    QAction *EditSelectAll() const { return item("EditSelectAll"); }
    QMenu *PdfMenu() const { return menu("PdfMenu"); }
    QAction *PdfStandard() const { return item("PdfStandard"); }
    QAction *PdfArchive() const { return item("PdfArchive"); }
    QAction *PdfPrint() const { return item("PdfPrint"); }
    QAction *PdfSmallFile() const { return item("PdfSmallFile"); }
    QAction *PdfGrayscale() const { return item("PdfGrayscale"); }
    QMenu *HelpMenu() const { return menu("HelpMenu"); }

    void Event_Opening();
    void Event_Closing();
    void Canvas1_Opening();
    void Canvas1_Paint(QPainter &painter);
    void Canvas1_DropObject(const QStringList &paths);
    void Button1_Pressed();
    // File › Open: the open dialog, whose chosen files are converted; while
    // others convert, they wait for their turn. The item is off, and does
    // nothing, while the window is busy, while a conversion's dialog waits for
    // an answer, and while the open dialog is open.
    void FileOpen_Action();
    // File › Watch Folder…: the folder dialog; the folder chosen is watched
    // with the PDF menu's kind, now and after a restart, once the start-up
    // check has found Ghostscript.
    void FileWatchFolder_Action();
    // File › Watch Results…, or the counts in the window's line: the list of
    // the watched files done, not holding the window.
    void FileWatchResults_Action();
    FolderWatching &Watching() const { return *m_watching; }

    // The kind of PDF that drops, File › Open, handed files and batches make
    // from now on, as the PDF menu has it.
    PdfKind pdfKind() const;

    // Files handed to the window from anywhere (File › Open, the command
    // line, the system's "Open With"): they wait for their turn, then one file
    // is converted as a single drop, several (or a folder) as a batch.
    void ConvertFiles(const QStringList &paths);

    // The conversion the window runs now, or null.
    ConversionJob *RunningConversion() const;
    // The start-up check has not ended yet, or the font overview runs (each
    // until its last dialog is answered), or the folder dialog or a message
    // about a watched folder is up: a drop now would be converted while
    // their dialogs are on screen or between their steps, so it waits until
    // the window is free.
    bool isBusy() const;

signals:
    // The start-up check that Event_Opening started has ended (whatever its
    // dialog was answered).
    void opened();
    // A conversion started by a drop has ended, its dialogs answered.
    void conversionFinished();
    // A batch has ended, its summary answered.
    void batchFinished();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    QMenu *menu(const char *name) const;
    QAction *item(const char *name) const;
    void Layout();
    void CreateControls();
    // The failure dialog; answered runs once the person has answered it.
    void showFailure(const QString &reason, const std::function<void()> &answered = {});
    void startupCheckFinished();
    void startupCheckEnded();
    void filesChosen(const QStringList &paths);
    bool fileOpenAvailable() const;
    void updateFileOpen();
    void CreateWatchLine();
    // The line below the window's controls shows while a folder is watched.
    void updateWatching();
    // For this system, as the services say where to look.
    InstallationHelp installationHelp() const;
    void fontsListed(const QStringList &names);
    void fontOverviewFinished(const FontOverviewResult &result);

    std::unique_ptr<MessagePresenter> m_ownDialogs;
    std::unique_ptr<UrlOpener> m_ownUrls;
    std::unique_ptr<SaveFileChooser> m_ownSaveChooser;
    std::unique_ptr<OpenFilesChooser> m_ownOpenChooser;
    std::unique_ptr<FolderChooser> m_ownFolderChooser;
    Window1Services m_services;
    StartupCheck *m_startupCheck = nullptr;
    FontListing *m_fontListing = nullptr;
    bool m_opened = false;
    WindowConversions *m_conversions = nullptr;
    PdfKindChoice *m_pdfKind = nullptr;
    FolderWatching *m_watching = nullptr;
    QPointer<QWidget> m_watchResults;
    bool m_startupChecked = false;
    // Why the start-up check's help failed, until it is told.
    std::optional<QString> m_startupFailure;
    bool m_fontOverviewRunning = false;
    bool m_openDialogShowing = false;
    // Label1 lies on the logo: its text takes a colour that stands out
    // against the pixels behind it.
    LabelBackdrop m_label1Backdrop;
};
