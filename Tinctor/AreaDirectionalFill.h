#pragma once
// Fills a piece of an area along the straight structure its surroundings
// show, so that an edge crossing a stroke carries on through it.

#include <array>
#include <vector>

#include "Tinctor/AreaMask.h"
#include "Tinctor/ImageBuffer.h"

namespace ImageProcess {

/// The directional fill of one piece of an area (see AreaHealer).
///
/// The pixels around the piece (`band`: outside the area) give a dominant
/// direction and how coherent it is, from the structure tensor of their grey
/// gradients (taken from neighbours outside the area only), as
/// RemoveSpotDirectionalFill measures it around a disk. A pixel of the area
/// is then interpolated, linearly by distance, between the first points
/// outside the area (bilinear samples that read no pixel of the area) that
/// the line through it along the structure meets on either side, no farther
/// than `reach` pixels; a side that meets none within reach (the structure
/// runs along the stroke, or the image ends) takes the other side's sample.
/// When more than a fifth of the piece's pixels (`footprint`) miss a side,
/// or the band is too flat to tell a direction, the coherence is 0 and the
/// fill is not used.
/// Coordinates are image pixels, row 0 at the top. Reads the image only;
/// immutable after construction, any thread.
class AreaDirectionalFill {
public:
    AreaDirectionalFill(const ImageBuffer& image, const AreaMask& mask, const std::vector<POINT>& band,
                        const std::vector<POINT>& footprint, double reach);

    /// 0 to 1: how much the surroundings show one direction.
    double Coherence() const { return m_coherence; }
    /// The mean colour of the band (the fill's level).
    const std::array<float, 3>& Level() const { return m_level; }

    /// The fill's colour (grey levels, 3 channels) at pixel (x, y) of the
    /// image: its own colour outside the area, the band's level where no
    /// sample was found on either side. Only meaningful while Coherence() is
    /// above 0.
    std::array<float, 3> At(int x, int y) const;

private:
    struct Found {
        bool found{false};
        double distance{0.0};
        std::array<float, 3> colour{};
    };

    void MeasureDirection(const std::vector<POINT>& band);
    bool Gradient(int x, int y, double& gx, double& gy) const;
    double Grey(int x, int y) const;
    Found March(int x, int y, double stepX, double stepY) const;
    bool ReadsOnlyOutside(int x0, int y0) const;
    std::array<float, 3> Pixel(int x, int y) const;

    const ImageBuffer& m_image;
    AreaMask m_mask;
    double m_reach{0.0};
    double m_alongX{1.0};
    double m_alongY{0.0};
    double m_coherence{0.0};
    std::array<float, 3> m_level{};
};

} // namespace ImageProcess
