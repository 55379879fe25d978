#include "Tinctor/RemoveSpotSourceSearch.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstdint>
#include <numbers>

#include "Tinctor/RemoveSpotStructureMap.h"
#include "Tinctor/SourceMatch.h"

namespace ImageProcess {

namespace {

// The coarse search works on blocks small enough that the disk's radius spans
// at most this many of them.
constexpr double CoarseRadiusCells = 8.0;
// Half the diagonal of a cell, in cells: a ring cell's centre must be this
// much farther out than the disk's rim so that no pixel of it is repaired.
constexpr double HalfDiagonal = 0.7072;
using namespace SourceTuning;
// The cells next to the disk: the ring's cells this many cells deep, in this
// many directions (sectors), of which structure through the disk reaches two
// at least this many sectors apart.
constexpr double InnerBandCells = 1.5;
constexpr std::size_t BusySectors = 8;
constexpr std::size_t MinSectorsApart = 2;
// Two busy sectors are separated by a quieter one whose level is below this
// share of theirs.
constexpr double GapShare = 0.5;
// A candidate's disk may hold this many times the coarse structure that runs
// through the spot's ring (see StructureLimit), plus this much (squared grey
// levels: grain, faint shading), before the excess adds to its cost.
constexpr double StructureFactor = 3.0;
constexpr double StructureFloor = 20.0;

/// Levels of something (detail, structure) found around the spot, per
/// sector of directions; a negative level marks a sector with no cells.
using SectorLevels = std::array<double, BusySectors>;

/// True when the sectors strictly between `from` and `to` (going round in
/// `step`'s direction) include one whose level is below `low`.
bool GapBetween(const SectorLevels& levels, std::size_t from, std::size_t to, int step, double low)
{
    for (std::size_t s = (from + BusySectors + step) % BusySectors; s != to; s = (s + BusySectors + step) % BusySectors)
        if (levels[s] >= 0.0 && levels[s] < low) return true;
    return false;
}

/// The level the inside of the disk may be expected to show, from the
/// levels around it. Structure that runs through the disk (an edge, a
/// branch) enters it on one side and leaves it on another: two sectors at
/// least MinSectorsApart apart, separated on both sides by quieter sectors.
/// Structure that only passes beside the disk (a nearby boundary, a bird)
/// fills one unbroken arc of sectors, however wide, and says nothing about
/// the inside. Texture all round counts too: the level of the second
/// quietest sector.
double ThroughLevel(const SectorLevels& levels)
{
    SectorLevels sorted = levels;
    std::sort(sorted.begin(), sorted.end());
    const auto firstFilled = std::find_if(sorted.begin(), sorted.end(), [](double v) { return v >= 0.0; });
    double through = sorted.end() - firstFilled >= 2 ? firstFilled[1] : 0.0;
    for (std::size_t a = 0; a < BusySectors; ++a)
        for (std::size_t b = a + 1; b < BusySectors; ++b) {
            if (levels[a] < 0.0 || levels[b] < 0.0 || std::min(b - a, BusySectors - (b - a)) < MinSectorsApart) continue;
            const double level = std::min(levels[a], levels[b]);
            if (level <= through) continue;
            const double low = GapShare * level;
            if (GapBetween(levels, a, b, 1, low) && GapBetween(levels, a, b, -1, low)) through = level;
        }
    return through;
}


int RingWidthCells(double radius, int scale)
{
    const int cells = static_cast<int>(std::lround(radius / scale / 2.0));
    return std::clamp(cells, MinBandCells, MaxBandCells);
}

double RingOuterRadius(double radius, int scale)
{
    return radius + 0.5 + HalfDiagonal * scale + RingWidthCells(radius, scale) * scale;
}

bool Contains(const RECT& outer, const RECT& inner)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

RECT Shifted(const RECT& r, SpotOffset offset)
{
    return RECT{r.left + offset.dx, r.top + offset.dy, r.right + offset.dx, r.bottom + offset.dy};
}

RECT United(const RECT& a, const RECT& b)
{
    return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                std::max(a.bottom, b.bottom)};
}

double Length(SpotOffset offset)
{
    return std::hypot(static_cast<double>(offset.dx), static_cast<double>(offset.dy));
}

} // namespace

