#pragma once
// Parameter record of a spot removal: the spot size and the clicked centre in
// image pixels (row 0 at the top, as the spot remover tool reports a click).
// Serialised form, 16 bytes little-endian: version (1), size, x, y.

#include <string>

#include "operations/CopyableParam.h"

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

    std::int32_t m_nSpotSize{15};  ///< pixels
    std::int32_t m_nX{-1};         ///< clicked centre, image pixels from the left
    std::int32_t m_nY{-1};         ///< clicked centre, image pixels from the top
};
