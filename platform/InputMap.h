#pragma once
// Translation of Qt input into the Windows-shaped codes that message handlers
// written for Windows expect: virtual-key codes, the key-state flags of mouse
// messages and the flags word of key messages.

#include <Qt>

#include "platform/WinTypes.h"

class QKeyEvent;

/// The virtual-key code of a Qt key (Qt::Key value): letters and digits give
/// their upper-case ASCII code, arrows VK_LEFT..VK_DOWN, F1..F24 VK_F1..; 0
/// for a key without a virtual-key code.
UINT VirtualKeyFromQtKey(int qtKey);

/// The Qt key of a virtual-key code; Qt::Key_unknown when there is none.
int QtKeyFromVirtualKey(UINT virtualKey);

/// The MK_* flags of a mouse message: held buttons and the Shift and Control
/// modifiers.
UINT MouseKeyFlags(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers);

/// The flags word of a WM_KEYDOWN/WM_KEYUP-style message: bits 0-7 the low
/// byte of the native scan code, bit 13 Alt held, bit 14 the key was already
/// down (auto-repeat), bit 15 set for a release.
UINT KeyMessageFlags(const QKeyEvent& event);

/// True when a key event is a "system" key (WM_SYSKEYDOWN/UP on Windows): Alt
/// is held, the key is Alt itself, or it is F10.
bool IsSystemKey(const QKeyEvent& event);