RemoveSpotSourceSearch::RemoveSpotSourceSearch(const ImageBuffer& image, const RemoveSpotDisk& disk,
                                               std::vector<float>& patchMeans)
    : m_image(image), m_disk(disk), m_patchMeans(patchMeans)
{
    const double radius = disk.Radius();
    m_anchorX = static_cast<int>(std::floor(disk.CenterX()));
    m_anchorY = static_cast<int>(std::floor(disk.CenterY()));
    while (radius / m_coarseScale > CoarseRadiusCells) m_coarseScale *= 2;
    m_nearest = disk.OuterRadius() + RingOuterRadius(radius, 1);
    m_farthest = disk.OuterRadius() + RingOuterRadius(radius, m_coarseScale) + std::max(3.0 * radius, 24.0);
}

std::optional<SpotSource> RemoveSpotSourceSearch::Find(double smoothFactor) const
{
    if (m_disk.IsEmpty()) return std::nullopt;
    int coarseScale = m_coarseScale;
    Ring coarse = BuildRing(coarseScale);
    while (coarse.cellX.size() < MinComparableCells && coarseScale > 1) {
        coarseScale /= 2;
        coarse = BuildRing(coarseScale);
    }
    if (coarse.cellX.size() < MinComparableCells) return std::nullopt;

    std::vector<Ring> finer;
    for (int scale = coarseScale / 2; scale >= 1; scale /= 2) finer.push_back(BuildRing(scale));
    // A coarse search on every other pixel ends with a pass at single pixels.
    if (LatticeStep(coarse) > 1) finer.push_back(coarse);

    std::vector<Candidate> refined;
    for (const Candidate& start : CoarseSearch(coarse)) {
        const Candidate candidate = Refine(start, finer);
        if (std::isfinite(candidate.cost)) refined.push_back(candidate);
    }
    if (refined.empty()) return std::nullopt;
    refined.push_back(SmoothCandidate(coarse, finer, smoothFactor));
    SpotSource source;
    source.parts = Blend(std::move(refined));
    if (source.parts.empty()) return std::nullopt;
    source.typicalDeparture = TypicalDeparture(finer.empty() ? coarse : finer.back(), source.parts);
    return source;
}

// A source with no texture at all matches the ring as well as the ring's
// own texture is weak: its cost is the ring's variance, at the levels a
// refined candidate's cost sums (the coarse one and the finest one).
RemoveSpotSourceSearch::Candidate RemoveSpotSourceSearch::SmoothCandidate(const Ring& coarse,
                                                                          const std::vector<Ring>& finer,
                                                                          double factor) const
{
    double cost = Penalised(RingVariance(coarse), SpotOffset{});
    if (!finer.empty()) cost += Penalised(RingVariance(finer.back()), SpotOffset{});
    Candidate smooth{SpotOffset{}, factor * cost};
    smooth.smooth = true;
    return smooth;
}

double RemoveSpotSourceSearch::RingVariance(const Ring& ring)
{
    return CellVariance(ring.target);
}

float RemoveSpotSourceSearch::SmoothFillDeparture() const
{
    return TypicalDeparture(BuildRing(1), {});
}

std::vector<SpotSourcePart> RemoveSpotSourceSearch::Blend(std::vector<Candidate> candidates)
{
    std::sort(candidates.begin(), candidates.end(), [](const Candidate& a, const Candidate& b) { return a.cost < b.cost; });
    std::vector<BlendCandidate> costs;
    for (const Candidate& candidate : candidates) costs.push_back(BlendCandidate{candidate.cost, candidate.smooth});
    const std::vector<double> shares = BlendShares(costs, BlendCostRatio, MaxBlendedSources);
    // The smooth fill's share adds no texture: the healing's harmonic
    // correction supplies its tone.
    std::vector<SpotSourcePart> parts;
    for (std::size_t i = 0; i < candidates.size(); ++i)
        if (shares[i] > 0.0 && !candidates[i].smooth)
            parts.push_back(SpotSourcePart{candidates[i].offset, static_cast<float>(shares[i])});
    return parts;
}

float RemoveSpotSourceSearch::TypicalDeparture(const Ring& ring, const std::vector<SpotSourcePart>& parts) const
{
    const std::size_t n = ring.cellX.size();
    if (n == 0) return 0.0f;
    std::vector<float> source(n * 3, 0.0f);
    for (const SpotSourcePart& part : parts)
        for (std::size_t k = 0; k < n; ++k) {
            float cell[3];
            CellMean(ring.cellX[k] + part.offset.dx, ring.cellY[k] + part.offset.dy, ring.scale, cell);
            for (int c = 0; c < 3; ++c) source[k * 3 + c] += part.weight * cell[c];
        }
    return MedianDeparture(ring.target, source);
}

