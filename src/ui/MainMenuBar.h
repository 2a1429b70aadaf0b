#pragma once

#include <QMenuBar>

class QAction;
class QMenu;

// The application's one menu bar: File (Open, Watch Folder, Stop Watching with
// one item per watched folder, Watch Results, Quit), Edit (the standard editing
// commands), PDF (the kind of PDF to make, one of five) and an empty Help
// menu. Menus and items carry their names as object names, by which they are
// looked up.
class MainMenuBar : public QMenuBar
{
    Q_OBJECT

public:
    // The shared bar, made and filled on the first request and kept until the
    // application object goes.
    static MainMenuBar &instance();

    QMenu *findMenu(const QString &name) const;
    // A menu's own action or one of its items, by name.
    QAction *findItem(const QString &name) const;

private:
    MainMenuBar();

    // The menus, each built and added in turn: File, Edit, PDF, Help.
    void Untitled0();
    void Untitled1();
    void Untitled3();
    void Untitled2();

    void updateEditItems();
};
