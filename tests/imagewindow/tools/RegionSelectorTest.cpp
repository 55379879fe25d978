// The region selector's mask operations against their edge cases, the
// combination rules, the settings blob of every version, whole-picture
// selections, the tool's silence in select mode 0, and its cursors.
#include "../ViewTestSupport.h"
#include "imagewindow/ViewNotify.h"
#include "imagewindow/tools/RegionSelector.h"
#include "imagewindow/tools/SelectMaskKernels.h"
#include "support/LogWatch.h"

using namespace ViewTest;
using namespace ImageWindow;
using ImageWindow::EmbeddedTool::RegionSelector;
namespace Kernels = ImageWindow::EmbeddedTool::SelectMaskKernels;

namespace {

std::vector<BYTE> Blob(std::initializer_list<int> bytes) { return {bytes.begin(), bytes.end()}; }

// Turns the log on for one test and watches what it writes.
class LoggedTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(InitLog()); }
    void TearDown() override { UninitLog(); }
    CorvaneTest::LogWatch log;
};

class MaskOperations : public LoggedTest {};
class SelectorSettings : public LoggedTest {};

} // namespace

TEST_F(MaskOperations, CreateSelectMaskFillsTheRegionInsideThePictureOnly)
{
    std::vector<BYTE> mask(3, 9);
    CRgn rect;
    rect.CreateRectRgn(-2, 1, 3, 3);  // reaches out to the left
    EXPECT_EQ(RegionSelector::CreateSelectMask(rect, mask, 0, 5, 0), 0);
    EXPECT_EQ(RegionSelector::CreateSelectMask(rect, mask, -4, -5, 0), 0);
    EXPECT_EQ(RegionSelector::CreateSelectMask(rect, mask, 100000, 100000, 0), 0);  // beyond what a mask can hold
    EXPECT_EQ(log.Count("RegionSelector::CreateSelectMask: Invalid Mask Size."), 3);
    EXPECT_EQ(mask, std::vector<BYTE>(3, 9));

    EXPECT_EQ(RegionSelector::CreateSelectMask(CRgn(), mask, 4, 3, 0), 1);
    EXPECT_EQ(mask, std::vector<BYTE>(12, 0));
    EXPECT_TRUE(log.Contains("No select region."));

    ASSERT_EQ(RegionSelector::CreateSelectMask(rect, mask, 4, 3, 0), 1);
    EXPECT_EQ(mask, Blob({0, 0, 0, 0, 255, 255, 255, 0, 255, 255, 255, 0}));
    EXPECT_TRUE(log.Contains("FeatherRadius = 0, Time cost: "));

    CRgn empty;
    empty.CreateRectRgn(2, 2, 2, 2);
    EXPECT_EQ(RegionSelector::CreateSelectMask(empty, mask, 4, 3, 0), 0);
    EXPECT_TRUE(log.Contains("RegionSelector::CreateSelectMask: Invalid Argument."));

    // Absurd radii: none leaves the hard mask, one far beyond the picture
    // softens every pixel without dropping any.
    CRgn big;
    big.CreateRectRgn(2, 2, 38, 28);
    ASSERT_EQ(RegionSelector::CreateSelectMask(big, mask, 40, 30, -5), 1);
    EXPECT_EQ(std::count(mask.begin(), mask.end(), 255), 36 * 26);
    ASSERT_EQ(RegionSelector::CreateSelectMask(big, mask, 40, 30, 1 << 30), 1);
    EXPECT_EQ(std::count(mask.begin(), mask.end(), 0), 40 * 30 - 36 * 26);
    EXPECT_EQ(*std::max_element(mask.begin(), mask.end()), 1);
}

TEST_F(MaskOperations, OffsetSelectMaskMovesByWholePixels)
{
    std::vector<BYTE> mask(5 * 4);
    for (std::size_t i = 0; i < mask.size(); ++i) mask[i] = static_cast<BYTE>(i + 1);
    std::vector<BYTE> moved = mask;
    ASSERT_EQ(RegionSelector::OffsetSelectMask(moved, 5, 4, 3, -2), 1);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x) {
            const bool from = x - 3 >= 0 && y + 2 < 4;
            EXPECT_EQ(moved[y * 5 + x], from ? mask[(y + 2) * 5 + x - 3] : 0) << x << "," << y;
        }
    moved = mask;
    EXPECT_EQ(RegionSelector::OffsetSelectMask(moved, 5, 4, 0, -5), 1);  // every pixel moves out
    EXPECT_EQ(moved, std::vector<BYTE>(20, 0));
    moved = mask;
    EXPECT_EQ(RegionSelector::OffsetSelectMask(moved, 5, 3, 1, 1), 0);  // not 5 × 3 bytes
    EXPECT_EQ(RegionSelector::OffsetSelectMask(moved, 0, 4, 1, 1), 0);
    EXPECT_EQ(moved, mask);
}

