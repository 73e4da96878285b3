#include "ui/mainmenu.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

namespace {

struct Entry
{
    const char *name;
    const char *caption; // "-" makes a separator
    QKeyCombination shortcut = {};
    // The older key that every standard edit control also takes for the command; the menu
    // shows only the first.
    QKeyCombination classicShortcut = {};
};

struct Menu
{
    const char *name;
    const char *caption;
    std::initializer_list<Entry> entries;
};

// Separator names carry no order; they are names only.
const Menu MenuTree[] = {
    { "mnuBestand",
        "&File",
        {
            { "mnuNew", "&New", Qt::CTRL | Qt::Key_N },
            { "mnuOpen", "&Open...", Qt::CTRL | Qt::Key_O },
            { "mnuSave", "&Save", Qt::CTRL | Qt::Key_S },
            { "mnuSaveAs", "Save &as..." },
            { "mnuSep1", "-" },
            { "mnuPrint", "&Print...", Qt::CTRL | Qt::Key_P },
            { "mnuSep2", "-" },
            { "mnuExit", "E&xit" },
        } },
    { "mnuEdit",
        "E&dit",
        {
            { "mnuUndo", "&Undo", Qt::CTRL | Qt::Key_Z },
            { "mnuSep4", "-" },
            { "mnuCut", "&Cut", Qt::CTRL | Qt::Key_X, Qt::SHIFT | Qt::Key_Delete },
            { "mnuCopy", "C&opy", Qt::CTRL | Qt::Key_C, Qt::CTRL | Qt::Key_Insert },
            { "mnuPaste", "&Paste", Qt::CTRL | Qt::Key_V, Qt::SHIFT | Qt::Key_Insert },
            { "mnuSep3", "-" },
            { "mnuSelectAll", "&Select all", Qt::CTRL | Qt::Key_A },
            { "mnuFind", "&Find...", Qt::CTRL | Qt::Key_F },
        } },
    { "mnuExtra",
        "E&xtra",
        {
            { "mnuWordwrap", "&Wordwrap" },
            { "mnuSep7", "-" },
            { "mnuOpties", "&Font..." },
            { "mnuTexture", "&Background..." },
            { "mnuSep8", "-" },
            { "mnuCenter", "&Center OmrikNote" },
        } },
    { "mnuHelp",
        "&Help",
        {
            { "mnuInternet", "&OMRIK - The Mavren homepage" },
            { "mnuSendMail", "&Send e-mail" },
            { "mnuSep6", "-" },
            { "mnuInfo", "&About..." },
        } },
};

} // namespace

MainMenu::MainMenu(QMenuBar *bar)
{
    for (const Menu &menuEntry : MenuTree) {
        QMenu *menu = bar->addMenu(QString::fromUtf8(menuEntry.caption));
        menu->setObjectName(QString::fromLatin1(menuEntry.name));
        menu->menuAction()->setObjectName(QString::fromLatin1(menuEntry.name));
        m_menus.insert(menu->objectName(), menu);
        for (const Entry &entry : menuEntry.entries) {
            const QString caption = QString::fromUtf8(entry.caption);
            QAction *action
                = caption == QLatin1String("-") ? menu->addSeparator() : menu->addAction(caption);
            action->setObjectName(QString::fromLatin1(entry.name));
            if (entry.classicShortcut.key() != Qt::Key_unknown)
                action->setShortcuts(
                    { QKeySequence(entry.shortcut), QKeySequence(entry.classicShortcut) });
            else if (entry.shortcut.key() != Qt::Key_unknown)
                action->setShortcut(QKeySequence(entry.shortcut));
            m_actions.insert(action->objectName(), action);
        }
    }
    m_actions.value(QStringLiteral("mnuWordwrap"))->setCheckable(true);
}
