#include "Tinctor/RemoveSpotHealer.h"

#include <algorithm>
#include <cmath>

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

} // namespace

RemoveSpotHealer::RemoveSpotHealer(const ImageBuffer& image, const RemoveSpotDisk& disk, RemoveSpotScratch& scratch)
    : m_image(image),
      m_disk(disk),
      m_scratch(scratch),
      m_inDisk(scratch.inDisk),
      m_weight(scratch.weight),
      m_original(scratch.original),
      m_source(scratch.source),
      m_repaired(scratch.repaired),
      m_correction(scratch.correction)
{
    const RECT& b = disk.Bounds();
    m_grid = RECT{std::max(b.left - 1, 0), std::max(b.top - 1, 0), std::min(b.right + 1, image.width),
                  std::min(b.bottom + 1, image.height)};
    m_width = std::max(0, static_cast<int>(m_grid.right - m_grid.left));
    m_height = std::max(0, static_cast<int>(m_grid.bottom - m_grid.top));
}

bool RemoveSpotHealer::Heal(PROGRESS_CALLBACK progress)
{
    Report(progress, 0);
    if (m_disk.IsEmpty() || !BuildDisk()) {
        Report(progress, ProgressSteps);
        return true;
    }
    if (!HasBoundary(m_inDisk)) return false;

    const RemoveSpotSourceSearch search(m_image, m_disk, m_scratch.patchMeans);
    const std::optional<SpotSource> source = search.Find();
    LoadOriginal();
    LoadSource(source);
    Report(progress, 1);

    Solve(m_inDisk, RemoveSpotPoissonSolver::Start::Fresh, PredictionTolerance);
    Report(progress, 2);
    const float typicalDeparture = source ? source->typicalDeparture : search.SmoothFillDeparture();
    const SpotGrid grid{m_width, m_height, &m_inDisk, m_disk.CenterX() - m_grid.left, m_disk.CenterY() - m_grid.top,
                        m_disk.Radius()};
    const std::vector<std::uint8_t>& flaw = m_scratch.flawMask.Find(grid, m_original, m_repaired, typicalDeparture);
    Solve(flaw, RemoveSpotPoissonSolver::Start::FromValues, RemoveSpotPoissonSolver::Tolerance);
    Report(progress, 3);
    Compose(flaw);
    Report(progress, ProgressSteps);
    return true;
}

bool RemoveSpotHealer::BuildDisk()
{
    const std::size_t cells = static_cast<std::size_t>(m_width) * m_height;
    m_inDisk.assign(cells, 0);
    m_weight.assign(cells, 0.0f);
    bool any = false;
    const RECT& b = m_disk.Bounds();
    for (int y = b.top; y < b.bottom; ++y) {
        for (int x = b.left; x < b.right; ++x) {
            const float weight = m_disk.Weight(x, y);
            if (weight <= 0.0f) continue;
            const std::size_t i = static_cast<std::size_t>(y - m_grid.top) * m_width + (x - m_grid.left);
            m_weight[i] = weight;
            m_inDisk[i] = 1;
            any = true;
        }
    }
    return any;
}

bool RemoveSpotHealer::IsBoundaryCell(const std::vector<std::uint8_t>& area, int x, int y) const
{
    const std::size_t i = static_cast<std::size_t>(y) * m_width + x;
    if (area[i]) return false;
    return (x > 0 && area[i - 1]) || (x + 1 < m_width && area[i + 1]) || (y > 0 && area[i - m_width]) ||
           (y + 1 < m_height && area[i + m_width]);
}

bool RemoveSpotHealer::HasBoundary(const std::vector<std::uint8_t>& area) const
{
    for (int y = 0; y < m_height; ++y)
        for (int x = 0; x < m_width; ++x)
            if (IsBoundaryCell(area, x, y)) return true;
    return false;
}

void RemoveSpotHealer::LoadOriginal()
{
    m_original.resize(static_cast<std::size_t>(m_width) * m_height * 3);
    for (int y = 0; y < m_height; ++y) {
        const unsigned char* row = m_image.RowFromTop(m_grid.top + y);
        for (int x = 0; x < m_width; ++x) {
            const unsigned char* p = row + static_cast<std::size_t>(m_grid.left + x) * m_image.bytesPerPixel;
            for (int c = 0; c < 3; ++c) m_original[(static_cast<std::size_t>(y) * m_width + x) * 3 + c] = p[c];
        }
    }
}

// The search guarantees that the source pixel of every disk and boundary cell
// lies in the image; other cells are never read.
void RemoveSpotHealer::LoadSource(const std::optional<SpotSource>& source)
{
    m_source.assign(static_cast<std::size_t>(m_width) * m_height * 3, 0.0f);
    if (!source) return;
    for (int y = 0; y < m_height; ++y) {
        for (int x = 0; x < m_width; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * m_width + x;
            if (!m_inDisk[i] && !IsBoundaryCell(m_inDisk, x, y)) continue;
            for (const SpotSourcePart& part : source->parts) {
                const unsigned char* p = m_image.RowFromTop(m_grid.top + y + part.offset.dy) +
                                         static_cast<std::size_t>(m_grid.left + x + part.offset.dx) * m_image.bytesPerPixel;
                for (int c = 0; c < 3; ++c) m_source[i * 3 + c] += part.weight * p[c];
            }
        }
    }
}

// The correction is harmonic inside the area and equals original - source on
// its boundary, so source + correction meets the surroundings without a seam.
// Starting from values, the cells of `area` keep the correction of the last
// solve as their first guess.
void RemoveSpotHealer::Solve(const std::vector<std::uint8_t>& area, RemoveSpotPoissonSolver::Start start,
                             float tolerance)
{
    if (start == RemoveSpotPoissonSolver::Start::Fresh) m_correction.assign(m_source.size(), 0.0f);
    for (int y = 0; y < m_height; ++y)
        for (int x = 0; x < m_width; ++x) {
            if (!IsBoundaryCell(area, x, y)) continue;
            const std::size_t i = (static_cast<std::size_t>(y) * m_width + x) * 3;
            for (int c = 0; c < 3; ++c) m_correction[i + c] = m_original[i + c] - m_source[i + c];
        }
    m_scratch.solver.Solve(m_width, m_height, area, m_correction, start, tolerance);
    m_repaired.resize(m_source.size());
    for (std::size_t i = 0; i < area.size(); ++i)
        if (area[i])
            for (int c = 0; c < 3; ++c) m_repaired[i * 3 + c] = m_source[i * 3 + c] + m_correction[i * 3 + c];
}

void RemoveSpotHealer::Compose(const std::vector<std::uint8_t>& area) const
{
    for (int y = 0; y < m_height; ++y) {
        unsigned char* row = m_image.RowFromTop(m_grid.top + y);
        for (int x = 0; x < m_width; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * m_width + x;
            if (!area[i]) continue;
            unsigned char* p = row + static_cast<std::size_t>(m_grid.left + x) * m_image.bytesPerPixel;
            for (int c = 0; c < 3; ++c) {
                const float blended = p[c] + m_weight[i] * (m_repaired[i * 3 + c] - p[c]);
                p[c] = static_cast<unsigned char>(std::lround(std::clamp(blended, 0.0f, 255.0f)));
            }
        }
    }
}

} // namespace ImageProcess
