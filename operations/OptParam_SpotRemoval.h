#pragma once
// Parameter record of a spot removal: the spot size and the clicked centre in
// image pixels (row 0 at the top, as the spot remover tool reports a click).
// Serialised form, 16 bytes little-endian: version (1), size, x, y.

#include <string>

#include "operations/CopyableParam.h"
#include "platform/WinTypes.h"

class OptParam_SpotRemoval : public CopyableParam<OptParam_SpotRemoval> {
public:
    static constexpr std::size_t kSerializedSize = 16;

    /// Size 15, position (-1, -1).
    OptParam_SpotRemoval();

    /// Writes the 16-byte record.
    void Serialize(std::vector<unsigned char>& out) override;
    /// Reads a 16-byte version-1 record; another version is accepted and ignored.
    bool Unserialize(const std::vector<unsigned char>& in) override;
    /// "<size>: N px\r\n<position>: (x, y)".
    void GetParamInfo(std::wstring& out) const override;
    /// Copies size and position.
    void Assign(const OptParam_SpotRemoval& other);

    /// The square the removal repairs, in image pixels (row 0 at the top,
    /// right and bottom exclusive): an odd side of 2 × (size / 2) + 1 centred
    /// on the click, so size 15 gives 15 × 15 and 16 gives 17 × 17. It may
    /// reach over the image's edges.
    RECT GetSquare() const;
    /// True when the square covers at least one pixel of a `width` × `height`
    /// image; a click on the margin around the picture does not.
    bool ReachesImage(LONG width, LONG height) const;

    std::int32_t m_nSpotSize{15};  ///< pixels
    std::int32_t m_nX{-1};         ///< clicked centre, image pixels from the left
    std::int32_t m_nY{-1};         ///< clicked centre, image pixels from the top
};
