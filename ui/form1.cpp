#include "ui/form1.h"

#include "core/documentread.h"
#include "core/fileurl.h"
#include "dialogs/fontcommand.h"
#include "dialogs/frminfo.h"
#include "dialogs/frmtexture.h"
#include "dialogs/helplinks.h"
#include "engine/textcontrol.h"
#include "platform/dialoggeometry.h"
#include "platform/sessionend.h"
#include "platform/sharppixmap.h"
#include "platform/tiledpicture.h"
#include "platform/twips.h"
#include "settings/startup.h"
#include "ui/formlayout.h"
#include "ui/mainmenu.h"
#include "ui/softbutton.h"
#include "ui/tarnbar.h"
#include "ui/tbsmallsep.h"
#include "ui/windowplacement.h"

#include <QCloseEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QTimer>

#include <algorithm>

namespace {

struct ToolbarButton
{
    int index;
    double left;
    const char *glyph;
    const char *tooltip;
};

// Left to right; Copy stands before Paste although its command number is higher.
const ToolbarButton ToolbarButtons[] = {
    { 0, 210, "new", "New" },
    { 1, 570, "open", "Open..." },
    { 2, 930, "save", "Save" },
    { 3, 1290, "print", "Print..." },
    { 4, 1770, "cut", "Cut" },
    { 6, 2130, "copy", "Copy" },
    { 5, 2490, "paste", "Paste" },
    { 7, 2850, "undo", "Undo" },
    { 8, 3300, "find", "Find..." },
};

// A window narrower than this cuts buttons off the toolbar, and one of a few twips is too
// thin to be seen at all.
double toolbarButtonsWidth()
{
    double right = 0;
    for (const ToolbarButton &entry : ToolbarButtons)
        right = std::max(right, entry.left + Softbutton::Side);
    return right;
}

} // namespace

Form1::Form1(PlatformServices services, QWidget *parent)
    : QMainWindow(parent)
    , m_services(std::move(services))
    , m_placement(*this)
{
    showTitle(m_document.title());
    setWindowIcon(sharpIcon(QStringLiteral(":/assets/omriknote.xpm")));
    createControls();
    createToolBar();
    m_commands = std::make_unique<CommandDispatcher>(m_document,
        *m_textBox,
        *m_services.commonDialog,
        *m_services.prompter,
        *m_services.printer,
        *m_services.files);
    m_settings = std::make_unique<SettingsStore>(*m_services.settings);
    m_shutDown = std::make_unique<ShutDown>(
        *m_commands,
        [this] {
            m_settings->SaveRegisterSettings(currentSession());
        },
        m_services.endProgram);
    m_menu = std::make_unique<MainMenu>(menuBar());
    connectMenus();
    connectDialogs();
    connectSessionManager();
    setAcceptDrops(true);
    connect(&m_document, &DocumentState::titleChanged, this, &Form1::showTitle);
    connect(m_textBox, &TextControl::changed, this, [this] {
        m_document.setTextChanged(true);
    });
    connect(m_textBox, &TextControl::mouseUp, this, [this](int button) {
        onTextMouseUp(button);
    });
    resize(twipsToPixels(7575), twipsToPixels(4845) + menuBar()->sizeHint().height());
}

Form1::~Form1() = default;

void Form1::showTitle(const QString &title)
{
    // Qt takes "[*]" in a title as the place of a modified mark; in a file name it is part of
    // the name, and doubled it shows as written.
    setWindowTitle(QString(title).replace(QStringLiteral("[*]"), QStringLiteral("[*][*]")));
}

void Form1::createControls()
{
    auto *client = new QWidget(this);
    setCentralWidget(client);
    m_image = new TiledPicture(client);
    m_image->setObjectName(QStringLiteral("Image1"));
    m_image->setGeometry(twipsRect(45, 435, 7485, 4350));
    m_image->setPicture(TilePicture(QStringLiteral(":/assets/background.gif")));
    m_textBox = new TextControl(client);
    m_image->setTextColor(m_textBox->textColor());
    connect(m_textBox, &TextView::textColorChanged, m_image, &TiledPicture::setTextColor);
    m_textBox->setObjectName(QStringLiteral("TextBox1"));
    m_textBox->setAccessibleName(QStringLiteral("Text"));
    m_textBox->setGeometry(twipsRect(45, 435, 7485, 4365));
    m_tarnBar = new TarnBar(client);
    m_tarnBar->setObjectName(QStringLiteral("TarnBar1"));
    m_tarnBar->setAccessibleName(QStringLiteral("Toolbar"));
    m_tarnBar->setGeometry(0, 0, client->width(), twipsToPixels(435));
    auto *smallSep1 = new TBSmallSep(client);
    smallSep1->setObjectName(QStringLiteral("TBSmallSep1"));
    smallSep1->setGeometry(twipsRect(1665, 30, 90, 420));
    auto *smallSep2 = new TBSmallSep(client);
    smallSep2->setObjectName(QStringLiteral("TBSmallSep2"));
    smallSep2->setGeometry(twipsRect(3195, 30, 120, 405));
    setFocusProxy(m_textBox);
}

