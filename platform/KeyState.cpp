#include "platform/KeyState.h"

#include <QGuiApplication>

#include "platform/WinMessages.h"

namespace {

bool IsHeld(UINT key)
{
    switch (key) {
    case VK_SHIFT:
    case VK_LSHIFT:
    case VK_RSHIFT: return QGuiApplication::queryKeyboardModifiers() & Qt::ShiftModifier;
    case VK_CONTROL:
    case VK_LCONTROL:
    case VK_RCONTROL: return QGuiApplication::queryKeyboardModifiers() & Qt::ControlModifier;
    case VK_MENU:
    case VK_LMENU:
    case VK_RMENU: return QGuiApplication::queryKeyboardModifiers() & Qt::AltModifier;
    case VK_LBUTTON: return QGuiApplication::mouseButtons() & Qt::LeftButton;
    case VK_RBUTTON: return QGuiApplication::mouseButtons() & Qt::RightButton;
    case VK_MBUTTON: return QGuiApplication::mouseButtons() & Qt::MiddleButton;
    default: return false;
    }
}

} // namespace

SHORT GetKeyState(int virtualKey)
{
    return IsHeld(static_cast<UINT>(virtualKey)) ? static_cast<SHORT>(0x8000) : 0;
}
