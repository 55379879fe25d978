// The spot remover: its round cursor at each zoom, where a click lands in the
// image, and its settings blob.
#include <filesystem>
#include <fstream>

#include "../ViewTestSupport.h"
#include "Tracewell/Log.h"
#include "imagewindow/ViewNotify.h"
#include "imagewindow/tools/SpotRemover.h"

using namespace ViewTest;
using ImageWindow::IWCURSORINFO;
using ImageWindow::EmbeddedTool::SpotRemover;

namespace {

class SpotRemoverInView : public ToolFixture<SpotRemover> {
protected:
    SpotRemoverInView() : ToolFixture(400, 300, 24) {}
};

std::vector<BYTE> Blob(std::initializer_list<int> bytes) { return {bytes.begin(), bytes.end()}; }

} // namespace

TEST_F(SpotRemoverInView, CursorRadiusAndImageSizeFollowTheZoom)
{
    Hover({100, 100});
    view.SetZoom(1.0);
    const IWCURSORINFO atOne = tool.GetCursorInfo();
    EXPECT_EQ(atOne.iRadius, 8);  // 1 × 0.5 × 15 + 0.5
    EXPECT_EQ(atOne.iImageSize, 32);
    EXPECT_EQ(atOne.iHotSpotX, 16);
    EXPECT_EQ(atOne.iHotSpotY, 16);
    EXPECT_EQ(view.cursor(), *view.AquireCursor(atOne));

    tool.SetSize(1);
    view.SetZoom(0.1);  // the circle follows the zoom without a mouse move
    EXPECT_EQ(tool.GetCursorInfo().iRadius, 1);
    EXPECT_EQ(tool.GetCursorInfo().iImageSize, 16);
    EXPECT_EQ(tool.GetCursorInfo().iHotSpotX, 8);
    EXPECT_EQ(view.cursor(), *view.AquireCursor(tool.GetCursorInfo()));
}

TEST(SpotRemoverCursor, ImageSizeStepsByRadius)
{
    const std::pair<int, int> steps[] = {{1, 16},    {7, 16},    {8, 32},     {15, 32},    {16, 48},
                                         {23, 48},   {24, 64},   {32, 128},   {64, 256},   {128, 512},
                                         {256, 1024}, {512, 2048}, {1024, 4096}, {2047, 4096}};
    for (const auto& [radius, size] : steps) EXPECT_EQ(SpotRemover::CursorImageSize(radius), size) << radius;
    EXPECT_EQ(SpotRemover::CursorRadius(0.1, 1), 1);
    EXPECT_EQ(SpotRemover::CursorRadius(8.0, 500), 2000);
    EXPECT_EQ(SpotRemover::CursorRadius(1.0, 14), 7);
}

TEST_F(SpotRemoverInView, ARadiusTooLargeForAnyCursorLeavesTheDefault)
{
    tool.SetSize(500);
    Hover({100, 100});
    view.SetZoom(9.0);  // radius 2250 does not fit 4096 pixels
    Hover({120, 90});
    EXPECT_EQ(view.cursor(), *view.GetDefCursor());
}

TEST_F(SpotRemoverInView, AReleaseReportsTheImagePointOnceEvenForADoubleClick)
{
    view.SetZoom(2.0);
    view.SetDispPosition(100, 50);
    Press({11, 21});
    Release({11, 21});
    EXPECT_EQ(tool.GetSpotPos().x, 55);  // trunc((11 + 100) / 2)
    EXPECT_EQ(tool.GetSpotPos().y, 35);
    DoubleClick({11, 21});
    Release({11, 21});
    const auto codes = parent.Codes();
    EXPECT_EQ(std::count(codes.begin(), codes.end(), ImageWindow::IWN_SPOTREMOVER_SPOT), 1);
}

TEST_F(SpotRemoverInView, AReleaseBesideTheCentredPictureReportsAPointOutsideIt)
{
    view.SetZoom(0.5);  // 200 × 150 centred: rcInBitmap.left = -50, top = -25
    Press({10, 190});
    Release({10, 190});
    EXPECT_EQ(tool.GetSpotPos().x, -80);  // trunc((10 - 50) / 0.5)
    EXPECT_EQ(tool.GetSpotPos().y, 330);  // beyond the height of 300
    EXPECT_EQ(parent.Codes().back(), ImageWindow::IWN_SPOTREMOVER_SPOT);
}

TEST_F(SpotRemoverInView, WithoutABitmapTheSpotIsTheRawWindowPoint)
{
    view.ClearBitmap();
    tool.OnLButtonUp(0, CPoint(12, 34));
    EXPECT_EQ(tool.GetSpotPos().x, 12);
    EXPECT_EQ(tool.GetSpotPos().y, 34);
}

TEST(SpotRemoverSettings, SizesAreClampedWhenLoadedNotWhenSet)
{
    SpotRemover tool;
    EXPECT_EQ(tool.SetSize(600), 15);
    EXPECT_EQ(tool.GetSize(), 600);
    std::vector<BYTE> blob;
    tool.SerializeToolSettings(blob);
    EXPECT_EQ(blob, Blob({1, 0, 0, 0, 0x58, 0x02, 0, 0}));

    EXPECT_EQ(tool.UnserializeToolSettings(Blob({1, 0, 0, 0, 0x58, 0x02, 0, 0})), 1);
    EXPECT_EQ(tool.GetSize(), 500);
    EXPECT_EQ(tool.UnserializeToolSettings(Blob({1, 0, 0, 0, 0, 0, 0, 0})), 1);
    EXPECT_EQ(tool.GetSize(), 1);
    EXPECT_EQ(tool.UnserializeToolSettings(Blob({1, 0, 0, 0, 0xF9, 0xFF, 0xFF, 0xFF})), 1);  // -7
    EXPECT_EQ(tool.GetSize(), 1);
}

TEST(SpotRemoverSettings, RefusedBlobsChangeNothingAndAreLogged)
{
    SpotRemover tool;
    tool.SetSize(21);
    ASSERT_TRUE(InitLog());
    EXPECT_EQ(tool.UnserializeToolSettings(Blob({1, 0, 0, 0, 9, 0})), 0);           // version 1, 6 bytes
    EXPECT_EQ(tool.UnserializeToolSettings(Blob({2, 0, 0, 0, 9, 0, 0, 0})), 0);     // newer version
    UninitLog();
    std::ifstream file{std::filesystem::path(GetLogFilePath())};
    const std::string log((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_NE(log.find("ImageWindow SpotRemover::UnserializeToolSettings: Invalid parameter data size for version 1."),
              std::string::npos);
    EXPECT_NE(log.find("ImageWindow SpotRemover::UnserializeToolSettings: Invalid parameter data size or version."),
              std::string::npos);
    EXPECT_EQ(tool.UnserializeToolSettings(Blob({1, 0, 0, 0})), 0);                 // 4 bytes
    EXPECT_EQ(tool.UnserializeToolSettings({}), 0);
    EXPECT_EQ(tool.UnserializeToolSettings(Blob({1, 0, 0, 0, 9, 0, 0, 0, 0})), 0);  // 9 bytes
    EXPECT_EQ(tool.GetSize(), 21);

    tool.SetSize(600);
    EXPECT_EQ(tool.UnserializeToolSettings(Blob({0, 0, 0, 0, 9})), 1);  // version 0 only clamps
    EXPECT_EQ(tool.GetSize(), 500);
    EXPECT_EQ(std::wstring(tool.GetToolName()), L"spot_remover");
}