void Form1::createToolBar()
{
    for (const ToolbarButton &entry : ToolbarButtons) {
        const QString glyph
            = QStringLiteral(":/assets/toolbar/%1.xpm").arg(QLatin1String(entry.glyph));
        auto *button
            = new Softbutton(entry.index, glyph, QString::fromUtf8(entry.tooltip), m_tarnBar);
        button->move(twipsToPixels(entry.left), twipsToPixels(45));
        connect(button, &Softbutton::Click, this, [this](int index) {
            m_commands->ButtonClick(index);
        });
    }
    m_line2 = m_tarnBar->addLine(QLineF(3735, 15, 7575, 15), QPalette::Button);
    m_tarnBar->addLine(QLineF(3720, 0, 3720, 435), QPalette::Dark);
}

void Form1::connectMenus()
{
    const std::pair<const char *, int> commandEntries[] = {
        { "mnuNew", CommandDispatcher::New },
        { "mnuOpen", CommandDispatcher::Open },
        { "mnuSave", CommandDispatcher::Save },
        { "mnuPrint", CommandDispatcher::Print },
        { "mnuUndo", CommandDispatcher::Undo },
        { "mnuCut", CommandDispatcher::Cut },
        { "mnuCopy", CommandDispatcher::Copy },
        { "mnuPaste", CommandDispatcher::Paste },
        { "mnuFind", CommandDispatcher::Find },
    };
    for (const auto &[name, index] : commandEntries) {
        const int command = index;
        connect(menuAction(QLatin1String(name)), &QAction::triggered, this, [this, command] {
            m_commands->ButtonClick(command);
        });
    }
    connect(menuAction(QStringLiteral("mnuSaveAs")), &QAction::triggered, this, [this] {
        m_commands->SaveAs();
    });
    connect(menuAction(QStringLiteral("mnuExit")), &QAction::triggered, this, [this] {
        m_shutDown->SaveChanges();
    });
    connect(menuAction(QStringLiteral("mnuSelectAll")), &QAction::triggered, this, [this] {
        m_commands->SelectAll();
    });
    connect(
        menuAction(QStringLiteral("mnuWordwrap")), &QAction::triggered, this, [this](bool checked) {
            m_textBox->setWordWrap(checked);
        });
    connect(
        menuAction(QStringLiteral("mnuCenter")), &QAction::triggered, this, &Form1::centreOnScreen);
}

void Form1::connectDialogs()
{
    m_helpLinks = std::make_unique<HelpLinks>(*m_services.shell, m_services.programFolder);
    connect(menuAction(QStringLiteral("mnuOpties")), &QAction::triggered, this, [this] {
        FontCommand(*m_services.commonDialog, *m_textBox).run();
    });
    connect(menuAction(QStringLiteral("mnuTexture")), &QAction::triggered, this, [this] {
        m_services.showModal(*textureChooser());
    });
    connect(menuAction(QStringLiteral("mnuInternet")), &QAction::triggered, this, [this] {
        m_helpLinks->openHomePage(this);
    });
    connect(menuAction(QStringLiteral("mnuSendMail")), &QAction::triggered, this, [this] {
        m_helpLinks->sendMail(this);
    });
    connect(menuAction(QStringLiteral("mnuInfo")), &QAction::triggered, this, [this] {
        m_services.showModal(*aboutBox());
    });
}

void Form1::connectSessionManager()
{
#if QT_CONFIG(sessionmanager)
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager &manager) {
        DesktopSessionEnd session(manager);
        commitData(session);
    });
#endif
}

void Form1::commitData(SessionEnd &session)
{
    m_shutDown->endSession(session);
}

frmTexture *Form1::textureChooser()
{
    if (!m_textureChooser)
        m_textureChooser = new frmTexture(m_background, *m_image, this);
    return m_textureChooser;
}

frmInfo *Form1::aboutBox()
{
    if (!m_aboutBox)
        m_aboutBox = new frmInfo(*m_helpLinks, this);
    return m_aboutBox;
}

