#pragma once
// The keyboard accelerators of the main window: virtual-key entries with
// their modifier flags and command ids, translated from Qt key events.
//
// An entry matches a key press when its virtual key is the pressed key and
// exactly its modifiers (Ctrl, Shift, Alt) are held: plain H flips, Ctrl+H
// shows the original size, and Ctrl+Shift+S is Save As, not Save.

#include <optional>
#include <vector>

#include "platform/WinMessages.h"
#include "platform/WinTypes.h"

class QKeyEvent;

// Modifier flags of an entry (the accelerator flags of the original table).
inline constexpr BYTE FVIRTKEY = 0x01;
inline constexpr BYTE FSHIFT = 0x04;
inline constexpr BYTE FCONTROL = 0x08;
inline constexpr BYTE FALT = 0x10;

/// One accelerator entry.
struct ACCEL {
    BYTE fVirt;  ///< FVIRTKEY plus modifier flags
    WORD key;    ///< virtual key
    WORD cmd;    ///< command id
};

class CHotkeyTable {
public:
    /// An empty table (translates nothing).
    CHotkeyTable() = default;
    /// A table of `entries`, searched in order.
    explicit CHotkeyTable(std::vector<ACCEL> entries) : m_entries(std::move(entries)) {}

    /// The program's 20 shortcuts, in their fixed order.
    static CHotkeyTable CreateDefault();

    /// The command of the first entry that matches `virtualKey` with exactly
    /// the modifier flags `modifiers` (FSHIFT | FCONTROL | FALT); nothing when
    /// no entry matches.
    std::optional<UINT> Translate(WORD virtualKey, BYTE modifiers) const;

    /// The command for a Qt key press, or nothing.
    std::optional<UINT> Translate(const QKeyEvent& event) const;

    /// The virtual key of a Qt key press: 'A'..'Z', F1, the arrows, and
    /// VK_ADD or VK_SUBTRACT for + and = or - of the main keyboard or the
    /// numeric pad; nothing for other keys.
    static std::optional<WORD> VirtualKeyOf(const QKeyEvent& event);

    /// Every shortcut of the table, in the order they were added.
    const std::vector<ACCEL>& Entries() const { return m_entries; }

private:
    std::vector<ACCEL> m_entries;
};
