#include "Tinctor/AreaHealer.h"

#include <algorithm>
#include <cmath>

#include "Tinctor/CallGuard.h"

namespace ImageProcess {

namespace {

// Tiles span this many radii of the area (within the bounds below): long
// enough for a band to compare, short enough to follow changing ground.
constexpr double TileRadii = 6.0;
constexpr int MinTile = 32;
constexpr int MaxTile = 256;
// Blocks of the blend: at most this many pixels square, in a grid grown by
// the margin (so that a grid stays within the spot scratch's kept size).
constexpr int BlockSide = 448;
constexpr int BlockMargin = 32;
// The prediction only needs to be good to half a grey level for the flaw
// test; the final solve carries on from it to full accuracy.
constexpr float PredictionTolerance = 0.5f;
// Pixels kept around a found flaw (see SpotGrid::marginPixels): a stroke
// follows a thin flaw closely, so its fringe is a pixel wide.
constexpr double FlawMarginPixels = 0.5;
// The directional fill reads no farther than this many thicknesses (plus a
// few pixels) from a pixel.
constexpr double DirectionalReach = 3.0;

LONG RoundUp(LONG value, LONG step) { return (value + step - 1) / step * step; }

RECT Intersect(const RECT& a, const RECT& b)
{
    return RECT{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                std::min(a.bottom, b.bottom)};
}

bool IsEmpty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

// 1 inside [low, high) away from its ends, a linear fall to 0 across the
// `fade` pixels on either side of each end: neighbouring ranges sum to 1.
float Ramp(int v, LONG low, LONG high, int fade)
{
    const double centre = v + 0.5;
    const double rising = (centre - low + fade) / (2.0 * fade);
    const double falling = (high + fade - centre) / (2.0 * fade);
    return static_cast<float>(std::clamp(std::min(rising, falling), 0.0, 1.0));
}

} // namespace

AreaHealer::AreaHealer(const ImageBuffer& image, const AreaMask& mask, double radius, HEAL_MODE mode,
                       RemoveSpotScratch& scratch)
    : m_image(image), m_mask(mask), m_radius(std::max(radius, 0.5)), m_mode(mode), m_scratch(scratch)
{
    m_tile = std::clamp(static_cast<int>(RoundUp(static_cast<LONG>(std::ceil(TileRadii * m_radius)), 8)), MinTile,
                        MaxTile);
    m_fade = m_tile / 4;
}

bool AreaHealer::Heal(PROGRESS_CALLBACK progress)
{
    if (m_mask.IsEmpty()) return true;
    if (!HasOutside()) return false;
    const RECT& box = m_mask.box;
    std::vector<RECT> blocks;
    for (LONG top = box.top; top < box.bottom; top += BlockSide)
        for (LONG left = box.left; left < box.right; left += BlockSide)
            blocks.push_back(RECT{left, top, std::min<LONG>(left + BlockSide, box.right),
                                  std::min<LONG>(top + BlockSide, box.bottom)});
    const unsigned int tiles = static_cast<unsigned int>(((box.right - box.left + m_tile - 1) / m_tile) *
                                                         ((box.bottom - box.top + m_tile - 1) / m_tile));
    const unsigned int total = tiles + static_cast<unsigned int>(blocks.size());
    FindSources(progress, total);
    m_done.assign(static_cast<std::size_t>(box.right - box.left) * (box.bottom - box.top), 0);
    // A block whose pixels can only be reached through another block's waits
    // for that block; every pass heals something while anything is left.
    std::vector<int> remaining(blocks.size(), 1);
    unsigned int finished = tiles;
    for (bool progressed = true; progressed;) {
        progressed = false;
        for (std::size_t b = 0; b < blocks.size(); ++b) {
            if (!remaining[b]) continue;
            const int result = HealBlock(blocks[b]);
            if (result == 0) continue;
            progressed = true;
            if (result == 2) {
                remaining[b] = 0;
                ReportProgress(progress, ++finished, total);
            }
        }
    }
    ReportProgress(progress, total, total);
    return true;
}

// The area must leave some pixel of the image to take its tone from.
bool AreaHealer::HasOutside() const
{
    const RECT& box = m_mask.box;
    if (box.left > 0 || box.top > 0 || box.right < m_image.width || box.bottom < m_image.height) return true;
    for (int y = box.top; y < box.bottom; ++y)
        for (int x = box.left; x < box.right; ++x)
            if (!m_mask.Covers(x, y)) return true;
    return false;
}

void AreaHealer::FindSources(PROGRESS_CALLBACK progress, unsigned int total)
{
    const RECT& box = m_mask.box;
    AreaSourceSearch search(m_image, m_mask);
    unsigned int done = 0;
    for (LONG top = box.top; top < box.bottom; top += m_tile)
        for (LONG left = box.left; left < box.right; left += m_tile) {
            ReportProgress(progress, done++, total);
            Piece piece;
            piece.tile = RECT{left, top, std::min<LONG>(left + m_tile, box.right), std::min<LONG>(top + m_tile, box.bottom)};
            // The fade zone reaches one pixel beyond the box: the area's
            // boundary there takes its source from the piece too.
            piece.reach = Intersect(RECT{left - m_fade, top - m_fade, left + m_tile + m_fade, top + m_tile + m_fade},
                                    RECT{box.left - 1, box.top - 1, box.right + 1, box.bottom + 1});
            bool inTile = false;
            for (LONG y = piece.tile.top; y < piece.tile.bottom && !inTile; ++y)
                for (LONG x = piece.tile.left; x < piece.tile.right && !inTile; ++x) inTile = m_mask.Covers(x, y);
            if (!inTile || !search.Prepare(piece.reach, m_radius)) continue;
            const double reach = DirectionalReach * (2.0 * m_radius + 1.0) + 2.0;
            auto directional = std::make_unique<AreaDirectionalFill>(m_image, m_mask, search.BandPixels(),
                                                                     search.FootprintPixels(), reach);
            const double coherence = directional->Coherence();
            piece.source = search.Find(1.0 - coherence);
            piece.directionalShare = piece.source.smoothShare * static_cast<float>(coherence);
            if (piece.directionalShare > 0.0f) piece.directional = std::move(directional);
            m_pieces.push_back(std::move(piece));
        }
}

// Heals the block's pixels that can be reached from its grid's boundary:
// 0 when there were none, 1 when some are left for a later pass, 2 when the
// block is finished.
int AreaHealer::HealBlock(const RECT& own)
{
    Block block;
    block.own = own;
    block.grid = Intersect(RECT{own.left - BlockMargin, own.top - BlockMargin, own.right + BlockMargin,
                                own.bottom + BlockMargin},
                           RECT{0, 0, m_image.width, m_image.height});
    block.width = block.grid.right - block.grid.left;
    block.height = block.grid.bottom - block.grid.top;
    MarkCells(block);
    const std::size_t ownBefore = static_cast<std::size_t>(std::count(m_own.begin(), m_own.end(), 1));
    if (ownBefore == 0) return 2;
    KeepAnchored(block);
    const std::size_t ownReached = static_cast<std::size_t>(std::count(m_own.begin(), m_own.end(), 1));
    if (ownReached == 0) return 0;

    GradientBlend blend(m_image, block.grid,
                        GradientBlend::Buffers{m_scratch.original, m_scratch.source, m_scratch.repaired,
                                               m_scratch.correction, m_scratch.solver});
    blend.Load();
    LoadSource(block, blend);
    const std::vector<std::uint8_t>* heal = &m_unknown;
    if (m_mode == HEAL_WHOLE_AREA) {
        blend.Heal(m_unknown, RemoveSpotPoissonSolver::Start::Fresh, RemoveSpotPoissonSolver::Tolerance);
    } else {
        blend.Heal(m_unknown, RemoveSpotPoissonSolver::Start::Fresh, PredictionTolerance);
        const SpotGrid grid{block.width, block.height, &m_unknown, 0.0, 0.0, m_radius, &m_pointed, FlawMarginPixels};
        heal = &m_scratch.flawMask.Find(grid, blend.Original(), blend.Repaired(), TypicalDeparture(own));
        blend.Heal(*heal, RemoveSpotPoissonSolver::Start::FromValues, RemoveSpotPoissonSolver::Tolerance);
    }
    m_compose.assign(m_own.size(), 0);
    for (std::size_t i = 0; i < m_own.size(); ++i) m_compose[i] = m_own[i] && (*heal)[i] ? 1 : 0;
    blend.Compose(m_compose, m_weights);
    for (int y = 0; y < block.height; ++y)
        for (int x = 0; x < block.width; ++x)
            if (m_own[static_cast<std::size_t>(y) * block.width + x]) SetDone(block.grid.left + x, block.grid.top + y);
    return ownReached == ownBefore ? 2 : 1;
}

void AreaHealer::MarkCells(const Block& block)
{
    const std::size_t cells = static_cast<std::size_t>(block.width) * block.height;
    m_unknown.assign(cells, 0);
    m_own.assign(cells, 0);
    m_pointed.assign(cells, 0);
    m_weights.assign(cells, 0.0f);
    for (int y = 0; y < block.height; ++y)
        for (int x = 0; x < block.width; ++x) {
            const int px = block.grid.left + x, py = block.grid.top + y;
            const std::uint8_t weight = m_mask.At(px, py);
            if (weight == 0 || IsDone(px, py)) continue;
            const std::size_t i = static_cast<std::size_t>(y) * block.width + x;
            m_unknown[i] = 1;
            m_pointed[i] = m_mask.Pointed(px, py) ? 1 : 0;
            m_weights[i] = weight / 255.0f;
            m_own[i] = px >= block.own.left && px < block.own.right && py >= block.own.top && py < block.own.bottom;
        }
}

// Unknown cells from which no path of unknown cells (4-connected) leads to
// a known cell of the grid would get no tone from the solve: they are
// neither solved nor written now (a later pass reaches them from a block
// healed meanwhile).
void AreaHealer::KeepAnchored(const Block& block)
{
    const int w = block.width, h = block.height;
    std::vector<std::uint8_t> reached(m_unknown.size(), 0);
    m_stack.clear();
    auto known = [&](int x, int y) { return x >= 0 && y >= 0 && x < w && y < h && !m_unknown[static_cast<std::size_t>(y) * w + x]; };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * w + x;
            if (m_unknown[i] && (known(x - 1, y) || known(x + 1, y) || known(x, y - 1) || known(x, y + 1))) {
                reached[i] = 1;
                m_stack.push_back(static_cast<int>(i));
            }
        }
    while (!m_stack.empty()) {
        const int i = m_stack.back();
        m_stack.pop_back();
        const int x = i % w, y = i / w;
        const int nx[] = {x - 1, x + 1, x, x};
        const int ny[] = {y, y, y - 1, y + 1};
        for (int k = 0; k < 4; ++k) {
            if (nx[k] < 0 || ny[k] < 0 || nx[k] >= w || ny[k] >= h) continue;
            const int n = ny[k] * w + nx[k];
            if (!m_unknown[n] || reached[n]) continue;
            reached[n] = 1;
            m_stack.push_back(n);
        }
    }
    for (std::size_t i = 0; i < m_unknown.size(); ++i)
        if (!reached[i]) m_unknown[i] = m_own[i] = m_pointed[i] = 0;
}

