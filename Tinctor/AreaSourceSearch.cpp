#include "Tinctor/AreaSourceSearch.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "Tinctor/RemoveSpotDetailMap.h"
#include "Tinctor/SourceMatch.h"

namespace ImageProcess {

namespace {

using namespace SourceTuning;

// The coarse search works on blocks small enough that the piece's radius
// spans at most this many of them.
constexpr double CoarseRadiusCells = 4.0;
// The search reaches this many radii (and at least MinReach pixels) beyond
// the nearest shift that clears the area.
constexpr double ReachRadii = 3.0;
constexpr double MinReach = 24.0;

int BandCells(double radius, int scale)
{
    return std::clamp(static_cast<int>(std::lround(radius / scale / 2.0)), MinBandCells, MaxBandCells);
}

double Length(SpotOffset offset)
{
    return std::hypot(static_cast<double>(offset.dx), static_cast<double>(offset.dy));
}

} // namespace

AreaSourceSearch::AreaSourceSearch(const ImageBuffer& image, const AreaMask& mask) : m_image(image), m_mask(mask) {}

bool AreaSourceSearch::Prepare(const RECT& footprint, double radius)
{
    m_radius = std::max(radius, 0.5);
    m_levels.clear();
    m_footprintPixels.clear();
    m_bandPixels.clear();
    int coarse = 1;
    while (m_radius / coarse > CoarseRadiusCells) coarse *= 2;
    const double band = BandCells(m_radius, 1);
    m_nearest = 2.0 * (m_radius + 0.5) + 2.0 * band;
    m_farthest = m_nearest + std::max(ReachRadii * m_radius, MinReach);
    const int margin = static_cast<int>(std::ceil(m_farthest)) + (BandCells(m_radius, coarse) + 2) * coarse;
    m_originX = std::max<int>(footprint.left - margin, 0);
    m_originY = std::max<int>(footprint.top - margin, 0);
    const RECT window{m_originX, m_originY, std::min<int>(footprint.right + margin, m_image.width),
                      std::min<int>(footprint.bottom + margin, m_image.height)};
    if (window.right <= window.left || window.bottom <= window.top) return false;
    for (int scale = coarse; scale >= 1; scale /= 2) {
        Level level;
        level.scale = scale;
        level.columns = (window.right - window.left) / scale;
        level.rows = (window.bottom - window.top) / scale;
        BuildLevel(level, footprint);
        m_levels.push_back(std::move(level));
    }
    // Coarse levels whose band is too thin to compare are left out.
    while (m_levels.size() > 1 && m_levels.front().band.size() < MinComparableCells) m_levels.erase(m_levels.begin());
    const Level& finest = m_levels.back();
    if (finest.footprint.empty() || finest.band.size() < MinComparableCells) return false;
    m_latticeStep = m_levels.size() == 1 && m_radius > SparseSearchRadius ? 2 : 1;
    for (int c : finest.footprint) m_footprintPixels.push_back(POINT{m_originX + c % finest.columns, m_originY + c / finest.columns});
    for (int c : finest.band) m_bandPixels.push_back(POINT{m_originX + c % finest.columns, m_originY + c / finest.columns});
    return true;
}

void AreaSourceSearch::BuildLevel(Level& level, const RECT& footprint) const
{
    const int s = level.scale;
    const std::size_t cells = static_cast<std::size_t>(level.columns) * level.rows;
    level.means.resize(cells * 3);
    level.covered.assign(cells, 0);
    std::vector<std::uint8_t> inPiece(cells, 0);
    for (int j = 0; j < level.rows; ++j)
        for (int i = 0; i < level.columns; ++i) {
            const std::size_t c = static_cast<std::size_t>(j) * level.columns + i;
            BlockMean(m_image, m_originX + i * s, m_originY + j * s, s, &level.means[c * 3]);
        }
    const RECT& box = m_mask.box;
    const int top = std::max<int>(box.top, m_originY), bottom = std::min<int>(box.bottom, m_originY + level.rows * s);
    const int left = std::max<int>(box.left, m_originX), right = std::min<int>(box.right, m_originX + level.columns * s);
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x) {
            if (!m_mask.Covers(x, y)) continue;
            const std::size_t c = static_cast<std::size_t>((y - m_originY) / s) * level.columns + (x - m_originX) / s;
            level.covered[c] = 1;
            if (x >= footprint.left && x < footprint.right && y >= footprint.top && y < footprint.bottom) inPiece[c] = 1;
        }
    for (std::size_t c = 0; c < cells; ++c)
        if (inPiece[c]) level.footprint.push_back(static_cast<int>(c));
    MarkBand(level);
}