RemoveSpotSourceSearch::Ring RemoveSpotSourceSearch::BuildRing(int scale) const
{
    Ring ring;
    ring.scale = scale;
    ring.outerRadius = RingOuterRadius(m_disk.Radius(), scale);
    const double inner = m_disk.OuterRadius() + HalfDiagonal * scale;
    ring.originX = m_anchorX - scale / 2;
    ring.originY = m_anchorY - scale / 2;
    const int reachCells = static_cast<int>(std::ceil(ring.outerRadius / scale)) + 1;
    const RECT& bounds = m_disk.Bounds();
    ring.reach = RECT{std::max(bounds.left - 1, 0), std::max(bounds.top - 1, 0),
                      std::min(bounds.right + 1, m_image.width), std::min(bounds.bottom + 1, m_image.height)};
    const double centreI = (m_disk.CenterX() - ring.originX - (scale - 1) / 2.0) / scale;
    for (int j = -reachCells; j <= reachCells; ++j) {
        const int y = ring.originY + j * scale;
        if (y < 0 || y + scale > m_image.height) continue;
        const double dy = y + (scale - 1) / 2.0 - m_disk.CenterY();
        // Only the cells between the inner and outer circle on this row are
        // looked at; the exact test below decides, the spans only skip the
        // cells that are clearly outside (a cell of margin on each side).
        const double outerSpan = std::sqrt(std::max(ring.outerRadius * ring.outerRadius - dy * dy, 0.0)) / scale + 1.0;
        const double innerSpan = std::sqrt(std::max(inner * inner - dy * dy, 0.0)) / scale - 1.0;
        const int first = std::max(-reachCells, static_cast<int>(std::floor(centreI - outerSpan)));
        const int last = std::min(reachCells, static_cast<int>(std::ceil(centreI + outerSpan)));
        for (int i = first; i <= last; ++i) {
            if (std::fabs(i - centreI) < innerSpan) {
                i = static_cast<int>(std::ceil(centreI + innerSpan)) - 1;
                continue;
            }
            const int x = ring.originX + i * scale;
            if (x < 0 || x + scale > m_image.width) continue;
            const double dx = x + (scale - 1) / 2.0 - m_disk.CenterX();
            const double distance = std::hypot(dx, dy);
            if (distance < inner || distance > ring.outerRadius) continue;
            float mean[3];
            CellMean(x, y, scale, mean);
            ring.cellX.push_back(x);
            ring.cellY.push_back(y);
            ring.target.insert(ring.target.end(), mean, mean + 3);
            ring.reach = United(ring.reach, RECT{x, y, x + scale, y + scale});
        }
    }
    BuildPatch(ring);
    return ring;
}

void RemoveSpotSourceSearch::BuildPatch(Ring& ring)
{
    if (ring.cellX.empty()) return;
    int minI = INT_MAX, maxI = INT_MIN, minJ = INT_MAX, maxJ = INT_MIN;
    for (std::size_t k = 0; k < ring.cellX.size(); ++k) {
        const int i = (ring.cellX[k] - ring.originX) / ring.scale;
        const int j = (ring.cellY[k] - ring.originY) / ring.scale;
        minI = std::min(minI, i);
        maxI = std::max(maxI, i);
        minJ = std::min(minJ, j);
        maxJ = std::max(maxJ, j);
    }
    ring.patchLeft = minI - 1;
    ring.patchTop = minJ - 1;
    ring.patchColumns = maxI - minI + 3;
    ring.patchRows = maxJ - minJ + 3;
    std::vector<std::uint8_t> needed(static_cast<std::size_t>(ring.patchColumns) * ring.patchRows, 0);
    ring.ringInPatch.resize(ring.cellX.size());
    for (std::size_t k = 0; k < ring.cellX.size(); ++k) {
        const int column = (ring.cellX[k] - ring.originX) / ring.scale - ring.patchLeft;
        const int row = (ring.cellY[k] - ring.originY) / ring.scale - ring.patchTop;
        ring.ringInPatch[k] = row * ring.patchColumns + column;
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) needed[static_cast<std::size_t>(row + dy) * ring.patchColumns + column + dx] = 1;
    }
    for (std::size_t i = 0; i < needed.size(); ++i)
        if (needed[i]) ring.patchCells.push_back(static_cast<int>(i));
}

