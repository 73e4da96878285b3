#include "settings/shutdown.h"

#include <utility>

ShutDown::ShutDown(CommandDispatcher &commands,
    std::function<void()> saveRegisterSettings,
    std::function<void()> endProgram)
    : m_commands(commands)
    , m_saveRegisterSettings(std::move(saveRegisterSettings))
    , m_endProgram(std::move(endProgram))
{ }

bool ShutDown::SaveChanges()
{
    if (!m_commands.settleUnsavedChanges())
        return false;
    if (m_saveRegisterSettings)
        m_saveRegisterSettings();
    m_endProgram();
    return true;
}

void ShutDown::endSession(SessionEnd &session)
{
    if (!session.allowsInteraction())
        return;
    if (!SaveChanges())
        session.cancel();
}
