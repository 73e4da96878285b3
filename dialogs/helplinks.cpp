#include "dialogs/helplinks.h"

#include "platform/shell.h"

HelpLinks::HelpLinks(Shell &shell, const QString &programFolder)
    : m_shell(shell)
    , m_programFolder(programFolder)
{ }

void HelpLinks::openHomePage(QWidget *owner) const
{
    open(owner, homePageTarget());
}

void HelpLinks::sendMail(QWidget *owner) const
{
    open(owner, mailTarget());
}

void HelpLinks::open(QWidget *owner, const QString &target) const
{
    // The started browser or mail program must not hold on to whatever folder the user
    // started the editor from, which may be a removable disk; the program's folder stays.
    m_shell.openTarget(
        owner, QStringLiteral("Open"), target, QString(), m_programFolder, Shell::ShowNormal);
}
