#pragma once
// Whether a key or mouse button is held at the moment (GetKeyState), for the
// keys the platform can tell: Shift, Control and Alt (left and right are not
// told apart) and the three mouse buttons. The state is the one of the input
// events handled so far on the GUI thread, as on Windows.

#include "platform/WinTypes.h"

/// The state of `virtualKey`: negative (high bit set) while it is held, 0
/// otherwise. VK_SHIFT, VK_CONTROL, VK_MENU and their left/right variants
/// come from the keyboard modifiers, VK_LBUTTON, VK_RBUTTON and VK_MBUTTON
/// from the mouse buttons; every other key reads as not held. GUI thread only.
SHORT GetKeyState(int virtualKey);
