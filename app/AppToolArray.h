#pragma once
// The application's six embedded tools, in their fixed order (the index is
// used by the main window and the brush operators):
//   0 ImageMover, 1 RegionSelector, 2 CloneStamp, 3 DodgeBurn,
//   4 SpotRemover, 5 RedeyeReduction.
// The array always has six slots; a slot is empty while its tool cannot be
// made, and every lookup of an empty slot answers null. The array owns its
// tools and deletes them when cleared or destroyed.

#include <array>
#include <memory>
#include <vector>

#include "imagewindow/IEmbeddedTool.h"
#include "platform/WinTypes.h"

/// The embedded-tool interface of the image view library.
using IEmbeddedTool = ImageWindow::IEmbeddedTool;

class CAppToolArray {
public:
    static constexpr int kCount = 6;

    /// Deletes every tool, then makes each tool with its default constructor,
    /// in the fixed order. Slots of tools the image view library does not
    /// offer yet stay empty.
    void CreateAll();
    /// Deletes every tool; the slots stay, empty.
    void Clear();
    /// The tool at `index`, or null (empty slot or index out of range).
    IEmbeddedTool* Get(int index) const;
    /// Puts `tool` into slot `index` (replacing and deleting the previous one).
    void Set(int index, std::unique_ptr<IEmbeddedTool> tool);
    /// The painted picture of the brush tool at `index`; null when none.
    const BYTE* GetSketcherBitmap(int index, BITMAPINFO& header) const;

private:
    std::array<std::unique_ptr<IEmbeddedTool>, kCount> m_tools;
};
