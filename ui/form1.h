#pragma once

#include "core/backgroundselection.h"
#include "core/commanddispatcher.h"
#include "core/documentstate.h"
#include "platform/platformservices.h"
#include "settings/form2.h"
#include "settings/settingsstore.h"
#include "settings/shutdown.h"
#include "ui/storedplacement.h"

#include <QMainWindow>

#include <memory>

class MainMenu;
class SessionEnd;
class QMenu;
class TarnBar;
class TextControl;
class TiledPicture;
class HelpLinks;
class frmInfo;
class frmTexture;

// The main window: it builds the controls and wires them to the commands.
class Form1 : public QMainWindow
{
    Q_OBJECT
public:
    explicit Form1(PlatformServices services, QWidget *parent = nullptr);
    ~Form1() override;

    // Runs before the window is first shown. `started` may be the read of the document named
    // in `arguments`, begun before the window existed.
    void startUp(const QStringList &arguments, DocumentRead *started = nullptr);

    TextControl *textBox() const { return m_textBox; }
    TiledPicture *image() const { return m_image; }
    TarnBar *tarnBar() const { return m_tarnBar; }
    QAction *menuAction(const QString &name) const;
    QMenu *editMenu() const;
    DocumentState &document() { return m_document; }
    BackgroundSelection &background() { return m_background; }
    CommandDispatcher &commands() { return *m_commands; }
    // The background chooser and the About box are made on first use and then kept, hidden,
    // until the window goes.
    frmTexture *textureChooser();
    frmInfo *aboutBox();

    void Form_Resize();
    void centreOnScreen();
    SessionSettings currentSession() const;
    // The session manager's request to settle before a logout or shutdown.
    void commitData(SessionEnd &session);

protected:
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void moveEvent(QMoveEvent *event) override;

private:
    void showTitle(const QString &title);
    void createControls();
    void createToolBar();
    void connectMenus();
    void connectDialogs();
    void connectSessionManager();
    void onTextMouseUp(int button);
    void applyStoredSettings(const StartupSettings &stored);

    PlatformServices m_services;
    StoredPlacement m_placement;
    DocumentState m_document;
    BackgroundSelection m_background;
    TextControl *m_textBox = nullptr;
    TiledPicture *m_image = nullptr;
    TarnBar *m_tarnBar = nullptr;
    int m_line2 = -1;
    std::unique_ptr<MainMenu> m_menu;
    std::unique_ptr<CommandDispatcher> m_commands;
    std::unique_ptr<ShutDown> m_shutDown;
    std::unique_ptr<SettingsStore> m_settings;
    std::unique_ptr<Form2> m_associationPrompt;
    frmTexture *m_textureChooser = nullptr;
    frmInfo *m_aboutBox = nullptr;
    std::unique_ptr<HelpLinks> m_helpLinks;
};
