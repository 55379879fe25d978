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
    /// Makes `blob` the 8-byte blob of a tool with one setting: `version`,
    /// then `field`.
    static void WriteSingleField(std::vector<BYTE>& blob, std::int32_t version, std::int32_t field);
    /// Applies a blob of the form version + one 32-bit field (8 bytes in
    /// version 1): `accepted` is the interface's verdict on the blob
    /// (IEmbeddedTool::UnserializeToolSettings). Returns 0, `field`
    /// unchanged and an error line logged under `function` (module
    /// "ImageWindow"), when the interface refused it or a version-1 blob is
    /// not exactly 8 bytes. Otherwise returns 1, with `field` read from
    /// offset 4 for version 1 and left as it was for version 0; the caller
    /// then brings it into range.
    static int ReadSingleField(const std::vector<BYTE>& blob, bool accepted, const wchar_t* function,
                               std::int32_t& field);
};

} // namespace ImageWindow::EmbeddedTool
