#pragma once

#include <QMenuBar>

class QAction;
class QMenu;

// The application's one menu bar: File (Open, Quit), Edit (the standard editing
// commands) and an empty Help menu. Menus and items carry their names as
// object names, by which they are looked up.
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

    // The three menus, each built and added in turn.
    void Untitled0();
    void Untitled1();
    void Untitled2();

    void updateEditItems();
};