void RemoveSpotSourceSearch::FillPatch(const Ring& ring, SpotOffset offset, std::vector<float>& means) const
{
    means.resize(static_cast<std::size_t>(ring.patchColumns) * ring.patchRows * 3);
    const int scale = ring.scale;
    for (const int cell : ring.patchCells) {
        const int x = ring.originX + (ring.patchLeft + cell % ring.patchColumns) * scale + offset.dx;
        const int y = ring.originY + (ring.patchTop + cell / ring.patchColumns) * scale + offset.dy;
        if (x < 0 || y < 0 || x + scale > m_image.width || y + scale > m_image.height) continue;
        CellMean(x, y, scale, &means[static_cast<std::size_t>(cell) * 3]);
    }
}

double RemoveSpotSourceSearch::PatchCost(const Ring& ring, const std::vector<float>& means, int dx, int dy) const
{
    const std::ptrdiff_t shift = static_cast<std::ptrdiff_t>(dy) * ring.patchColumns + dx;
    RingMatch match;
    for (std::size_t k = 0; k < ring.ringInPatch.size(); ++k)
        match.Add(&ring.target[k * 3], &means[static_cast<std::size_t>(ring.ringInPatch[k] + shift) * 3]);
    return match.Cost(ring.ringInPatch.size());
}

void RemoveSpotSourceSearch::CellMean(int x, int y, int scale, float out[3]) const
{
    BlockMean(m_image, x, y, scale, out);
}

bool RemoveSpotSourceSearch::IsAllowed(const Ring& ring, SpotOffset offset) const
{
    if (Length(offset) < m_disk.OuterRadius() + ring.outerRadius) return false;
    return Contains(RECT{0, 0, m_image.width, m_image.height}, Shifted(ring.reach, offset));
}

double RemoveSpotSourceSearch::Cost(const Ring& ring, const float* source, std::size_t stride,
                                    const std::vector<std::size_t>& cells) const
{
    RingMatch match;
    for (std::size_t k = 0; k < cells.size(); ++k) match.Add(&ring.target[k * 3], source + cells[k] * stride);
    return match.Cost(cells.size());
}

double RemoveSpotSourceSearch::Penalised(double cost, SpotOffset offset) const
{
    return PenalisedCost(cost, Length(offset), m_nearest, m_farthest);
}

// At full resolution neighbouring offsets score nearly alike, so for all but
// the tiniest spots the coarse search takes every other one in each direction.
int RemoveSpotSourceSearch::LatticeStep(const Ring& ring) const
{
    return ring.scale == 1 && m_disk.Radius() > SparseSearchRadius ? 2 : 1;
}

std::vector<RemoveSpotSourceSearch::Candidate> RemoveSpotSourceSearch::CoarseSearch(const Ring& ring) const
{
    const Raster raster = BuildRaster(ring);
    if (raster.columns <= 0 || raster.rows <= 0) return {};
    RemoveSpotDetailMap busyCells;
    busyCells.Build(m_image, raster.originX + raster.firstI * ring.scale, raster.originY + raster.firstJ * ring.scale,
                    ring.scale, raster.columns, raster.rows, BusyLimit(ring));
    RemoveSpotStructureMap structure;
    structure.Build(raster.means, raster.columns, raster.rows);
    std::vector<Candidate> all = ScoreLattice(ring, raster, structure);
    std::sort(all.begin(), all.end(), [](const Candidate& a, const Candidate& b) { return a.cost < b.cost; });
    return PickDistinct(all, ring.scale, busyCells);
}

// Cell means on the ring's cell grid over the search window, so that a
// candidate's ring is a shifted set of raster cells.
RemoveSpotSourceSearch::Raster RemoveSpotSourceSearch::BuildRaster(const Ring& ring) const
{
    Raster raster;
    const int scale = ring.scale;
    raster.originX = m_anchorX - scale / 2;
    raster.originY = m_anchorY - scale / 2;
    const double window = m_farthest + ring.outerRadius + scale;
    raster.firstI = static_cast<int>(std::ceil((std::max(m_disk.CenterX() - window, 0.0) - raster.originX) / scale));
    raster.firstJ = static_cast<int>(std::ceil((std::max(m_disk.CenterY() - window, 0.0) - raster.originY) / scale));
    const double right = std::min(m_disk.CenterX() + window, static_cast<double>(m_image.width));
    const double bottom = std::min(m_disk.CenterY() + window, static_cast<double>(m_image.height));
    raster.columns = static_cast<int>(std::floor((right - raster.originX) / scale)) - raster.firstI;
    raster.rows = static_cast<int>(std::floor((bottom - raster.originY) / scale)) - raster.firstJ;
    if (raster.columns <= 0 || raster.rows <= 0) return raster;
    raster.means.resize(static_cast<std::size_t>(raster.columns) * raster.rows * 3);
    for (int j = 0; j < raster.rows; ++j)
        for (int i = 0; i < raster.columns; ++i)
            CellMean(raster.originX + (raster.firstI + i) * scale, raster.originY + (raster.firstJ + j) * scale, scale,
                     &raster.means[(static_cast<std::size_t>(j) * raster.columns + i) * 3]);
    return raster;
}

