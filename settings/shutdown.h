#pragma once

#include "core/commanddispatcher.h"

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

private:
    CommandDispatcher &m_commands;
    std::function<void()> m_saveRegisterSettings;
    std::function<void()> m_endProgram;
};
