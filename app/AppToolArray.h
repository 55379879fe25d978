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

#include "platform/WinTypes.h"

/// What the application needs of an embedded tool: its name (the registry
/// entry of its settings) and its settings blob.
class IEmbeddedTool {
public:
    virtual ~IEmbeddedTool() = default;
    /// The tool's name, used as the registry entry of its settings.
    virtual const wchar_t* GetToolName() const = 0;
    /// Writes the tool's settings blob (a 32-bit version, then 32-bit fields).
    virtual void SerializeToolSettings(std::vector<BYTE>& out) = 0;
    /// Reads a settings blob; false when it is not one of the tool's.
    virtual bool UnserializeToolSettings(const std::vector<BYTE>& in) = 0;
    /// For the brush tools: the picture painted by the last stroke and its
    /// header; null for other tools or when there is none.
    virtual const BYTE* GetBitmap(BITMAPINFO& header) { (void)header; return nullptr; }
};

class CAppToolArray {
public:
    static constexpr int kCount = 6;

    /// Deletes every tool, then makes each tool that exists in this build.
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
