#pragma once
// Parameter record of a rotation: quarter turns (the rotate commands) or a
// free rotation by an angle with a fill colour.
//
// Serialised form, 20 bytes little-endian: version (1), mode (a reader takes
// only its first byte), clockwise (0/1), angle (IEEE single), fill colour
// (COLORREF: red, green, blue bytes).

#include <string>

#include "operations/CopyableParam.h"
#include "platform/WinTypes.h"

class OptParam_Rotate : public CopyableParam<OptParam_Rotate> {
public:
    /// Rotation modes.
    enum RotateMode : std::int32_t {
        ROTATE_FREE = 0,     ///< by m_fAngle degrees, corners filled with m_crFillColor
        ROTATE_90 = 1,       ///< a quarter turn, direction from m_bClockwise
        ROTATE_180 = 2,      ///< a half turn (never created by the program)
    };
    static constexpr std::size_t kSerializedSize = 20;

    /// Mode free, clockwise, angle 0.0, fill colour 0.
    OptParam_Rotate();

    /// Writes the 20-byte record.
    void Serialize(std::vector<unsigned char>& out) override;
    /// Reads a 20-byte version-1 record; a record of another version is
    /// accepted and ignored; anything else is logged and refused.
    bool Unserialize(const std::vector<unsigned char>& in) override;
    /// Four lines: mode, angle ("%.1f"), clockwise (yes/no), fill colour "RGB(r,g,b)".
    void GetParamInfo(std::wstring& out) const override;
    /// Copies mode, direction, angle and colour.
    void Assign(const OptParam_Rotate& other);

    std::int32_t m_nMode{ROTATE_FREE};
    bool m_bClockwise{true};
    float m_fAngle{0.0f};       ///< degrees
    COLORREF m_crFillColor{0};
};
