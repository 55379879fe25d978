#include "imagewindow/tools/SettingsBlob.h"

namespace ImageWindow::EmbeddedTool {

std::int32_t SettingsBlob::ReadInt32(const std::vector<BYTE>& blob, std::size_t offset)
{
    const std::uint32_t v = static_cast<std::uint32_t>(blob[offset]) | (static_cast<std::uint32_t>(blob[offset + 1]) << 8) |
                            (static_cast<std::uint32_t>(blob[offset + 2]) << 16) |
                            (static_cast<std::uint32_t>(blob[offset + 3]) << 24);
    return static_cast<std::int32_t>(v);
}

void SettingsBlob::AppendInt32(std::vector<BYTE>& blob, std::int32_t value)
{
    const auto v = static_cast<std::uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8) blob.push_back(static_cast<BYTE>((v >> shift) & 0xFF));
}

} // namespace ImageWindow::EmbeddedTool
