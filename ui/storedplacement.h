#pragma once

#include "settings/settingsstore.h"

#include <QMargins>
#include <QPointF>
#include <QRect>

#include <optional>

class QWidget;

// The main window's placement as stored between runs, put into effect and read back. A window
// manager adds its frame around the window once it is mapped; the stored size and position
// are the frame's, so the window is fitted inside it again when the frame appears.
class StoredPlacement
{
public:
    explicit StoredPlacement(QWidget &window);

    void apply(const WindowPlacement &placement);
    // Fits the window into its frame, if the frame has appeared or changed since.
    void settle();
    // What to store for the next run.
    WindowPlacement current() const;

private:
    QWidget &m_window;
    // The outer rectangle start-up asked for, until the window manager's frame is known.
    std::optional<QRect> m_pendingOuter;
    QMargins m_appliedFrame;
    // The stored position, in twips, where the window system does not let the window be placed.
    std::optional<QPointF> m_keptPosition;
};
