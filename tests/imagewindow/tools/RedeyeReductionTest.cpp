// The red-eye tool on a real view: the inverting rubber band while a drag
// lasts, drags ended by unloading or a replaced picture, and the settings blob.
#include "../ViewTestSupport.h"
#include "imagewindow/ViewNotify.h"
#include "imagewindow/tools/RedeyeReduction.h"
#include "support/LogWatch.h"

using namespace ViewTest;
using ImageWindow::EmbeddedTool::RedeyeReduction;

namespace {

class RedeyeInView : public ToolFixture<RedeyeReduction> {
protected:
    RedeyeInView() : ToolFixture(400, 300, 24) {}  // larger than the view: no centring at zoom 1

    // Inverted: the pixel's colour NOT-XOR black.
    static QRgb Inverted(QRgb c) { return qRgb(255 - qRed(c), 255 - qGreen(c), 255 - qBlue(c)); }
    // Checks that the band frames exactly columns left..right and rows
    // top..bottom (window = image pixels here): its four sides inverted, the
    // pixels just inside and just outside as they were.
    void ExpectBand(const QImage& screen, int left, int top, int right, int bottom)
    {
        for (int x = left; x <= right; ++x) {
            EXPECT_EQ(screen.pixel(x, top) & 0xFFFFFF, Inverted(Pattern(x, top)) & 0xFFFFFF) << x;
            EXPECT_EQ(screen.pixel(x, bottom) & 0xFFFFFF, Inverted(Pattern(x, bottom)) & 0xFFFFFF) << x;
            EXPECT_EQ(screen.pixel(x, top - 1) & 0xFFFFFF, Pattern(x, top - 1) & 0xFFFFFF) << x;
        }
        for (int y = top + 1; y < bottom; ++y) {
            EXPECT_EQ(screen.pixel(left, y) & 0xFFFFFF, Inverted(Pattern(left, y)) & 0xFFFFFF) << y;
            EXPECT_EQ(screen.pixel(right, y) & 0xFFFFFF, Inverted(Pattern(right, y)) & 0xFFFFFF) << y;
            EXPECT_EQ(screen.pixel(left + 1, y) & 0xFFFFFF, Pattern(left + 1, y) & 0xFFFFFF) << y;
            EXPECT_EQ(screen.pixel(right + 1, y) & 0xFFFFFF, Pattern(right + 1, y) & 0xFFFFFF) << y;
        }
    }
    int Reports() const
    {
        const std::vector<UINT> codes = parent.Codes();
        return static_cast<int>(std::count(codes.begin(), codes.end(), ImageWindow::IWN_REDEYE_RECT));
    }
    bool ShowsPicture(const QImage& screen)
    {
        for (int y = 0; y < 150; ++y)
            for (int x = 0; x < 250; ++x)
                if ((screen.pixel(x, y) & 0xFFFFFF) != (Pattern(x, y) & 0xFFFFFF)) return false;
        return true;
    }
};

} // namespace

TEST_F(RedeyeInView, TheRubberBandInvertsItsOutlineFollowsThePointerAndGoesWithTheRelease)
{
    Press({40, 30});
    Move({10, 50}, Qt::LeftButton);
    ExpectBand(Screen(), 10, 30, 39, 49);  // as GDI's Rectangle: the pointer's column and row left out
    Move({60, 70}, Qt::LeftButton);
    const QImage moved = Screen();
    ExpectBand(moved, 40, 30, 59, 69);
    EXPECT_EQ(moved.pixel(10, 40) & 0xFFFFFF, Pattern(10, 40) & 0xFFFFFF);  // the old band is gone
    EXPECT_EQ(Reports(), 0);

    Release({60, 70});
    EXPECT_TRUE(ShowsPicture(Screen()));
    EXPECT_EQ(Reports(), 1);
    EXPECT_EQ(tool.GetDetectRect(), CRect(40, 30, 60, 70));
    EXPECT_FALSE(view.HasCapture());
}

TEST_F(RedeyeInView, UnloadingOrAReplacedPictureEndsTheDragWithoutAReport)
{
    Press({40, 30});
    Move({90, 80}, Qt::LeftButton);
    view.UnloadEmbeddedTool();
    EXPECT_FALSE(view.HasCapture());  // the view's mouse is not left captured
    ASSERT_EQ(view.LoadEmbeddedTool(tool), 1);
    EXPECT_FALSE(tool.IsDragging());

    Press({40, 30});
    Move({90, 80}, Qt::LeftButton);
    TestDib other(400, 300, 24, Pattern);
    ASSERT_EQ(view.UpdateBitmap(other.info, other.pixels.data()), 1);  // an undo or a turn arrived
    EXPECT_FALSE(tool.IsDragging());
    EXPECT_FALSE(view.HasCapture());
    Release({90, 80});
    EXPECT_TRUE(ShowsPicture(Screen()));
    EXPECT_EQ(Reports(), 0);
}

TEST(RedeyeSettings, TheBlobCarriesTheAmountClampedAndDamagedBlobsAreRefused)
{
    RedeyeReduction tool;
    EXPECT_EQ(std::wstring(tool.GetToolName()), L"redeye_reduction");
    std::vector<BYTE> blob;
    tool.SerializeToolSettings(blob);
    EXPECT_EQ(blob, Int32Blob({1, 1}));
    tool.SetDarkenAmount(0);
    EXPECT_EQ(tool.GetDarkenAmount(), 1);
    tool.SetDarkenAmount(250);
    EXPECT_EQ(tool.GetDarkenAmount(), 100);

    const std::pair<int, int> stored[] = {{40, 40}, {1000, 100}, {0, 1}, {-5, 1}, {100, 100}};
    for (const auto& [value, amount] : stored) {
        EXPECT_EQ(tool.UnserializeToolSettings(Int32Blob({1, value})), 1);
        EXPECT_EQ(tool.GetDarkenAmount(), amount) << value;
    }
    tool.SerializeToolSettings(blob);
    EXPECT_EQ(blob, Int32Blob({1, 100}));

    tool.SetDarkenAmount(37);
    CorvaneTest::LogWatch log;
    const std::vector<BYTE> refused[] = {{}, {1, 0, 0, 0}, {1, 0, 0, 0, 9, 0}, Int32Blob({1, 9, 9}), Int32Blob({2, 9})};
    for (const auto& bad : refused) EXPECT_EQ(tool.UnserializeToolSettings(bad), 0) << bad.size();
    EXPECT_EQ(tool.GetDarkenAmount(), 37);
    const std::string function = "ImageWindow RedeyeReduction::UnserializeToolSettings: ";
    EXPECT_EQ(log.Count(function + "Invalid parameter data size or version."), 3);
    EXPECT_EQ(log.Count(function + "Invalid parameter data size for version 1."), 2);

    EXPECT_EQ(tool.UnserializeToolSettings(Int32Blob({0, 9})), 1);  // version 0 keeps the amount
    EXPECT_EQ(tool.GetDarkenAmount(), 37);
}
