#pragma once

#include "convert/GhostscriptLocator.h"
#include "install/InstallTexts.h"

#include <QMainWindow>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <memory>

class ConversionJob;
class DropCanvas;
class MainMenuBar;
class MessagePresenter;
class PictureCache;
class QAction;
class QLabel;
class QMenu;
class QPainter;
class QPushButton;
class SaveFileChooser;
class UrlOpener;

// What the main window works with. A service left empty is the Qt-backed one
// on the window; tests put in their own to answer dialogs and watch requests.
struct Window1Services {
    MessagePresenter *dialogs = nullptr;
    UrlOpener *urls = nullptr;
    SaveFileChooser *saveChooser = nullptr;
    PictureCache *logo = nullptr; // nullptr: the logo from the resources
    QStringList dropCandidates = kDropTimeCandidates;
    QStringList probeCandidates = kProbeCandidates;
    QStringList brewLocations = kBrewLocations;
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
    QMenu *FileMenu() const;
    QAction *FileQuit() const;
    QMenu *EditMenu() const;
    QAction *EditUndo() const;
    QAction *EditSeparator1() const;
    QAction *EditCut() const;
    QAction *EditCopy() const;
    QAction *EditPaste() const;
    QAction *EditClear() const;
    QAction *EditSeparator2() const;
    QAction *EditSelectAll() const;
    QMenu *HelpMenu() const;

    void Event_Opening();
    void Event_Closing();
    void Canvas1_Opening();
    void Canvas1_Paint(QPainter &painter);
    void Canvas1_DropObject(const QStringList &paths);
    void Button1_Pressed();

    // The conversion the window runs now, or null.
    ConversionJob *RunningConversion() const;

signals:
    // Event_Opening has run (whatever its dialog was answered).
    void opened();
    // A conversion started by a drop has ended, its dialogs answered.
    void conversionFinished();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void Layout();
    void CreateControls();
    // Runs a handler so that no exception leaves it for the event loop: the
    // user is told instead.
    void runHandler(const std::function<void()> &handler);

    std::unique_ptr<MessagePresenter> m_ownDialogs;
    std::unique_ptr<UrlOpener> m_ownUrls;
    std::unique_ptr<SaveFileChooser> m_ownSaveChooser;
    Window1Services m_services;
    bool m_opened = false;
    QPointer<ConversionJob> m_conversion;
    QList<QStringList> m_waitingDrops;
};
