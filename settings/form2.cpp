#include "settings/form2.h"

#include "platform/dialoggeometry.h"
#include "platform/twips.h"
#include "settings/association.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

Form2::Form2(Registry &registry, SettingsStore &settings, const QString &command, QWidget *parent)
    : QDialog(parent,
        Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
            | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
    , m_registry(registry)
    , m_settings(settings)
    , m_command(command)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("OmrikNote"));
    setFixedSize(twipsToPixels(5070), twipsToPixels(1830));
    auto *image = new QLabel(this);
    image->setPixmap(QPixmap(QStringLiteral(":/assets/question.xpm")));
    image->setGeometry(twipsRect(60, 150, 480, 480));
    auto *label1 = new QLabel(QStringLiteral("OmrikNote is not setup to handle textfiles."), this);
    // Sized to its text: the desktop's font may be wider than the one the layout was drawn for.
    label1->move(twipsRect(690, 195, 0, 0).topLeft());
    label1->adjustSize();
    auto *label2 = new QLabel(
        QStringLiteral("Do you wish to associate textfiles to OmrikNote? This means you can "
                       "double-click on any textfile in Explorer to open OmrikNote."),
        this);
    label2->setWordWrap(true);
    label2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label2->setGeometry(twipsRect(690, 555, 3660 + 600, 630 + 120));
    m_check = new QCheckBox(QStringLiteral("Do not ask this again"), this);
    m_check->setObjectName(QStringLiteral("Check1"));
    m_check->setGeometry(twipsRect(60, 1440, 2580, 345));
    m_no = new QPushButton(QStringLiteral("No"), this);
    m_no->setObjectName(QStringLiteral("Command1"));
    m_no->setGeometry(twipsRect(2865, 1440, 1050, 345));
    m_yes = new QPushButton(QStringLiteral("Yes"), this);
    m_yes->setObjectName(QStringLiteral("btnYes"));
    m_yes->setGeometry(twipsRect(3960, 1440, 1050, 345));
    // Both buttons take Enter while they have the focus; Yes takes it from anywhere else.
    m_yes->setDefault(true);
    setTabOrder(m_yes, m_no);
    setTabOrder(m_no, m_check);
    m_yes->setFocus();
    centreOnScreen(this);
    connect(m_yes, &QPushButton::clicked, this, &Form2::onYes);
    connect(m_no, &QPushButton::clicked, this, &Form2::onNo);
}

// The offer has no Cancel: it is answered with Yes or No, or closed by its close box. A dialog
// would take Escape for a close, which the user may press only to be rid of the question
// without having read it.
void Form2::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void Form2::onYes()
{
    // The program's own command, so that the next check finds what it expects.
    Association::SetClassesRootValue(
        m_registry, Association::commandKey(), QByteArray(), m_command, Registry::TypeText);
    rememberNotToAsk();
    accept();
}

void Form2::onNo()
{
    rememberNotToAsk();
    accept();
}

void Form2::rememberNotToAsk()
{
    if (!m_check->isChecked())
        return;
    m_settings.writeFlag(SettingKeys::CheckDefault, false);
    m_settings.sync();
}

std::unique_ptr<Form2> Form2::runCheck(Registry &registry,
    SettingsStore &settings,
    const QString &programFolder,
    const std::function<void(QDialog &)> &showModal)
{
    const QString current
        = Association::QueryClassesRootValue(registry, Association::commandKey(), QByteArray());
    const QString expected = Association::expectedCommand(programFolder);
    if (!Association::commandsDiffer(current, expected))
        return nullptr;
    auto dialog = std::make_unique<Form2>(registry, settings, expected);
    showModal(*dialog);
    return dialog;
}