TEST_F(MaskOperations, CreateRgnFromMaskTakesEveryNonZeroByte)
{
    CRgn rgn;
    rgn.CreateRectRgn(0, 0, 1, 1);
    EXPECT_EQ(RegionSelector::CreateRgnFromMask(rgn, Blob({0, 0, 0, 0}), 2, 2), 0);
    EXPECT_FALSE(rgn.HasRegion());
    const std::vector<BYTE> faint = Blob({1, 1, 0, 1,  //
                                          0, 1, 1, 1,  //
                                          1, 1, 0, 1});
    ASSERT_EQ(RegionSelector::CreateRgnFromMask(rgn, faint, 4, 3), 1);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(rgn.PtInRegion(x, y), faint[y * 4 + x] != 0) << x << "," << y;
    EXPECT_EQ(RegionSelector::CreateRgnFromMask(rgn, faint, 4, 4), 0);  // wrong length: unchanged
    EXPECT_TRUE(rgn.PtInRegion(0, 0));
}

TEST(MaskCombination, NewAddSubtractIntersect)
{
    const std::vector<BYTE> a = Blob({255, 200, 100, 0, 90});
    const std::vector<BYTE> c = Blob({128, 100, 200, 50, 0});
    const std::pair<Kernels::Overlap, std::vector<BYTE>> cases[] = {
        {Kernels::Overlap::New, c},
        {Kernels::Overlap::Add, Blob({255, 255, 255, 50, 90})},
        {Kernels::Overlap::Subtract, Blob({127, 100, 0, 0, 90})},
        {Kernels::Overlap::Intersect, Blob({128, 78, 78, 0, 0})},
    };
    for (const auto& [overlap, expected] : cases) {
        std::vector<BYTE> merged = a;
        Kernels::Merge(merged.data(), c.data(), merged.size(), overlap);
        EXPECT_EQ(merged, expected) << static_cast<int>(overlap);
    }
}

