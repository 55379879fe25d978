#pragma once
// Parameter record of a flip. Serialised form, 8 bytes little-endian:
// version (1), vertical (0/1).

#include <string>

#include "operations/CopyableParam.h"

class OptParam_Flip : public CopyableParam<OptParam_Flip> {
public:
    static constexpr std::size_t kSerializedSize = 8;

    /// A horizontal (left-right) flip.
    OptParam_Flip();

    /// Writes the 8-byte record.
    void Serialize(std::vector<unsigned char>& out) override;
    /// Reads an 8-byte version-1 record; another version is accepted and ignored.
    bool Unserialize(const std::vector<unsigned char>& in) override;
    /// "<mode>: <vertical|horizontal>".
    void GetParamInfo(std::wstring& out) const override;
    /// Copies the axis.
    void Assign(const OptParam_Flip& other);

    bool m_bVertical{false};  ///< true: top-bottom mirror; false: left-right
};
