#pragma once

#include <QtGui/qtguiglobal.h>

class QSessionManager;

// The session manager's request to settle before a logout or shutdown, as the program answers
// it. A question may be shown only with the session manager's leave; without it the user
// may already be gone, and the question would hold up the logout.
class SessionEnd
{
public:
    virtual ~SessionEnd() = default;
    // Asks for leave to ask the user; false when the session manager gives none.
    virtual bool allowsInteraction() = 0;
    // Asks the session manager to stop the logout or shutdown, after the user said so.
    virtual void cancel() = 0;
};

#if QT_CONFIG(sessionmanager)
class DesktopSessionEnd : public SessionEnd
{
public:
    explicit DesktopSessionEnd(QSessionManager &manager)
        : m_manager(manager)
    { }

    bool allowsInteraction() override;
    void cancel() override;

private:
    QSessionManager &m_manager;
};
#endif
