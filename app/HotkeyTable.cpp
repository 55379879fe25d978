#include "app/HotkeyTable.h"

#include <QKeyEvent>

#include "app/CommandIds.h"

CHotkeyTable CHotkeyTable::CreateDefault()
{
    constexpr BYTE V = FVIRTKEY;
    constexpr auto K = [](UINT vk) { return static_cast<WORD>(vk); };
    return CHotkeyTable({
        {V | FCONTROL, 'O', IDM_OPEN},
        {V | FCONTROL, 'S', IDM_SAVE},
        {V | FCONTROL | FSHIFT, 'S', IDM_SAVEAS},
        {V, K(VK_ADD), IDM_ZOOMIN},
        {V, K(VK_SUBTRACT), IDM_ZOOMOUT},
        {V | FSHIFT, 'W', IDM_MAIN_VIEW_FITWINDOW},
        {V | FCONTROL, 'H', IDM_MAIN_VIEW_ORIGINALSIZE},
        {V | FCONTROL, 'C', IDM_COPY},
        {V | FCONTROL, 'V', IDM_PASTE},
        {V | FCONTROL, 'Z', IDM_UNDO},
        {V | FCONTROL, 'Y', IDM_REDO},
        {V, 'L', IDM_ROTATELEFT},
        {V, 'R', IDM_ROTATERIGHT},
        {V, 'H', IDM_HORIZONTALFLIP},
        {V, 'V', IDM_VERTICALFLIP},
        {V, K(VK_F1), IDM_ABOUT},
        {V, K(VK_UP), IDM_MOVEUP},
        {V, K(VK_DOWN), IDM_MOVEDOWN},
        {V, K(VK_LEFT), IDM_MOVELEFT},
        {V, K(VK_RIGHT), IDM_MOVERIGHT},
    });
}

std::optional<UINT> CHotkeyTable::Translate(WORD virtualKey, BYTE modifiers) const
{
    constexpr BYTE kModifierMask = FSHIFT | FCONTROL | FALT;
    for (const ACCEL& entry : m_entries) {
        if (entry.key == virtualKey && (entry.fVirt & kModifierMask) == (modifiers & kModifierMask))
            return entry.cmd;
    }
    return std::nullopt;
}

std::optional<WORD> CHotkeyTable::VirtualKeyOf(const QKeyEvent& event)
{
    const int key = event.key();
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return static_cast<WORD>('A' + (key - Qt::Key_A));
    switch (key) {
    case Qt::Key_F1: return static_cast<WORD>(VK_F1);
    case Qt::Key_Up: return static_cast<WORD>(VK_UP);
    case Qt::Key_Down: return static_cast<WORD>(VK_DOWN);
    case Qt::Key_Left: return static_cast<WORD>(VK_LEFT);
    case Qt::Key_Right: return static_cast<WORD>(VK_RIGHT);
    // The main keyboard's +, = and - zoom as the numeric pad's do: the
    // toolbar's tooltips promise "+" and "-", and many keyboards have no pad.
    case Qt::Key_Plus:
    case Qt::Key_Equal: return static_cast<WORD>(VK_ADD);
    case Qt::Key_Minus: return static_cast<WORD>(VK_SUBTRACT);
    default: return std::nullopt;
    }
}

std::optional<UINT> CHotkeyTable::Translate(const QKeyEvent& event) const
{
    const auto virtualKey = VirtualKeyOf(event);
    if (!virtualKey) return std::nullopt;
    const Qt::KeyboardModifiers mods = event.modifiers();
    BYTE flags = 0;
    if (mods.testFlag(Qt::ShiftModifier)) flags |= FSHIFT;
    if (mods.testFlag(Qt::ControlModifier)) flags |= FCONTROL;
    if (mods.testFlag(Qt::AltModifier)) flags |= FALT;
    // The zoom keys work with or without Ctrl (Ctrl+= and Ctrl+- as in other
    // programs), and Shift is how some keyboards type the + itself.
    if (*virtualKey == VK_ADD || *virtualKey == VK_SUBTRACT) flags &= static_cast<BYTE>(~(FSHIFT | FCONTROL));
    return Translate(*virtualKey, flags);
}
