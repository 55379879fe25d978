#pragma once
// Heals an area of any shape: a stroke along a hair or a scratch, a blob.

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "Tinctor/AreaDirectionalFill.h"
#include "Tinctor/AreaMask.h"
#include "Tinctor/AreaSourceSearch.h"
#include "Tinctor/GradientBlend.h"
#include "Tinctor/ImageBuffer.h"
#include "Tinctor/ImageProcess.h"
#include "Tinctor/RemoveSpotScratch.h"

namespace ImageProcess {

/// Heals an area in place (see HealArea in ImageProcess.h).
///
/// Pieces. The area's box is cut into square tiles a few times the area's
/// thickness wide; each tile that holds pixels of the area is a piece, whose
/// pixels (those of its tile and of a fade zone a quarter tile wide around it)
/// get their texture from AreaSourceSearch and their smooth part from an
/// AreaDirectionalFill where the surroundings show a direction, as a disk
/// does in RemoveSpotHealer. Across the fade zones the pieces' textures
/// cross-fade linearly (their weights sum to 1 everywhere), each taken
/// relative to the mean of its source's surroundings, so that nothing but
/// texture changes from one piece to the next.
///
/// Blocks. The texture so assembled is blended into the image with one
/// GradientBlend per block of at most 448 x 448 pixels (its grid grown by a
/// margin of 32), block by block from the top left: a block's unknown cells
/// are the area's pixels not yet healed, so pixels healed by earlier blocks
/// are its boundary (no seam between blocks) and pixels of later blocks in
/// its margin are solved along but left for their own block. In
/// HEAL_FLAWS_ONLY mode each block first predicts its pixels from a rough
/// blend, keeps the pixels that agree with the prediction
/// (RemoveSpotFlawMask) and heals the rest. Pixels that could only be
/// reached through pixels of other blocks wait for those blocks.
///
/// Single-threaded; the scratch's buffers are the caller's.
class AreaHealer {
public:
    /// Keeps references: `image`, the area's bytes and `scratch` must outlive
    /// the healer. `radius`: how far the area's pixels lie from its edge at
    /// most (half its thickness), in pixels.
    AreaHealer(const ImageBuffer& image, const AreaMask& mask, double radius, HEAL_MODE mode,
               RemoveSpotScratch& scratch);

    /// Heals the area. False, changing nothing, when no pixel of the image
    /// lies outside the area; true otherwise.
    bool Heal(PROGRESS_CALLBACK progress);

private:
    struct Piece {
        RECT tile{0, 0, 0, 0};
        RECT reach{0, 0, 0, 0};             ///< where its weight is above 0: the tile and its fade zone
        AreaPieceSource source;
        std::unique_ptr<AreaDirectionalFill> directional;
        float directionalShare{0.0f};
    };
    /// The grid of one block and its cells' roles.
    struct Block {
        RECT own{0, 0, 0, 0};               ///< the block's pixels
        RECT grid{0, 0, 0, 0};              ///< the block grown by the margin, clipped to the image
        int width{0};
        int height{0};
    };

    bool HasOutside() const;
    void FindSources(PROGRESS_CALLBACK progress, unsigned int total);
    int HealBlock(const RECT& own);
    void MarkCells(const Block& block);
    void KeepAnchored(const Block& block);
    void LoadSource(const Block& block, GradientBlend& blend);
    void AddPiece(const Block& block, const Piece& piece, std::vector<float>& source, std::vector<float>& shares) const;
    float Weight(const Piece& piece, int x, int y) const;
    float TypicalDeparture(const RECT& own) const;
    bool IsDone(int x, int y) const;
    void SetDone(int x, int y);

    const ImageBuffer& m_image;
    AreaMask m_mask;
    double m_radius{0.0};
    HEAL_MODE m_mode{HEAL_FLAWS_ONLY};
    RemoveSpotScratch& m_scratch;
    int m_tile{32};
    int m_fade{8};
    std::vector<Piece> m_pieces;
    std::vector<std::uint8_t> m_done;       ///< per pixel of the box: healed (or kept) for good
    // Per cell of the current block's grid.
    std::vector<std::uint8_t> m_unknown;    ///< the area's pixels not yet healed
    std::vector<std::uint8_t> m_own;        ///< ... of those, the block's own that can be reached
    std::vector<std::uint8_t> m_pointed;
    std::vector<std::uint8_t> m_compose;
    std::vector<float> m_weights;
    std::vector<float> m_shares;
    std::vector<int> m_stack;
};

} // namespace ImageProcess
