#include "Tinctor/RemoveSpotHealer.h"

#include <algorithm>
#include <array>

#include "Tinctor/RemoveSpotFlawMask.h"

namespace ImageProcess {

namespace {

constexpr unsigned int ProgressSteps = 4;
// The whole-disk prediction only needs to be good to half a grey level for the
// flaw test (whose thresholds are 6 levels and more); the final solve then
// carries on from it to the solver's full accuracy.
constexpr float PredictionTolerance = 0.5f;

void Report(PROGRESS_CALLBACK progress, unsigned int done)
{
    if (progress) progress(done, ProgressSteps);
}

RECT GridOf(const RemoveSpotDisk& disk, const ImageBuffer& image)
{
    const RECT& b = disk.Bounds();
    return RECT{std::max(b.left - 1, 0), std::max(b.top - 1, 0), std::min(b.right + 1, image.width),
                std::min(b.bottom + 1, image.height)};
}

} // namespace

RemoveSpotHealer::RemoveSpotHealer(const ImageBuffer& image, const RemoveSpotDisk& disk, RemoveSpotScratch& scratch)
    : m_image(image),
      m_disk(disk),
      m_grid(GridOf(disk, image)),
      m_scratch(scratch),
      m_inDisk(scratch.inDisk),
      m_weight(scratch.weight),
      m_blend(image, m_grid,
              GradientBlend::Buffers{scratch.original, scratch.source, scratch.repaired, scratch.correction,
                                     scratch.solver})
{
}

// A directional fill that follows the spot's surroundings is a better smooth
// fill than the membrane, so sources must beat it by more: its cost falls
// with the coherence of the surroundings' direction.
bool RemoveSpotHealer::Heal(PROGRESS_CALLBACK progress)
{
    Report(progress, 0);
    if (m_disk.IsEmpty() || !BuildDisk()) {
        Report(progress, ProgressSteps);
        return true;
    }
    if (!m_blend.HasBoundary(m_inDisk)) return false;

    const RemoveSpotSourceSearch search(m_image, m_disk, m_scratch.patchMeans);
    const RemoveSpotDirectionalFill directional(m_image, m_disk);
    const std::optional<SpotSource> source = search.Find(1.0 - directional.Coherence());
    m_blend.Load();
    LoadSource(source, directional);
    Report(progress, 1);

    m_blend.Heal(m_inDisk, RemoveSpotPoissonSolver::Start::Fresh, PredictionTolerance);
    Report(progress, 2);
    const float typicalDeparture = source ? source->typicalDeparture : search.SmoothFillDeparture();
    const SpotGrid grid{m_blend.Width(), m_blend.Height(), &m_inDisk, m_disk.CenterX() - m_grid.left,
                        m_disk.CenterY() - m_grid.top, m_disk.Radius()};
    const std::vector<std::uint8_t>& flaw =
        m_scratch.flawMask.Find(grid, m_blend.Original(), m_blend.Repaired(), typicalDeparture);
    m_blend.Heal(flaw, RemoveSpotPoissonSolver::Start::FromValues, RemoveSpotPoissonSolver::Tolerance);
    Report(progress, 3);
    m_blend.Compose(flaw, m_weight);
    Report(progress, ProgressSteps);
    return true;
}

bool RemoveSpotHealer::BuildDisk()
{
    const std::size_t cells = static_cast<std::size_t>(m_blend.Width()) * m_blend.Height();
    m_inDisk.assign(cells, 0);
    m_weight.assign(cells, 0.0f);
    bool any = false;
    const RECT& b = m_disk.Bounds();
    for (int y = b.top; y < b.bottom; ++y) {
        for (int x = b.left; x < b.right; ++x) {
            const float weight = m_disk.Weight(x, y);
            if (weight <= 0.0f) continue;
            const std::size_t i = static_cast<std::size_t>(y - m_grid.top) * m_blend.Width() + (x - m_grid.left);
            m_weight[i] = weight;
            m_inDisk[i] = 1;
            any = true;
        }
    }
    return any;
}

template <typename ColourAt>
void RemoveSpotHealer::AddToSource(float share, ColourAt colourAt)
{
    std::vector<float>& values = m_blend.Source();
    for (int y = 0; y < m_blend.Height(); ++y)
        for (int x = 0; x < m_blend.Width(); ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * m_blend.Width() + x;
            if (!m_inDisk[i] && !m_blend.IsBoundaryCell(m_inDisk, x, y)) continue;
            const std::array<float, 3> colour = colourAt(m_grid.left + x, m_grid.top + y);
            for (int c = 0; c < 3; ++c) values[i * 3 + c] += share * colour[c];
        }
}

// The search guarantees that the source pixel of every disk and boundary cell
// lies in the image; other cells are never read. The smooth fill's share of
// the blend takes the directional fill as far as the surroundings show a
// direction; the harmonic correction supplies the rest (the membrane).
void RemoveSpotHealer::LoadSource(const std::optional<SpotSource>& source, const RemoveSpotDirectionalFill& directional)
{
    float smoothShare = 1.0f;
    if (source) {
        for (const SpotSourcePart& part : source->parts) {
            smoothShare -= part.weight;
            AddToSource(part.weight, [&](int x, int y) {
                const unsigned char* p = m_image.RowFromTop(y + part.offset.dy) +
                                         static_cast<std::size_t>(x + part.offset.dx) * m_image.bytesPerPixel;
                return std::array<float, 3>{static_cast<float>(p[0]), static_cast<float>(p[1]), static_cast<float>(p[2])};
            });
        }
    }
    const float directionalShare = std::max(smoothShare, 0.0f) * static_cast<float>(directional.Coherence());
    if (directionalShare > 0.0f) AddToSource(directionalShare, [&](int x, int y) { return directional.At(x, y); });
}

} // namespace ImageProcess