// The band: cells outside the area within BandCells of a cell of the piece.
void AreaSourceSearch::MarkBand(Level& level) const
{
    const int reach = BandCells(m_radius, level.scale);
    const double reach2 = (reach + 0.5) * (reach + 0.5);
    std::vector<std::uint8_t> near(level.covered.size(), 0);
    for (int c : level.footprint) {
        const int i = c % level.columns, j = c / level.columns;
        for (int dj = -reach; dj <= reach; ++dj)
            for (int di = -reach; di <= reach; ++di) {
                const int ni = i + di, nj = j + dj;
                if (ni < 0 || nj < 0 || ni >= level.columns || nj >= level.rows || di * di + dj * dj > reach2) continue;
                near[static_cast<std::size_t>(nj) * level.columns + ni] = 1;
            }
    }
    level.shape = level.footprint;
    for (std::size_t c = 0; c < near.size(); ++c) {
        if (!near[c] || level.covered[c]) continue;
        level.band.push_back(static_cast<int>(c));
        level.shape.push_back(static_cast<int>(c));
        level.target.insert(level.target.end(), &level.means[c * 3], &level.means[c * 3 + 3]);
    }
    LimitDetail(level);
    level.bandCells = RECT{level.columns, level.rows, -1, -1};
    for (int c : level.shape) {
        const int i = c % level.columns, j = c / level.columns;
        level.bandCells = RECT{std::min<int>(level.bandCells.left, i), std::min<int>(level.bandCells.top, j),
                               std::max<int>(level.bandCells.right, i + 1), std::max<int>(level.bandCells.bottom, j + 1)};
    }
}

// The detail a cell of the piece may take from a source: a few times the
// sharpest detail of the band's cells near it (within the piece's thickness
// and the band), so that an edge crossing the area may come along where it
// crosses, but an object beside one part of the area (a roof at a hair's
// end) does not let objects into the rest.
void AreaSourceSearch::LimitDetail(Level& level) const
{
    const int w = level.columns, h = level.rows;
    std::vector<double> sharpest(level.covered.size(), 0.0);
    for (int c : level.band) sharpest[static_cast<std::size_t>(c)] = CellDetail(level, c, true);
    const int reach = static_cast<int>(std::ceil((2.0 * m_radius + 1.0) / level.scale)) + BandCells(m_radius, level.scale);
    // Running maxima over a square of 2 reach + 1 cells, rows then columns.
    std::vector<double> rows(sharpest.size(), 0.0);
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) {
            double m = 0.0;
            for (int k = std::max(0, i - reach); k <= std::min(w - 1, i + reach); ++k)
                m = std::max(m, sharpest[static_cast<std::size_t>(j) * w + k]);
            rows[static_cast<std::size_t>(j) * w + i] = m;
        }
    level.detailLimit.clear();
    for (int c : level.footprint) {
        const int i = c % w, j = c / w;
        double m = 0.0;
        for (int k = std::max(0, j - reach); k <= std::min(h - 1, j + reach); ++k)
            m = std::max(m, rows[static_cast<std::size_t>(k) * w + i]);
        level.detailLimit.push_back(BusyFactor * m + BusyFloor);
    }
}


// A band cell's neighbours are taken on its side away from the area, whose
// pixels hold the flaw.
double AreaSourceSearch::CellDetail(const Level& level, int cell, bool awayFromArea) const
{
    const int i = cell % level.columns, j = cell / level.columns;
    int stepX = 1, stepY = 1;
    if (awayFromArea) {
        if (i + 1 < level.columns && level.covered[static_cast<std::size_t>(cell) + 1]) stepX = -1;
        if (j + 1 < level.rows && level.covered[static_cast<std::size_t>(cell) + level.columns]) stepY = -1;
    }
    return RemoveSpotDetailMap::CellDetail(m_image, m_originX + i * level.scale, m_originY + j * level.scale,
                                           level.scale, stepX, stepY);
}

