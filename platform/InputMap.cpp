#include "platform/InputMap.h"

#include <array>
#include <utility>

#include <QKeyEvent>

#include "platform/WinMessages.h"

namespace {

// Keys whose virtual-key code is not their ASCII code.
constexpr std::array<std::pair<int, UINT>, 33> kSpecialKeys{{
    {Qt::Key_Backspace, VK_BACK},    {Qt::Key_Tab, VK_TAB},         {Qt::Key_Return, VK_RETURN},
    {Qt::Key_Enter, VK_RETURN},      {Qt::Key_Shift, VK_SHIFT},     {Qt::Key_Control, VK_CONTROL},
    {Qt::Key_Alt, VK_MENU},          {Qt::Key_Pause, VK_PAUSE},     {Qt::Key_CapsLock, VK_CAPITAL},
    {Qt::Key_Escape, VK_ESCAPE},     {Qt::Key_Space, VK_SPACE},     {Qt::Key_PageUp, VK_PRIOR},
    {Qt::Key_PageDown, VK_NEXT},     {Qt::Key_End, VK_END},         {Qt::Key_Home, VK_HOME},
    {Qt::Key_Left, VK_LEFT},         {Qt::Key_Up, VK_UP},           {Qt::Key_Right, VK_RIGHT},
    {Qt::Key_Down, VK_DOWN},         {Qt::Key_Insert, VK_INSERT},   {Qt::Key_Delete, VK_DELETE},
    {Qt::Key_Asterisk, VK_MULTIPLY}, {Qt::Key_Plus, VK_OEM_PLUS},   {Qt::Key_Equal, VK_OEM_PLUS},
    {Qt::Key_Comma, VK_OEM_COMMA},   {Qt::Key_Minus, VK_OEM_MINUS}, {Qt::Key_Period, VK_OEM_PERIOD},
    {Qt::Key_Slash, 0xBF},      {Qt::Key_AltGr, VK_RMENU},     {Qt::Key_Meta, 0x5B},
    {Qt::Key_Menu, 0x5D},            {Qt::Key_Print, 0x2C},         {Qt::Key_ScrollLock, 0x91},
}};

} // namespace

UINT VirtualKeyFromQtKey(int qtKey)
{
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9))
        return static_cast<UINT>(qtKey);
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return VK_F1 + static_cast<UINT>(qtKey - Qt::Key_F1);
    for (const auto& [key, vk] : kSpecialKeys)
        if (key == qtKey) return vk;
    return 0;
}

int QtKeyFromVirtualKey(UINT virtualKey)
{
    if ((virtualKey >= 'A' && virtualKey <= 'Z') || (virtualKey >= '0' && virtualKey <= '9'))
        return static_cast<int>(virtualKey);
    if (virtualKey >= VK_F1 && virtualKey <= VK_F24) return Qt::Key_F1 + static_cast<int>(virtualKey - VK_F1);
    if (virtualKey == 0) return Qt::Key_unknown;
    for (const auto& [key, vk] : kSpecialKeys)
        if (vk == virtualKey) return key;
    return Qt::Key_unknown;
}

UINT MouseKeyFlags(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers)
{
    UINT flags = 0;
    if (buttons & Qt::LeftButton) flags |= MK_LBUTTON;
    if (buttons & Qt::RightButton) flags |= MK_RBUTTON;
    if (buttons & Qt::MiddleButton) flags |= MK_MBUTTON;
    if (modifiers & Qt::ShiftModifier) flags |= MK_SHIFT;
    if (modifiers & Qt::ControlModifier) flags |= MK_CONTROL;
    return flags;
}

UINT KeyMessageFlags(const QKeyEvent& event)
{
    UINT flags = event.nativeScanCode() & 0xFFu;
    if (event.modifiers() & Qt::AltModifier) flags |= 1u << 13;
    if (event.isAutoRepeat()) flags |= 1u << 14;
    if (event.type() == QEvent::KeyRelease) flags |= 1u << 15;
    return flags;
}

bool IsSystemKey(const QKeyEvent& event)
{
    return (event.modifiers() & Qt::AltModifier) || event.key() == Qt::Key_Alt || event.key() == Qt::Key_F10;
}
