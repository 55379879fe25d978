#include "imagewindow/tools/SettingsBlob.h"

#include "Tracewell/Log.h"

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

void SettingsBlob::WriteSingleField(std::vector<BYTE>& blob, std::int32_t version, std::int32_t field)
{
    blob.clear();
    AppendInt32(blob, version);
    AppendInt32(blob, field);
}

int SettingsBlob::ReadSingleField(const std::vector<BYTE>& blob, bool accepted, const wchar_t* function,
                                  std::int32_t& field)
{
    if (!accepted) {
        WriteLog(LOG_LEVEL_ERROR, L"ImageWindow", function, L"Invalid parameter data size or version.");
        return 0;
    }
    if (blob[0] != 1) return 1;
    if (blob.size() != 8) {
        WriteLog(LOG_LEVEL_ERROR, L"ImageWindow", function, L"Invalid parameter data size for version %d.", 1);
        return 0;
    }
    field = ReadInt32(blob, 4);
    return 1;
}

} // namespace ImageWindow::EmbeddedTool
