#include "imagewindow/tools/SketchPenFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <cwctype>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "Tracewell/Log.h"

namespace ImageWindow {

namespace EmbeddedTool {

namespace {

constexpr std::size_t kRecordHeader = 16;

// Reads little-endian fields from a byte range, refusing any that would run
// past its end.
class ByteReader {
public:
    ByteReader(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}

    std::size_t Remaining() const { return m_size - m_pos; }
    bool ReadUInt32(std::uint32_t& value)
    {
        if (Remaining() < 4) return false;
        const std::uint8_t* p = m_data + m_pos;
        value = static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
                (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
        m_pos += 4;
        return true;
    }
    bool ReadInt32(std::int32_t& value)
    {
        std::uint32_t raw = 0;
        if (!ReadUInt32(raw)) return false;
        value = static_cast<std::int32_t>(raw);
        return true;
    }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos{0};
};

// One record, or false at a short read or a size that cannot be a pen.
bool ReadRecord(ByteReader& in, SketchPen& pen)
{
    std::int32_t style = 0, size = 0, hotX = 0, hotY = 0;
    if (in.Remaining() < kRecordHeader) return false;
    in.ReadInt32(style);
    in.ReadInt32(size);
    in.ReadInt32(hotX);
    in.ReadInt32(hotY);
    if (size <= 0) return false;
    // The weights must be there before any memory is set aside for them.
    const std::uint64_t count = static_cast<std::uint64_t>(size) * static_cast<std::uint64_t>(size);
    if (count > in.Remaining() / 4) return false;
    pen.eStyle = static_cast<emStyle>(style);
    pen.iSize = size;
    pen.iHardness = 100;
    pen.iOpacity = 100;
    pen.ptHotSpot = {hotX, hotY};
    pen.vWeights.resize(static_cast<std::size_t>(count));
    for (std::int32_t& weight : pen.vWeights) in.ReadInt32(weight);
    return true;
}

} // namespace

SketchPenFile::Contents SketchPenFile::Read(const std::uint8_t* data, std::size_t size)
{
    Contents contents;
    if (size < 4 || std::memcmp(data, "SKPN", 4) != 0) return contents;
    contents.bSignature = true;
    ByteReader in(data + 4, size - 4);
    contents.bCount = in.ReadUInt32(contents.uCount);
    if (!contents.bCount) return contents;
    for (std::uint32_t i = 0; i < contents.uCount; ++i) {
        SketchPen pen;
        if (!ReadRecord(in, pen)) break;
        contents.vPens.push_back(std::move(pen));
    }
    return contents;
}

} // namespace EmbeddedTool

namespace {

using EmbeddedTool::SketchPen;
using EmbeddedTool::SketchPenFile;

constexpr const wchar_t* kModule = L"ImageWindow";
constexpr const wchar_t* kFunction = L"ImageWindow::LoadSketchPens";
constexpr std::size_t kMaxErrorText = 1024;

std::vector<SketchPen>& PenCollection()
{
    static std::vector<SketchPen> pens;
    return pens;
}

bool HasPenEnding(const std::filesystem::path& path)
{
    std::wstring ending = path.extension().wstring();
    std::transform(ending.begin(), ending.end(), ending.begin(), [](wchar_t c) { return std::towlower(c); });
    return ending == L".sp";
}

// The pen files directly in `folder`, in name order.
std::vector<std::filesystem::path> ListPenFiles(const std::filesystem::path& folder)
{
    std::vector<std::filesystem::path> files;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        // Folders are skipped, and so are devices and pipes, whose reading
        // might never end.
        std::error_code ignored;
        if (HasPenEnding(entry.path()) && entry.is_regular_file(ignored)) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::wstring ErrorText(int error)
{
    const char* text = std::strerror(error);
    std::wstring wide(text, text + std::min(std::strlen(text), kMaxErrorText));
    return wide;
}

void LoadPenFile(const std::filesystem::path& path, std::vector<SketchPen>& pens)
{
    const std::wstring name = path.filename().wstring();
    errno = 0;
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        WriteLog(LOG_LEVEL_WARNING, kModule, kFunction, L"Failed open file '%s'. Error: %s", name.c_str(),
                 ErrorText(errno ? errno : EIO).c_str());
        return;
    }
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    SketchPenFile::Contents contents = SketchPenFile::Read(bytes.data(), bytes.size());
    if (!contents.bSignature) {
        WriteLog(LOG_LEVEL_WARNING, kModule, kFunction, L"File '%s' is not a valid SketchPen file.", name.c_str());
        return;
    }
    if (!contents.bCount) return;
    WriteLog(LOG_LEVEL_INFO, kModule, kFunction, L"File '%s' contains %u pens, %d pens are loaded.", name.c_str(),
             contents.uCount, static_cast<int>(contents.vPens.size()));
    std::move(contents.vPens.begin(), contents.vPens.end(), std::back_inserter(pens));
}

} // namespace

int LoadSketchPens(const wchar_t* folder)
{
    std::error_code error;
    if (!folder || !std::filesystem::is_directory(std::filesystem::path(folder), error)) {
        WriteLog(LOG_LEVEL_ERROR, kModule, kFunction, L"Invalid Parameter.");
        return 0;
    }
    std::vector<SketchPen>& pens = PenCollection();
    pens.clear();
    for (const auto& path : ListPenFiles(std::filesystem::path(folder))) LoadPenFile(path, pens);
    return 1;
}

const std::vector<EmbeddedTool::SketchPen>& GetSketchPens() { return PenCollection(); }

} // namespace ImageWindow
