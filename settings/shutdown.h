#pragma once

#include "core/commanddispatcher.h"
#include "platform/sessionend.h"

#include <functional>

// The only way the program ends: unsaved changes are settled first, then the settings are
// written and the program stops.
class ShutDown
{
public:
    ShutDown(CommandDispatcher &commands,
        std::function<void()> saveRegisterSettings,
        std::function<void()> endProgram);

    // Returns true when the program is ending; false when it goes on, nothing changed.
    bool SaveChanges();
    // A logout or shutdown ends the program as the close box does, once the session manager
    // lets it ask about unsaved changes; Cancel asks the session manager to stop. Without that
    // leave, as when the session is only being saved, nothing is decided: the program goes
    // on, and its window is closed like any other when the session ends.
    void endSession(SessionEnd &session);

private:
    CommandDispatcher &m_commands;
    std::function<void()> m_saveRegisterSettings;
    std::function<void()> m_endProgram;
};