QAction *Form1::menuAction(const QString &name) const
{
    return m_menu->action(name);
}

QMenu *Form1::editMenu() const
{
    return m_menu->menu(QStringLiteral("mnuEdit"));
}

void Form1::startUp(const QStringList &arguments, DocumentRead *started)
{
    const StartupSettings stored
        = m_settings->read(WindowPlacementIo::placementArea(*this, toolbarButtonsWidth()));
    applyStoredSettings(stored);
    if (stored.checkDefault) {
        m_associationPrompt = Form2::runCheck(
            *m_services.registry, *m_settings, m_services.programFolder, m_services.showModal);
    }
    // The question may stay open for long; the file may have changed since it was read.
    if (m_associationPrompt && started) {
        started->discard();
        started = nullptr;
    }
    // A document that takes more than a moment to read lets events run meanwhile; the window
    // then shows at once, so it never looks hung. A quick one is there before the window.
    QTimer::singleShot(0, this, [this] {
        show();
    });
    openCommandLineDocument(
        *m_commands, m_document, *m_services.prompter, argumentText(arguments), started);
}

void Form1::applyStoredSettings(const StartupSettings &stored)
{
    m_placement.apply(stored.placement);
    m_background.BackgroundIndex = stored.background;
    m_image->setPicture(frmTexture::tilePicture(stored.background));
    m_background.ConfirmedBackgroundIndex = qint16(stored.background);
    m_textBox->setControlFont(stored.font);
    m_textBox->setForeColor(stored.color);
    m_textBox->setWordWrap(stored.wordWrap);
    menuAction(QStringLiteral("mnuWordwrap"))->setChecked(m_textBox->wordWrap());
}

SessionSettings Form1::currentSession() const
{
    SessionSettings session;
    session.placement = m_placement.current();
    session.font = m_textBox->controlFont();
    session.color = m_textBox->foreColor();
    session.wordWrap = m_textBox->wordWrap();
    session.background = m_background.BackgroundIndex;
    return session;
}

void Form1::onTextMouseUp(int button)
{
    if (button == 2)
        editMenu()->popup(QCursor::pos());
}

void Form1::Form_Resize()
{
    const QRect outer = frameGeometry();
    const FormLayout layout
        = layoutForOuterSize(pixelsToTwips(outer.width()), pixelsToTwips(outer.height()));
    m_tarnBar->setLineEndX(m_line2, layout.line2End);
    if (layout.controlWidth) {
        const int width = twipsToPixels(*layout.controlWidth);
        m_image->resize(width, m_image->height());
        m_textBox->resize(width, m_textBox->height());
    }
    if (layout.controlHeight) {
        const int height = twipsToPixels(*layout.controlHeight);
        m_image->resize(m_image->width(), height);
        m_textBox->resize(m_textBox->width(), height);
    }
}

void Form1::centreOnScreen()
{
    // A maximised or minimised window cannot be moved, nor any window where the window system
    // alone places them; the command then does nothing.
    if (!windowsCanBePlaced()
        || (windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen)))
        return;
    const QRect screen = this->screen()->geometry();
    const QRect outer = frameGeometry();
    const double left = centredOffset(pixelsToTwips(screen.width()), pixelsToTwips(outer.width()));
    const double top = centredOffset(pixelsToTwips(screen.height()), pixelsToTwips(outer.height()));
    move(screen.x() + twipsToPixels(left), screen.y() + twipsToPixels(top));
}

void Form1::closeEvent(QCloseEvent *event)
{
    if (m_shutDown->SaveChanges())
        event->accept();
    else
        event->ignore();
}

void Form1::dragEnterEvent(QDragEnterEvent *event)
{
    if (!droppedFile(*event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void Form1::dropEvent(QDropEvent *event)
{
    const QString path = droppedFile(*event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    // The program the file came from waits until the drop is answered; the question about
    // unsaved changes must not keep it waiting.
    QTimer::singleShot(0, this, [this, path] {
        m_commands->openFile(path);
    });
}

void Form1::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    m_tarnBar->resize(centralWidget()->width(), m_tarnBar->height());
    Form_Resize();
}

void Form1::moveEvent(QMoveEvent *event)
{
    QMainWindow::moveEvent(event);
    m_placement.settle();
}

void Form1::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    QTimer::singleShot(0, this, [this] {
        m_placement.settle();
    });
    // The window manager's frame is known only once the window is mapped.
    Form_Resize();
}