double AreaSourceSearch::Cost(const Level& level, SpotOffset offset) const
{
    const std::ptrdiff_t shift = static_cast<std::ptrdiff_t>(offset.dy / level.scale) * level.columns +
                                 offset.dx / level.scale;
    RingMatch match;
    for (std::size_t k = 0; k < level.band.size(); ++k)
        match.Add(&level.target[k * 3], &level.means[static_cast<std::size_t>(level.band[k] + shift) * 3]);
    return match.Cost(level.band.size());
}

bool AreaSourceSearch::IsAllowed(const Level& level, SpotOffset offset) const
{
    const int di = offset.dx / level.scale, dj = offset.dy / level.scale;
    const RECT& b = level.bandCells;
    if (b.left + di < 0 || b.top + dj < 0 || b.right + di > level.columns || b.bottom + dj > level.rows) return false;
    const std::ptrdiff_t shift = static_cast<std::ptrdiff_t>(dj) * level.columns + di;
    for (int c : level.shape)
        if (level.covered[static_cast<std::size_t>(c + shift)]) return false;
    return true;
}

bool AreaSourceSearch::IsBusy(const Level& level, SpotOffset offset) const
{
    const int shift = offset.dy / level.scale * level.columns + offset.dx / level.scale;
    for (std::size_t k = 0; k < level.footprint.size(); ++k)
        if (CellDetail(level, level.footprint[k] + shift, false) > level.detailLimit[k]) return true;
    return false;
}

double AreaSourceSearch::Penalised(double cost, SpotOffset offset) const
{
    return PenalisedCost(cost, Length(offset), m_nearest, m_farthest);
}

// Every shift of the disk of candidates on the coarsest level, cheapest
// first; then the best few that lie apart, are allowed and bring in no object.
std::vector<AreaSourceSearch::Candidate> AreaSourceSearch::CoarseSearch() const
{
    const Level& level = m_levels.front();
    const int s = level.scale;
    const int step = m_latticeStep;
    const int span = static_cast<int>(std::ceil(m_farthest / s));
    const RECT& b = level.bandCells;
    std::vector<Candidate> all;
    for (int dj = -span; dj <= span; dj += step)
        for (int di = -span; di <= span; di += step) {
            const SpotOffset offset{di * s, dj * s};
            if (Length(offset) > m_farthest) continue;
            if (b.left + di < 0 || b.top + dj < 0 || b.right + di > level.columns || b.bottom + dj > level.rows) continue;
            all.push_back(Candidate{offset, Penalised(Cost(level, offset), offset)});
        }
    std::sort(all.begin(), all.end(), [](const Candidate& a, const Candidate& c) { return a.cost < c.cost; });
    std::vector<Candidate> chosen;
    const double apart = std::max(m_radius, 2.0 * s);
    for (const Candidate& candidate : all) {
        const bool near = std::any_of(chosen.begin(), chosen.end(), [&](const Candidate& c) {
            return Length(SpotOffset{c.offset.dx - candidate.offset.dx, c.offset.dy - candidate.offset.dy}) < apart;
        });
        if (near || !IsAllowed(level, candidate.offset) || IsBusy(level, candidate.offset)) continue;
        chosen.push_back(candidate);
        if (chosen.size() == RefinedCandidates) break;
    }
    return chosen;
}