// Structure that goes through the disk (an edge, a branch) enters it on one
// side and leaves it on another, so the ring's cells next to the disk are
// busy in two directions well apart; an object beside the disk (a bird, the
// tip of a mast) touches it from one direction only and says nothing about
// the inside. So the limit follows the largest detail found in two
// directions at least a quarter turn apart.
double RemoveSpotSourceSearch::BusyLimit(const Ring& ring) const
{
    const double band = m_disk.OuterRadius() + (HalfDiagonal + InnerBandCells) * ring.scale;
    SectorLevels busiest;
    busiest.fill(-1.0);
    for (std::size_t k = 0; k < ring.cellX.size(); ++k) {
        const double dx = ring.cellX[k] + (ring.scale - 1) / 2.0 - m_disk.CenterX();
        const double dy = ring.cellY[k] + (ring.scale - 1) / 2.0 - m_disk.CenterY();
        if (std::hypot(dx, dy) > band) continue;
        const double turns = std::atan2(dy, dx) / (2.0 * std::numbers::pi) + 1.0;
        const auto sector = static_cast<std::size_t>(turns * BusySectors) % BusySectors;
        // Neighbours away from the disk's centre lie outside the disk, whose
        // pixels hold the flaw.
        const double detail = RemoveSpotDetailMap::CellDetail(m_image, ring.cellX[k], ring.cellY[k], ring.scale,
                                                              dx < 0.0 ? -1 : 1, dy < 0.0 ? -1 : 1);
        busiest[sector] = std::max(busiest[sector], detail);
    }
    return BusyFactor * ThroughLevel(busiest) + BusyFloor;
}

// The structure a source's disk may hold without penalty: a few times the
// structure of the ring's cells whose neighbours all lie outside the spot's
// disk (the others read the flaw), plus a floor for grain. As with fine
// detail (see BusyLimit), only structure found in two directions a quarter
// turn apart or more counts: an edge through the disk continues inside it,
// one that passes beside the disk does not.
double RemoveSpotSourceSearch::StructureLimit(const Ring& ring, const Raster& raster,
                                              const RemoveSpotStructureMap& structure, double centreI,
                                              double centreJ) const
{
    const double clear = m_disk.OuterRadius() / ring.scale + 1.0 + HalfDiagonal;
    std::array<double, BusySectors> sums{};
    std::array<int, BusySectors> counts{};
    for (std::size_t k = 0; k < ring.cellX.size(); ++k) {
        const int i = (ring.cellX[k] - raster.originX) / ring.scale - raster.firstI;
        const int j = (ring.cellY[k] - raster.originY) / ring.scale - raster.firstJ;
        if (std::hypot(i - centreI, j - centreJ) < clear || i < 0 || j < 0 || i >= raster.columns || j >= raster.rows)
            continue;
        const double turns = std::atan2(j - centreJ, i - centreI) / (2.0 * std::numbers::pi) + 1.0;
        const auto sector = static_cast<std::size_t>(turns * BusySectors) % BusySectors;
        sums[sector] += structure.At(i, j);
        ++counts[sector];
    }
    SectorLevels levels{};
    for (std::size_t a = 0; a < BusySectors; ++a) levels[a] = counts[a] ? sums[a] / counts[a] : -1.0;
    return StructureFactor * ThroughLevel(levels) + StructureFloor;
}