TEST_F(SelectorSettings, EveryVersionLoadsAndDamagedBlobsChangeNothing)
{
    RegionSelector tool;
    std::vector<BYTE> blob;
    tool.SerializeToolSettings(blob);
    EXPECT_EQ(blob, Blob({3, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));

    EXPECT_EQ(tool.UnserializeToolSettings(Blob({3, 0, 0, 0, 4, 0, 0, 0, 9, 0, 0, 0, 200, 0, 0, 0})), 1);
    EXPECT_EQ(tool.GetSelectOverlapMode(), RegionSelector::OVERLAPMODE_INTERSECT);
    EXPECT_EQ(tool.GetFeatheringRadius(), 9);
    EXPECT_EQ(tool.GetTorlerance(), 200);
    EXPECT_EQ(tool.UnserializeToolSettings(Blob({2, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0})), 1);
    EXPECT_EQ(tool.GetSelectOverlapMode(), RegionSelector::OVERLAPMODE_ADD);
    EXPECT_EQ(tool.GetFeatheringRadius(), 3);
    EXPECT_EQ(tool.UnserializeToolSettings(Blob({1, 0, 0, 0, 0, 0, 0, 0, 5, 0, 0, 0})), 1);  // counted from 0
    EXPECT_EQ(tool.GetSelectOverlapMode(), RegionSelector::OVERLAPMODE_NEW);
    EXPECT_EQ(tool.GetTorlerance(), 200);  // not in versions 1 and 2

    tool.SerializeToolSettings(blob);
    const std::vector<BYTE> damaged[] = {
        {},
        Blob({3, 0, 0, 0}),                                                  // no fields
        Blob({4, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}),              // newer version
        Blob({3, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0}),                          // version 3 of 12 bytes
        Blob({1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}),              // version 1 of 16 bytes
        Blob({3, 0, 0, 0, 7, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}),              // overlap mode 7
        Blob({3, 0, 0, 0, 1, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0}),  // radius -1
        Blob({3, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0}),              // tolerance 256
    };
    for (const std::vector<BYTE>& bytes : damaged) EXPECT_EQ(tool.UnserializeToolSettings(bytes), 0);
    std::vector<BYTE> after;
    tool.SerializeToolSettings(after);
    EXPECT_EQ(after, blob);
    EXPECT_EQ(log.Count("RegionSelector::UnserializeToolSettings: Invalid parameter data size or version."), 3);
    EXPECT_TRUE(log.Contains("Invalid parameter data size for version 3."));
    EXPECT_TRUE(log.Contains("Invalid parameter data size for version 1."));
    EXPECT_EQ(log.Count("Invalid parameter data for version 3."), 3);
    EXPECT_EQ(tool.UnserializeToolSettings(Blob({0, 0, 0, 0, 9})), 1);  // version 0: nothing to take

    // The setters refuse what the blob may not hold either.
    EXPECT_EQ(tool.SetSelectMode(static_cast<RegionSelector::emSelectMode>(6)), RegionSelector::SELECTMODE_NONE);
    EXPECT_EQ(tool.GetSelectMode(), RegionSelector::SELECTMODE_NONE);
    EXPECT_EQ(tool.SetSelectOverlapMode(static_cast<RegionSelector::emOverlapMode>(0)), RegionSelector::OVERLAPMODE_NEW);
    EXPECT_EQ(tool.SetFeatheringRadius(-1), -1);
    EXPECT_EQ(tool.SetTorlerance(256), -1);
    EXPECT_EQ(tool.SetTorlerance(255), 200);
    EXPECT_EQ(std::wstring(tool.GetToolName()), L"region_selector");
}

class SelectorInView : public ToolFixture<RegionSelector> {
protected:
    SelectorInView() : ToolFixture(200, 150, 32) {}
    long Selected() { return std::count(view.vSelectMask().begin(), view.vSelectMask().end(), 255); }
};

TEST_F(SelectorInView, WholePictureAndInverseSelections)
{
    tool.InverseSelect();  // nothing selected: everything is
    EXPECT_EQ(Selected(), 200 * 150);
    EXPECT_TRUE(view.rgnSelect().EqualRgn(view.rgnBitmap()));
    EXPECT_TRUE(parent.Codes().empty());

    CRgn corner;
    corner.CreateRectRgn(0, 0, 50, 40);
    std::vector<BYTE> mask(200 * 150, 0);
    for (int y = 0; y < 40; ++y) std::fill_n(mask.begin() + y * 200, 50, 200);
    view.UpdateSelection(corner, mask);
    tool.InverseSelect();
    EXPECT_EQ(view.vSelectMask()[0], 55);
    EXPECT_EQ(view.vSelectMask()[199], 255);
    EXPECT_FALSE(view.rgnSelect().PtInRegion(10, 10));
    EXPECT_TRUE(view.rgnSelect().PtInRegion(60, 10));
    EXPECT_EQ(parent.Codes(), std::vector<UINT>{IWN_SELECTOR_INVERSED});
    tool.SelectAll();
    EXPECT_EQ(Selected(), 200 * 150);
    EXPECT_EQ(parent.Codes().size(), 1u);
}

TEST_F(SelectorInView, ModeNoneLetsTheViewAloneAndCursorsTellTheModes)
{
    Press({50, 50});
    Move({70, 70}, Qt::LeftButton);
    Release({70, 70});
    EXPECT_FALSE(tool.IsSelecting());
    EXPECT_EQ(parent.Codes(), (std::vector<UINT>{IWN_LBUTTONDOWN, IWN_MOUSEMOVE}));
    Hover({60, 60});
    EXPECT_EQ(view.cursor(), *view.GetDefCursor());

    tool.SetSelectMode(RegionSelector::SELECTMODE_MAGICWAND);
    tool.SetSelectOverlapMode(RegionSelector::OVERLAPMODE_ADD);
    Hover({61, 60});
    IWCURSORINFO wand{CURSOR_SHAPE_MAGICWAND, CURSOR_MARK_PLUS, 16, 3, 3, 1, 0, 0};
    EXPECT_EQ(view.cursor(), *view.AquireCursor(wand));
    tool.SetSelectOverlapMode(RegionSelector::OVERLAPMODE_SUBTRACT);
    Hover({62, 60});
    wand.emExtraMark = CURSOR_MARK_MINUS;
    EXPECT_EQ(view.cursor(), *view.AquireCursor(wand));

    tool.SelectAll();  // with overlap mode new the hand offers to drag the selection
    tool.SetSelectOverlapMode(RegionSelector::OVERLAPMODE_NEW);
    Hover({63, 60});
    EXPECT_EQ(view.cursor().shape(), Qt::PointingHandCursor);
}
