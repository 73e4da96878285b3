#pragma once

#include <QHash>
#include <QString>

class QAction;
class QMenu;
class QMenuBar;

// The window's menu tree. Every entry is reachable by its name (mnuSave, mnuEdit, ...).
class MainMenu
{
public:
    explicit MainMenu(QMenuBar *bar);

    QAction *action(const QString &name) const { return m_actions.value(name); }
    QMenu *menu(const QString &name) const { return m_menus.value(name); }

private:
    QHash<QString, QAction *> m_actions;
    QHash<QString, QMenu *> m_menus;
};
