#pragma once

#include "platform/sessionend.h"

// Stands for the session manager at a logout: it gives leave to ask or not, as scripted, and
// counts what the program asked of it.
class ScriptedSessionEnd : public SessionEnd
{
public:
    explicit ScriptedSessionEnd(bool interactionAllowed)
        : m_interactionAllowed(interactionAllowed)
    { }

    bool allowsInteraction() override
    {
        ++interactionRequests;
        return m_interactionAllowed;
    }
    void cancel() override { ++cancels; }

    int interactionRequests = 0;
    int cancels = 0;

private:
    bool m_interactionAllowed;
};
