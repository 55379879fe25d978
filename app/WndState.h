#pragma once
// Placement of the main window, persisted between runs as a 28-byte record
// (little-endian): version (1; a reader tests byte 0 only), visible flag,
// show state, left, top, right, bottom.

#include <string>
#include <vector>

#include "platform/WinTypes.h"

class CWndState {
public:
    static constexpr std::size_t kSerializedSize = 28;

    /// Show states.
    enum ShowState : std::int32_t { SHOW_NORMAL = 0, SHOW_MINIMIZED = 1, SHOW_MAXIMIZED = 2 };

    /// Visible, normal, empty rectangle, version 1; `name` is the registry entry.
    explicit CWndState(std::wstring name = L"");
    virtual ~CWndState() = default;

    /// Writes the 28-byte record into `out`.
    virtual void Serialize(std::vector<unsigned char>& out);
    /// Reads a record. One whose byte 0 is not 1 is accepted and changes
    /// nothing; a version-1 record of another size than 28 is logged and
    /// refused. A show state of 3 or more (signed) reads as 0; negative ones
    /// are kept.
    virtual BOOL Unserialize(const std::vector<unsigned char>& in);

    std::wstring m_strName;         ///< registry entry name
    BOOL m_bVisible{TRUE};
    std::int32_t m_nShowState{SHOW_NORMAL};
    RECT m_rcWindow{0, 0, 0, 0};    ///< screen coordinates, row 0 at the top
    std::int32_t m_nVersion{1};
};