// The source of the grid's unknown cells and their boundary: each piece's
// texture weighted by the piece's weight there, normalised over the pieces
// that reach the cell.
void AreaHealer::LoadSource(const Block& block, GradientBlend& blend)
{
    std::vector<float>& source = blend.Source();
    m_shares.assign(m_unknown.size(), 0.0f);
    for (const Piece& piece : m_pieces)
        if (!IsEmpty(Intersect(piece.reach, RECT{block.grid.left - 1, block.grid.top - 1, block.grid.right + 1,
                                                 block.grid.bottom + 1})))
            AddPiece(block, piece, source, m_shares);
    for (std::size_t i = 0; i < m_shares.size(); ++i)
        if (m_shares[i] > 0.0f)
            for (int c = 0; c < 3; ++c) source[i * 3 + c] /= m_shares[i];
}

void AreaHealer::AddPiece(const Block& block, const Piece& piece, std::vector<float>& source,
                          std::vector<float>& shares) const
{
    const RECT area = Intersect(piece.reach, block.grid);
    const std::size_t bpp = static_cast<std::size_t>(m_image.bytesPerPixel);
    for (LONG y = area.top; y < area.bottom; ++y)
        for (LONG x = area.left; x < area.right; ++x) {
            const int gx = x - block.grid.left, gy = y - block.grid.top;
            const std::size_t i = static_cast<std::size_t>(gy) * block.width + gx;
            if (!m_unknown[i] && !(gx > 0 && m_unknown[i - 1]) && !(gx + 1 < block.width && m_unknown[i + 1]) &&
                !(gy > 0 && m_unknown[i - block.width]) && !(gy + 1 < block.height && m_unknown[i + block.width]))
                continue;
            const float weight = Weight(piece, x, y);
            if (weight <= 0.0f) continue;
            float value[3] = {0.0f, 0.0f, 0.0f};
            for (const AreaSourcePart& part : piece.source.parts) {
                const int sx = x + part.offset.dx, sy = y + part.offset.dy;
                // The search keeps the piece's sources in the image and off
                // the area; a cell at the far edge of the fade zone may still
                // fall beside them, and then adds no texture.
                if (sx < 0 || sy < 0 || sx >= m_image.width || sy >= m_image.height || m_mask.Covers(sx, sy)) continue;
                const unsigned char* p = m_image.RowFromTop(sy) + static_cast<std::size_t>(sx) * bpp;
                for (int c = 0; c < 3; ++c) value[c] += part.weight * (p[c] - part.mean[c]);
            }
            if (piece.directional) {
                const std::array<float, 3> fill = piece.directional->At(x, y);
                const std::array<float, 3>& level = piece.directional->Level();
                for (int c = 0; c < 3; ++c) value[c] += piece.directionalShare * (fill[c] - level[c]);
            }
            for (int c = 0; c < 3; ++c) source[i * 3 + c] += weight * value[c];
            shares[i] += weight;
        }
}

float AreaHealer::Weight(const Piece& piece, int x, int y) const
{
    return Ramp(x, piece.tile.left, piece.tile.right, m_fade) * Ramp(y, piece.tile.top, piece.tile.bottom, m_fade);
}

// The median of the block's pieces' typical departures.
float AreaHealer::TypicalDeparture(const RECT& own) const
{
    std::vector<float> departures;
    for (const Piece& piece : m_pieces)
        if (!IsEmpty(Intersect(piece.tile, own))) departures.push_back(piece.source.typicalDeparture);
    if (departures.empty()) return 0.0f;
    std::nth_element(departures.begin(), departures.begin() + static_cast<std::ptrdiff_t>(departures.size() / 2),
                     departures.end());
    return departures[departures.size() / 2];
}

bool AreaHealer::IsDone(int x, int y) const
{
    const RECT& box = m_mask.box;
    return m_done[static_cast<std::size_t>(y - box.top) * (box.right - box.left) + (x - box.left)] != 0;
}

void AreaHealer::SetDone(int x, int y)
{
    const RECT& box = m_mask.box;
    m_done[static_cast<std::size_t>(y - box.top) * (box.right - box.left) + (x - box.left)] = 1;
}

} // namespace ImageProcess
