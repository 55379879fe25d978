#pragma once
// Byte-level helpers shared by the serialised operation records: 32-bit
// little-endian fields and the version rule every parameter record follows.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace RecordBytes {

/// Writes `value` little-endian at `offset`; `out` must hold offset + 4 bytes.
void PutInt32(std::vector<unsigned char>& out, std::size_t offset, std::int32_t value);
/// Reads a little-endian 32-bit value at `offset`; `in` must hold offset + 4 bytes.
std::int32_t GetInt32(const std::vector<unsigned char>& in, std::size_t offset);
/// Writes an IEEE single-precision value little-endian at `offset`.
void PutFloat(std::vector<unsigned char>& out, std::size_t offset, float value);
/// Reads an IEEE single-precision value stored little-endian at `offset`.
float GetFloat(const std::vector<unsigned char>& in, std::size_t offset);

/// What a parameter record's Unserialize does with its input.
enum class ParamCheck {
    Read,    ///< a version-1 record of the right size: read the fields
    Ignore,  ///< a record of another version: accept it and change nothing
    Reject,  ///< invalid: already logged, return false
};

/// Applies the rule shared by the parameter records: `baseAccepted` is the
/// result of the base class's Unserialize; a record whose byte 0 is not 1 is
/// accepted and ignored; a version-1 record must be exactly `sizeV1` bytes.
/// Failures are logged at level 1 under "<className>::Unserialize".
ParamCheck CheckParamRecord(bool baseAccepted, const std::vector<unsigned char>& in, std::size_t sizeV1,
                            const wchar_t* className);

} // namespace RecordBytes
