#include "operations/ImageData.h"

#include <cstring>

#include "Tracewell/Log.h"
#include "operations/PixelBuffer.h"
#include "operations/RecordBytes.h"

namespace {

constexpr wchar_t kClassName[] = L"ImageData";
constexpr std::size_t kNameBytes = 2 * (std::size(kClassName));  // UTF-16 with its terminating zero

// The class name as it is stored: UTF-16LE code units, terminating zero included.
void PutClassName(std::vector<unsigned char>& out)
{
    for (std::size_t i = 0; i < std::size(kClassName); ++i) {
        const auto unit = static_cast<std::uint16_t>(kClassName[i]);
        out[2 * i] = static_cast<unsigned char>(unit & 0xFF);
        out[2 * i + 1] = static_cast<unsigned char>(unit >> 8);
    }
}

bool StartsWithClassName(const std::vector<unsigned char>& in)
{
    if (in.size() < kNameBytes) return false;
    for (std::size_t i = 0; i < std::size(kClassName); ++i) {
        const auto unit = static_cast<std::uint16_t>(in[2 * i] | (in[2 * i + 1] << 8));
        if (unit != static_cast<std::uint16_t>(kClassName[i])) return false;
    }
    return true;
}

} // namespace

static_assert(kNameBytes + sizeof(BITMAPINFO) == ImageData::kSerializedHeadSize);

ImageData::ImageData() : IOptData(L"ImageData") {}

ImageData::ImageData(const ImageData& other) : IOptData(other), m_Header(other.m_Header), m_Mask(other.m_Mask)
{
    PixelBuffer::AssignCopy(m_Pixels, other.m_Pixels.data(), other.m_Pixels.size());
    // The copy gets a region object of its own covering the same area.
    if (other.m_pRegion && other.m_pRegion->HasRegion()) {
        m_pRegion = std::make_unique<CRgn>();
        m_pRegion->CopyRgn(*other.m_pRegion);
    }
}

ImageData::~ImageData() = default;

void ImageData::ClearSelection()
{
    m_pRegion.reset();
    m_Mask.clear();
}

void ImageData::Serialize(std::vector<unsigned char>& out)
{
    out.assign(kSerializedHeadSize + m_Pixels.size(), 0);
    PutClassName(out);
    std::memcpy(out.data() + kNameBytes, &m_Header, sizeof(BITMAPINFO));
    if (!m_Pixels.empty()) std::memcpy(out.data() + kSerializedHeadSize, m_Pixels.data(), m_Pixels.size());
}

bool ImageData::Unserialize(const std::vector<unsigned char>& in)
{
    if (!StartsWithClassName(in)) {
        WriteLog(LOG_LEVEL_ERROR, L"CorvaneLoader", L"ImageData::Unserialize",
                 L"The input data doesn't match class ImageData.");
        return false;
    }
    const std::size_t size = in.size();
    // The size must be exactly head + biSizeImage, with at least one pixel byte.
    const bool sizeOk = size > kSerializedHeadSize &&
                        size - kSerializedHeadSize ==
                            static_cast<std::uint32_t>(RecordBytes::GetInt32(in, kNameBytes + 20));
    if (!sizeOk) {
        WriteLog(LOG_LEVEL_ERROR, L"CorvaneLoader", L"ImageData::Unserialize", L"Invalid data size.");
        WriteLog(LOG_LEVEL_ERROR, L"CorvaneLoader", L"ImageData::Unserialize",
                 L"The input data doesn't match class ImageData.");
        return false;
    }
    std::memcpy(&m_Header, in.data() + kNameBytes, sizeof(BITMAPINFO));
    PixelBuffer::AssignCopy(m_Pixels, in.data() + kSerializedHeadSize, size - kSerializedHeadSize);
    return true;
}
