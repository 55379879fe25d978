#pragma once
// Reading and writing the little-endian 32-bit fields of a tool settings blob
// (a 32-bit version followed by the tool's fields).

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/WinTypes.h"

namespace ImageWindow::EmbeddedTool {

class SettingsBlob {
public:
    /// The signed 32-bit little-endian field at byte `offset`; the caller
    /// makes sure offset + 4 bytes lie inside the blob.
    static std::int32_t ReadInt32(const std::vector<BYTE>& blob, std::size_t offset);
    /// Appends `value` as four little-endian bytes.
    static void AppendInt32(std::vector<BYTE>& blob, std::int32_t value);
};

} // namespace ImageWindow::EmbeddedTool