std::vector<RemoveSpotSourceSearch::Candidate> RemoveSpotSourceSearch::ScoreLattice(
    const Ring& ring, const Raster& raster, const RemoveSpotStructureMap& structure) const
{
    const int scale = ring.scale;
    std::vector<std::size_t> cells;
    int minI = raster.columns, maxI = -1, minJ = raster.rows, maxJ = -1;
    for (std::size_t k = 0; k < ring.cellX.size(); ++k) {
        const int i = (ring.cellX[k] - raster.originX) / scale - raster.firstI;
        const int j = (ring.cellY[k] - raster.originY) / scale - raster.firstJ;
        minI = std::min(minI, i);
        maxI = std::max(maxI, i);
        minJ = std::min(minJ, j);
        maxJ = std::max(maxJ, j);
        cells.push_back(static_cast<std::size_t>(j) * raster.columns + i);
    }
    std::vector<Candidate> all;
    const int span = static_cast<int>(std::ceil(m_farthest / scale));
    const int step = LatticeStep(ring);
    const double middle = (scale - 1) / 2.0;
    const double centreI = (m_disk.CenterX() - raster.originX - middle) / scale - raster.firstI;
    const double centreJ = (m_disk.CenterY() - raster.originY - middle) / scale - raster.firstJ;
    const double diskCells = m_disk.OuterRadius() / scale;
    const double structureLimit = StructureLimit(ring, raster, structure, centreI, centreJ);
    for (int dj = -span; dj <= span; dj += step) {
        for (int di = -span; di <= span; di += step) {
            const SpotOffset offset{di * scale, dj * scale};
            if (Length(offset) > m_farthest || !IsAllowed(ring, offset)) continue;
            if (minI + di < 0 || maxI + di >= raster.columns || minJ + dj < 0 || maxJ + dj >= raster.rows) continue;
            const std::ptrdiff_t shift = static_cast<std::ptrdiff_t>(dj) * raster.columns + di;
            const float* source = raster.means.data() + shift * 3;
            const double inside = structure.MeanInDisk(centreI + di, centreJ + dj, diskCells);
            const double excess = std::max(0.0, inside - structureLimit);
            all.push_back(Candidate{offset, Penalised(Cost(ring, source, 3, cells) + excess, offset)});
        }
    }
    return all;
}

// Keeps the best few that lie apart from each other, so the refinement looks
// at different places rather than at one place several times. Only these
// and the candidates passed over for them are checked for objects: few,
// since most places hold none.
std::vector<RemoveSpotSourceSearch::Candidate> RemoveSpotSourceSearch::PickDistinct(
    const std::vector<Candidate>& sorted, int scale, const RemoveSpotDetailMap& busyCells) const
{
    std::vector<Candidate> chosen;
    const double apart = std::max(m_disk.Radius(), 2.0 * scale);
    // Cells reaching into the disk's soft edge count as well; the half cell
    // also covers most of what the refinement may still move.
    const double reach = m_disk.OuterRadius() + scale / 2.0;
    for (const Candidate& candidate : sorted) {
        const bool near = std::any_of(chosen.begin(), chosen.end(), [&](const Candidate& c) {
            return Length(SpotOffset{c.offset.dx - candidate.offset.dx, c.offset.dy - candidate.offset.dy}) < apart;
        });
        if (near) continue;
        const double x = m_disk.CenterX() + candidate.offset.dx;
        const double y = m_disk.CenterY() + candidate.offset.dy;
        if (busyCells.CountInDisk(x, y, reach) > 0) continue;
        chosen.push_back(candidate);
        if (chosen.size() == RefinedCandidates) break;
    }
    return chosen;
}

// Pattern search: at each scale the offset moves to the best of itself and
// its eight neighbours one cell away. The nine share their cell means, which
// one patch per scale holds.
RemoveSpotSourceSearch::Candidate RemoveSpotSourceSearch::Refine(Candidate candidate,
                                                                 const std::vector<Ring>& rings) const
{
    if (rings.empty()) return candidate;
    SpotOffset offset = candidate.offset;
    double best = HUGE_VAL;
    std::vector<float>& means = m_patchMeans;
    for (const Ring& ring : rings) {
        FillPatch(ring, offset, means);
        best = IsAllowed(ring, offset) ? PatchCost(ring, means, 0, 0) : HUGE_VAL;
        SpotOffset bestOffset = offset;
        for (int dy = -1; dy <= 1; ++dy) {
            for (int dx = -1; dx <= 1; ++dx) {
                const SpotOffset trial{offset.dx + dx * ring.scale, offset.dy + dy * ring.scale};
                if ((dx == 0 && dy == 0) || !IsAllowed(ring, trial)) continue;
                const double cost = PatchCost(ring, means, dx, dy);
                if (cost < best) {
                    best = cost;
                    bestOffset = trial;
                }
            }
        }
        offset = bestOffset;
    }
    if (!std::isfinite(best)) return Candidate{offset, HUGE_VAL};
    return Candidate{offset, candidate.cost + Penalised(best, offset)};
}

} // namespace ImageProcess
