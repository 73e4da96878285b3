#include "platform/sessionend.h"

#if QT_CONFIG(sessionmanager)
#include <QSessionManager>

bool DesktopSessionEnd::allowsInteraction()
{
    return m_manager.allowsInteraction();
}

void DesktopSessionEnd::cancel()
{
    m_manager.cancel();
}
#endif
