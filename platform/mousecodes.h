#pragma once

#include <Qt>

// Mouse buttons and modifier keys as the classic event arguments number them:
// buttons left 1, right 2, middle 4; shift 1, control 2, alt 4.
int mouseButtonCode(Qt::MouseButtons buttons);
int shiftStateCode(Qt::KeyboardModifiers modifiers);
