#include "ui/storedplacement.h"

#include "platform/dialoggeometry.h"
#include "ui/windowplacement.h"

#include <QWidget>

StoredPlacement::StoredPlacement(QWidget &window)
    : m_window(window)
{ }

void StoredPlacement::apply(const WindowPlacement &placement)
{
    m_pendingOuter = WindowPlacementIo::outerPixels(placement);
    m_appliedFrame = QMargins();
    if (windowsCanBePlaced()) {
        m_window.setGeometry(*m_pendingOuter);
    } else {
        // The window system puts the window where it likes and never says where; the stored
        // position goes back unchanged, for the next start on a desktop that can use it.
        m_keptPosition = QPointF(placement.left, placement.top);
        m_window.resize(m_pendingOuter->size());
    }
    if (placement.maximized)
        m_window.setWindowState(m_window.windowState() | Qt::WindowMaximized);
}

void StoredPlacement::settle()
{
    if (!m_pendingOuter || !m_window.isVisible() || (m_window.windowState() & Qt::WindowMaximized))
        return;
    const QRect frame = m_window.frameGeometry();
    const QRect inner = m_window.geometry();
    const QMargins margins(inner.left() - frame.left(),
        inner.top() - frame.top(),
        frame.right() - inner.right(),
        frame.bottom() - inner.bottom());
    if (margins == m_appliedFrame)
        return;
    m_appliedFrame = margins;
    m_window.resize(m_pendingOuter->size().shrunkBy(margins));
    if (windowsCanBePlaced())
        m_window.move(m_pendingOuter->topLeft());
    if (!margins.isNull())
        m_pendingOuter.reset();
}

WindowPlacement StoredPlacement::current() const
{
    WindowPlacement placement = WindowPlacementIo::current(m_window);
    if (m_keptPosition) {
        placement.left = m_keptPosition->x();
        placement.top = m_keptPosition->y();
    }
    return placement;
}
