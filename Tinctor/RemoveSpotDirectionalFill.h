#pragma once
// Fills a spot's disk along the straight structure its surroundings show, so
// that an edge crossing the spot carries on through it instead of being
// smeared.

#include <array>

#include "Tinctor/ImageBuffer.h"
#include "Tinctor/RemoveSpotDisk.h"

namespace ImageProcess {

/// The directional fill of a spot's disk.
///
/// The ring of intact pixels around the disk gives a dominant direction and
/// how coherent it is: the structure tensor of the grey gradients there (the
/// sum of the outer products of the gradients), whose eigenvectors are the
/// direction across the structure and the one along it, and whose coherence
/// (l1 - l2) / (l1 + l2), 0 to 1, is 1 for one straight edge and near 0 for
/// grain or texture without a direction. Each pixel of the disk is then
/// interpolated along the direction of the structure between the two points
/// where the line through it meets a circle just outside the disk (a little
/// beyond the disk's soft edge, so that only intact pixels are read, with
/// bilinear sampling), linearly by distance. A straight edge through the spot
/// thus continues exactly; an edge beside it stays beside it.
///
/// When the circle leaves the image, or the ring has too little structure to
/// tell a direction, the coherence is 0 and the fill is not used.
/// Coordinates are image pixels with row 0 at the top. Reads the image only;
/// immutable after construction, any thread.
class RemoveSpotDirectionalFill {
public:
    RemoveSpotDirectionalFill(const ImageBuffer& image, const RemoveSpotDisk& disk);

    /// 0 to 1: how much the surroundings show one direction.
    double Coherence() const { return m_coherence; }

    /// The fill's colour (3 channels, grey levels) at pixel (x, y), which
    /// must lie in the image; pixels beyond the circle the fill reads give
    /// their own colour. Only meaningful while Coherence() is above 0.
    std::array<float, 3> At(int x, int y) const;

private:
    void MeasureDirection();
    std::array<float, 3> Sample(double x, double y) const;

    const ImageBuffer& m_image;
    const RemoveSpotDisk& m_disk;
    double m_sampleRadius{0.0};         ///< radius of the circle the fill reads
    double m_alongX{1.0};               ///< unit vector along the structure
    double m_alongY{0.0};
    double m_coherence{0.0};
};

} // namespace ImageProcess
