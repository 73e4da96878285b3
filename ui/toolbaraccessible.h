#pragma once

// Lets QAccessible tell screen readers that the bar is a toolbar and that its grip and the
// etched lines are separators; the widgets are plain QWidgets that would pass for empty
// panels.
void installToolbarAccessibility();