// Pattern search: at each finer scale the shift moves to the best allowed
// one of itself and its eight neighbours one cell away; a coarse search on
// every other pixel ends with a pass at single pixels.
std::optional<AreaSourceSearch::Candidate> AreaSourceSearch::Refine(Candidate candidate) const
{
    std::vector<const Level*> passes;
    for (std::size_t i = 1; i < m_levels.size(); ++i) passes.push_back(&m_levels[i]);
    if (m_latticeStep > 1) passes.push_back(&m_levels.back());
    if (passes.empty()) return candidate;
    SpotOffset offset = candidate.offset;
    double best = HUGE_VAL;
    for (const Level* level : passes) {
        best = HUGE_VAL;
        SpotOffset bestOffset = offset;
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) {
                const SpotOffset trial{offset.dx + dx * level->scale, offset.dy + dy * level->scale};
                if (!IsAllowed(*level, trial)) continue;
                const double cost = Cost(*level, trial);
                if (cost < best) {
                    best = cost;
                    bestOffset = trial;
                }
            }
        if (!std::isfinite(best)) return std::nullopt;
        offset = bestOffset;
    }
    if (IsBusy(*passes.back(), offset)) return std::nullopt;
    return Candidate{offset, candidate.cost + Penalised(best, offset)};
}


AreaPieceSource AreaSourceSearch::Find(double smoothFactor)
{
    AreaPieceSource source;
    if (m_levels.empty()) return source;
    std::vector<Candidate> refined;
    for (const Candidate& start : CoarseSearch())
        if (const std::optional<Candidate> candidate = Refine(start)) refined.push_back(*candidate);
    // A source with no texture matches the band as well as the band's own
    // texture is weak, at the levels a refined candidate's cost sums.
    double smoothCost = Penalised(CellVariance(m_levels.front().target), SpotOffset{});
    if (m_levels.size() > 1 || m_latticeStep > 1) smoothCost += Penalised(CellVariance(m_levels.back().target), SpotOffset{});
    std::vector<BlendCandidate> costs{BlendCandidate{smoothFactor * smoothCost, true}};
    for (const Candidate& candidate : refined) costs.push_back(BlendCandidate{candidate.cost, false});
    std::vector<std::size_t> order(costs.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return costs[a].cost < costs[b].cost; });
    std::vector<BlendCandidate> sorted;
    for (std::size_t i : order) sorted.push_back(costs[i]);
    if (sorted.front().cost <= 0.0) {
        source.typicalDeparture = TypicalDeparture(source.parts);
        return source;
    }
    const std::vector<double> shares = BlendShares(sorted, BlendCostRatio, MaxBlendedSources);
    for (std::size_t k = 0; k < order.size(); ++k) {
        if (shares[k] <= 0.0 || sorted[k].smooth) continue;
        source.parts.push_back(MakePart(refined[order[k] - 1].offset, static_cast<float>(shares[k])));
        source.smoothShare -= static_cast<float>(shares[k]);
    }
    source.smoothShare = std::max(source.smoothShare, 0.0f);
    source.typicalDeparture = TypicalDeparture(source.parts);
    return source;
}

AreaSourcePart AreaSourceSearch::MakePart(SpotOffset offset, float weight) const
{
    AreaSourcePart part{offset, weight, {}};
    const std::size_t bpp = static_cast<std::size_t>(m_image.bytesPerPixel);
    for (const POINT& p : m_bandPixels) {
        const unsigned char* pixel =
            m_image.RowFromTop(p.y + offset.dy) + static_cast<std::size_t>(p.x + offset.dx) * bpp;
        for (int c = 0; c < 3; ++c) part.mean[c] += pixel[c];
    }
    for (int c = 0; c < 3; ++c) part.mean[c] /= static_cast<float>(m_bandPixels.size());
    return part;
}

float AreaSourceSearch::TypicalDeparture(const std::vector<AreaSourcePart>& parts) const
{
    const Level& finest = m_levels.back();
    const std::size_t n = finest.band.size();
    std::vector<float> source(n * 3, 0.0f);
    const std::size_t bpp = static_cast<std::size_t>(m_image.bytesPerPixel);
    for (const AreaSourcePart& part : parts)
        for (std::size_t k = 0; k < n; ++k) {
            const POINT& p = m_bandPixels[k];
            const unsigned char* pixel =
                m_image.RowFromTop(p.y + part.offset.dy) + static_cast<std::size_t>(p.x + part.offset.dx) * bpp;
            for (int c = 0; c < 3; ++c) source[k * 3 + c] += part.weight * pixel[c];
        }
    return MedianDeparture(finest.target, source);
}

} // namespace ImageProcess
