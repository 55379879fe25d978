#pragma once
// Parameter record of a red-eye reduction: the area to treat (image pixels,
// row 0 at the top) and the darken amount in per cent. The red-eye tool's
// rectangle and amount are five consecutive 32-bit values and are copied into
// m_rcRect and m_nDarkenAmount as one block, so the two fields stay adjacent.
// Serialised form, 8 bytes little-endian: version (1), darken amount; the
// rectangle is not serialised.

#include <string>

#include "operations/CopyableParam.h"
#include "platform/WinTypes.h"

class OptParam_RedeyeReduction : public CopyableParam<OptParam_RedeyeReduction> {
public:
    static constexpr std::size_t kSerializedSize = 8;

    /// Empty rectangle, darken amount 1.
    OptParam_RedeyeReduction();

    /// Writes the 8-byte record.
    void Serialize(std::vector<unsigned char>& out) override;
    /// Reads the darken amount of an 8-byte version-1 record; the rectangle is
    /// left as it was. Another version is accepted and ignored.
    bool Unserialize(const std::vector<unsigned char>& in) override;
    /// "<darken amount>: N%\r\n".
    void GetParamInfo(std::wstring& out) const override;
    /// Copies rectangle and darken amount.
    void Assign(const OptParam_RedeyeReduction& other);
    /// True when the rectangle covers at least one pixel of a `width` ×
    /// `height` image: one that is empty, inverted or lies wholly beside the
    /// picture has nothing to treat.
    bool ReachesImage(LONG width, LONG height) const;

    RECT m_rcRect{0, 0, 0, 0};        ///< area to treat, image pixels, row 0 at the top
    std::int32_t m_nDarkenAmount{1};  ///< per cent
};
