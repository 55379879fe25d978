#pragma once
// The data record of every operation: a snapshot of the image after the
// operation, with an optional selection.
//
// Pixels: bottom-up rows (memory row 0 is the bottom row of the picture),
// 24-bit BGR or 32-bit BGRA, rows padded to 4 bytes, biSizeImage bytes in all,
// described by the 44-byte header. An empty pixel vector means the image did
// not change since the previous history entry; readers then walk towards the
// oldest entry to the nearest snapshot that holds pixels.
//
// Serialised form: the class name "ImageData" in UTF-16LE with its terminating
// zero (20 bytes), the 44-byte header, then biSizeImage bytes of pixels.
// Region and mask are not serialised.

#include <memory>
#include <string>
#include <vector>

#include "Recallo/IOptData.h"
#include "platform/CRgn.h"
#include "platform/WinTypes.h"

class ImageData : public OperationManage::IOptData {
public:
    /// Size of the serialised form without pixels: class name and header.
    static constexpr std::size_t kSerializedHeadSize = 64;

    /// Zeroed header, no pixels, no region, no mask.
    ImageData();
    /// Copies header, pixels (into huge-page-advised storage when large),
    /// region (a copy of its own) and mask.
    ImageData(const ImageData& other);
    ImageData& operator=(const ImageData&) = delete;
    ~ImageData() override;

    /// Writes class name, header and pixels. Meant for snapshots that hold pixels.
    void Serialize(std::vector<unsigned char>& out) override;
    /// Reads a serialised snapshot: refuses input that does not start with the
    /// class name or whose size is not exactly 64 + biSizeImage with at least
    /// one pixel byte (both logged at level 1). Region and mask stay as they were.
    bool Unserialize(const std::vector<unsigned char>& in) override;

    /// True when the snapshot carries pixels of its own.
    bool HasPixels() const { return !m_Pixels.empty(); }
    /// Forgets the selection: no region, empty mask.
    void ClearSelection();

    BITMAPINFO m_Header{};                 ///< width, height, bit count, biSizeImage
    std::vector<unsigned char> m_Pixels;   ///< biSizeImage bytes, or empty (unchanged)
    std::unique_ptr<CRgn> m_pRegion;       ///< selection region, image pixels (row 0 at the top); null when none
    std::vector<unsigned char> m_Mask;     ///< selection mask that goes with the region
};
