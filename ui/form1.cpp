#include "ui/form1.h"

#include "platform/textcontrol.h"
#include "platform/twips.h"
#include "settings/startup.h"
#include "ui/formlayout.h"
#include "ui/mainmenu.h"
#include "ui/softbutton.h"
#include "ui/tarnbar.h"
#include "ui/tbsmallsep.h"
#include "platform/tiledpicture.h"

#include <QCloseEvent>
#include <QCursor>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>

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

QRect twipsRect(double left, double top, double width, double height)
{
    return QRect(
        twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height));
}

} // namespace

Form1::Form1(PlatformServices services, QWidget *parent)
    : QMainWindow(parent)
    , m_services(std::move(services))
{
    setWindowTitle(m_document.title());
    setWindowIcon(QIcon(QStringLiteral(":/assets/omriknote.xpm")));
    createControls();
    createToolBar();
    m_commands = std::make_unique<CommandDispatcher>(m_document,
        *m_textBox,
        *m_services.commonDialog,
        *m_services.prompter,
        *m_services.printer,
        *m_services.files);
    // The settings store joins here: its writer runs just before the program ends.
    m_shutDown
        = std::make_unique<ShutDown>(*m_commands, std::function<void()>(), m_services.endProgram);
    m_menu = std::make_unique<MainMenu>(menuBar());
    connectMenus();
    connect(&m_document, &DocumentState::titleChanged, this, &QWidget::setWindowTitle);
    connect(m_textBox, &TextControl::changed, this, [this] {
        m_document.setTextChanged(true);
    });
    connect(m_textBox, &TextControl::mouseUp, this, [this](int button) {
        onTextMouseUp(button);
    });
    resize(twipsToPixels(7575), twipsToPixels(4845) + menuBar()->sizeHint().height());
}

Form1::~Form1() = default;

void Form1::createControls()
{
    auto *client = new QWidget(this);
    setCentralWidget(client);
    m_image = new TiledPicture(client);
    m_image->setObjectName(QStringLiteral("Image1"));
    m_image->setGeometry(twipsRect(45, 435, 7485, 4350));
    m_image->setPicture(QPixmap(QStringLiteral(":/assets/background.gif")));
    m_textBox = new TextControl(client);
    m_textBox->setObjectName(QStringLiteral("TextBox1"));
    m_textBox->setGeometry(twipsRect(45, 435, 7485, 4365));
    m_tarnBar = new TarnBar(client);
    m_tarnBar->setObjectName(QStringLiteral("TarnBar1"));
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

QAction *Form1::menuAction(const QString &name) const
{
    return m_menu->action(name);
}

QMenu *Form1::editMenu() const
{
    return m_menu->menu(QStringLiteral("mnuEdit"));
}

void Form1::startUp(const QStringList &arguments)
{
    // Stored placement, font, colour, word wrap, background and the text-file association
    // check come before the command-line document once the settings store exists.
    openCommandLineDocument(*m_commands, m_document, *m_services.prompter, argumentText(arguments));
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
    // A maximised or minimised window cannot be moved; the command then does nothing.
    if (windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen))
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

void Form1::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    m_tarnBar->resize(centralWidget()->width(), m_tarnBar->height());
    Form_Resize();
}

void Form1::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    // The window manager's frame is known only once the window is mapped.
    Form_Resize();
}
