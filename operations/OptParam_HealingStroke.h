#pragma once
// Parameter record of a healing stroke (a drag of the spot remover with Shift
// held at the press): the spot size and the stroke's path, its points in
// image pixels (row 0 at the top), in the order they were drawn.
// Serialised form, little-endian 32-bit fields: version (1), size, the
// number of points n, then x and y of each point: 12 + 8 n bytes.

#include <string>
#include <vector>

#include "operations/CopyableParam.h"
#include "platform/WinTypes.h"

class OptParam_HealingStroke : public CopyableParam<OptParam_HealingStroke> {
public:
    /// Bytes before the points.
    static constexpr std::size_t kHeaderSize = 12;
    /// Most points a record holds (as many as the healing takes).
    static constexpr std::size_t kMaxPoints = 100000;

    /// Size 15, no points.
    OptParam_HealingStroke();

    /// Writes the 12 + 8 n byte record.
    void Serialize(std::vector<unsigned char>& out) override;
    /// Reads a version-1 record of 1 to kMaxPoints points whose size matches
    /// its point count; another version is accepted and ignored.
    bool Unserialize(const std::vector<unsigned char>& in) override;
    /// "<size>: N px\r\n<path>: n <points>, (x0, y0) ... (xn, yn)".
    void GetParamInfo(std::wstring& out) const override;
    /// Copies size and path.
    void Assign(const OptParam_HealingStroke& other);
    /// True when the stroke's area (the pixel centres closer to the path than
    /// half the odd width 2 (size / 2) + 1, plus half a pixel) holds a pixel
    /// of a `width` x `height` image; a stroke drawn wholly on the margin
    /// around the picture, or one without points, does not.
    bool ReachesImage(LONG width, LONG height) const;

    std::int32_t m_nSpotSize{15};  ///< pixels
    std::vector<POINT> m_Path;     ///< image pixels from the left and from the top
};
