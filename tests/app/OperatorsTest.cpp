// The operators: what each does to an operation's snapshot, the checks of
// the common frame, and the dispatch by kind.
#include <cstring>

#include <gtest/gtest.h>

#include "AppTestSupport.h"
#include "operations/AdjustmentParams.h"
#include "operations/Operators.h"
#include "operations/OptGuids.h"
#include "operations/OptParam_Flip.h"
#include "operations/OptParam_RedeyeReduction.h"
#include "operations/OptParam_Rotate.h"
#include "operations/OptParam_HealingStroke.h"
#include "operations/OptParam_SpotRemoval.h"

using AppTest::LogWatch;
using AppTest::MakeImage;
using AppTest::PixelOffset;
using OperationManage::Operation;

namespace {

// An operation of `kind` on a copy of `image` with `param` (owned by it).
std::unique_ptr<Operation> MakeOperation(const OperationManage::OPTGUID& kind, const ImageData& image,
                                         OperationManage::IOptParam* param)
{
    auto operation = std::make_unique<Operation>();
    operation->m_Kind = kind;
    operation->m_pData = new ImageData(image);
    operation->m_pParam = param;
    return operation;
}

ImageData& DataOf(Operation& operation) { return *static_cast<ImageData*>(operation.m_pData); }

const unsigned char* Pixel(const ImageData& data, int x, int yFromTop)
{
    return data.m_Pixels.data() + PixelOffset(data.m_Header, x, yFromTop);
}

// Sets picture pixel (x, y), row 0 at the top, to red, green, blue.
void Paint(ImageData& data, int x, int yFromTop, int red, int green, int blue)
{
    unsigned char* p = data.m_Pixels.data() + PixelOffset(data.m_Header, x, yFromTop);
    p[0] = static_cast<unsigned char>(blue);
    p[1] = static_cast<unsigned char>(green);
    p[2] = static_cast<unsigned char>(red);
}

// A picture of one colour.
ImageData Flat(int width, int height, int red, int green, int blue)
{
    ImageData data = MakeImage(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) Paint(data, x, y, red, green, blue);
    return data;
}

OptParam_Rotate* QuarterTurn(bool clockwise)
{
    auto* param = new OptParam_Rotate;
    param->m_nMode = OptParam_Rotate::ROTATE_90;
    param->m_bClockwise = clockwise;
    param->m_fAngle = 90.0f;
    return param;
}

} // namespace

TEST(RotateOperator, QuarterTurnsSwapTheSizeAndMoveCornersAsOnScreen)
{
    const ImageData source = MakeImage(300, 200);
    auto left = MakeOperation(OPTGUID_ROTATE, source, QuarterTurn(false));
    LogWatch log;
    ASSERT_TRUE(Operator_Rotate::Process(*left));
    const ImageData& turned = DataOf(*left);
    EXPECT_EQ(turned.m_Header.bmiHeader.biWidth, 200);
    EXPECT_EQ(turned.m_Header.bmiHeader.biHeight, 300);
    EXPECT_EQ(turned.m_Pixels.size(), turned.m_Header.bmiHeader.biSizeImage);
    // Turned left, the top-right corner comes to the top-left.
    EXPECT_EQ(std::memcmp(Pixel(turned, 0, 0), Pixel(source, 299, 0), 3), 0);
    EXPECT_EQ(std::memcmp(Pixel(turned, 199, 299), Pixel(source, 0, 199), 3), 0);
    EXPECT_TRUE(log.Contains("Operator_Rotate::Process: ParamInfo: "));

    auto right = MakeOperation(OPTGUID_ROTATE, source, QuarterTurn(true));
    ASSERT_TRUE(Operator_Rotate::Process(*right));
    // Turned right, the top-left corner comes to the top-right.
    EXPECT_EQ(std::memcmp(Pixel(DataOf(*right), 199, 0), Pixel(source, 0, 0), 3), 0);

    auto* half = new OptParam_Rotate;
    half->m_nMode = OptParam_Rotate::ROTATE_180;
    auto halfTurn = MakeOperation(OPTGUID_ROTATE, source, half);
    ASSERT_TRUE(Operator_Rotate::Process(*halfTurn));
    EXPECT_EQ(DataOf(*halfTurn).m_Header.bmiHeader.biWidth, 300);
    EXPECT_EQ(std::memcmp(Pixel(DataOf(*halfTurn), 0, 0), Pixel(source, 299, 199), 3), 0);
}

TEST(RotateOperator, RefusesMissingRecordsWrongKindsAndUnknownModes)
{
    const ImageData source = MakeImage(8, 6);
    LogWatch log;
    auto noParam = MakeOperation(OPTGUID_ROTATE, source, nullptr);
    EXPECT_FALSE(Operator_Rotate::Process(*noParam));
    auto wrongParam = MakeOperation(OPTGUID_ROTATE, source, new OptParam_Flip);
    EXPECT_FALSE(Operator_Rotate::Process(*wrongParam));
    auto wrongKind = MakeOperation(OPTGUID_FLIP, source, QuarterTurn(true));
    EXPECT_FALSE(Operator_Rotate::Process(*wrongKind));
    Operation noData;
    noData.m_Kind = OPTGUID_ROTATE;
    noData.m_pParam = QuarterTurn(true);
    EXPECT_FALSE(Operator_Rotate::Process(noData));
    EXPECT_EQ(log.Count("Operator_Rotate::Process: Invalid Argument."), 4);

    auto* bad = new OptParam_Rotate;
    bad->m_nMode = 5;
    auto badMode = MakeOperation(OPTGUID_ROTATE, source, bad);
    EXPECT_FALSE(Operator_Rotate::Process(*badMode));
    EXPECT_TRUE(log.Contains("Invalid RotateMode: 5."));
    EXPECT_EQ(DataOf(*badMode).m_Pixels, source.m_Pixels);
}

TEST(RotateOperator, FreeRotationGrowsTheCanvasAndFillsTheCornersAndNinetyDegreesIsExact)
{
    const ImageData source = MakeImage(20, 10);
    auto* slant = new OptParam_Rotate;
    slant->m_nMode = OptParam_Rotate::ROTATE_FREE;
    slant->m_fAngle = 45.0f;
    slant->m_crFillColor = RGB(0, 255, 0);
    auto slanted = MakeOperation(OPTGUID_ROTATE, source, slant);
    ASSERT_TRUE(Operator_Rotate::Process(*slanted));
    const ImageData& turned = DataOf(*slanted);
    const LONG side = turned.m_Header.bmiHeader.biWidth;
    EXPECT_GE(side, 21);  // 20 cos 45 + 10 sin 45 = 21.2
    EXPECT_EQ(turned.m_Header.bmiHeader.biHeight, side);  // a 2:1 picture at 45 degrees fills a square
    EXPECT_EQ(turned.m_Pixels.size(), turned.m_Header.bmiHeader.biSizeImage);
    const unsigned char* corner = Pixel(turned, 0, 0);
    EXPECT_TRUE(corner[0] == 0 && corner[1] == 255 && corner[2] == 0);

    auto* right = new OptParam_Rotate;
    right->m_nMode = OptParam_Rotate::ROTATE_FREE;
    right->m_fAngle = 90.0f;
    auto free90 = MakeOperation(OPTGUID_ROTATE, source, right);
    auto quarter = MakeOperation(OPTGUID_ROTATE, source, QuarterTurn(true));
    ASSERT_TRUE(Operator_Rotate::Process(*free90));
    ASSERT_TRUE(Operator_Rotate::Process(*quarter));
    EXPECT_EQ(DataOf(*free90).m_Header.bmiHeader.biWidth, 10);
    EXPECT_EQ(DataOf(*free90).m_Pixels, DataOf(*quarter).m_Pixels);
}

TEST(FlipOperator, MirrorsAcrossTheChosenAxis)
{
    const ImageData source = MakeImage(5, 3, 32);
    auto* vertical = new OptParam_Flip;
    vertical->m_bVertical = true;
    auto upsideDown = MakeOperation(OPTGUID_FLIP, source, vertical);
    ASSERT_TRUE(Operator_Flip::Process(*upsideDown));
    EXPECT_EQ(std::memcmp(Pixel(DataOf(*upsideDown), 1, 0), Pixel(source, 1, 2), 4), 0);

    auto mirrored = MakeOperation(OPTGUID_FLIP, source, new OptParam_Flip);
    ASSERT_TRUE(Operator_Flip::Process(*mirrored));
    EXPECT_EQ(std::memcmp(Pixel(DataOf(*mirrored), 0, 1), Pixel(source, 4, 1), 4), 0);
}

TEST(SpotRemovalOperator, RepairsOnlyTheOddSquareAroundTheClick)
{
    ImageData source = MakeImage(64, 48);
    // A flat grey picture with a dark speck at (20, 30), row 0 at the top.
    std::fill(source.m_Pixels.begin(), source.m_Pixels.end(), 128);
    for (int y = 29; y <= 31; ++y)
        for (int x = 19; x <= 21; ++x) std::memset(source.m_Pixels.data() + PixelOffset(source.m_Header, x, y), 10, 3);
    for (const int size : {15, 16}) {
        auto* param = new OptParam_SpotRemoval;
        param->m_nSpotSize = size;
        param->m_nX = 20;
        param->m_nY = 30;
        auto operation = MakeOperation(OPTGUID_SPOTREMOVAL, source, param);
        ASSERT_TRUE(Operator_SpotRemoval::Process(*operation)) << size;
        const ImageData& result = DataOf(*operation);
        const int half = size / 2;
        for (int y = 0; y < 48; ++y) {
            for (int x = 0; x < 64; ++x) {
                const bool inside = std::abs(x - 20) <= half && std::abs(y - 30) <= half;
                if (inside) continue;
                ASSERT_EQ(std::memcmp(Pixel(result, x, y), Pixel(source, x, y), 3), 0) << x << "," << y;
            }
        }
        EXPECT_GT(Pixel(result, 20, 30)[0], 100) << "speck still there with size " << size;
    }
}

TEST(SpotRemovalOperator, AClickInTheCornerReachesOverTheEdge)
{
    const ImageData source = MakeImage(40, 30);
    auto* param = new OptParam_SpotRemoval;
    param->m_nX = 0;
    param->m_nY = 0;
    auto operation = MakeOperation(OPTGUID_SPOTREMOVAL, source, param);
    EXPECT_TRUE(Operator_SpotRemoval::Process(*operation));
    const ImageData& result = DataOf(*operation);
    for (int y = 8; y < 30; ++y)
        for (int x = 8; x < 40; ++x) ASSERT_EQ(std::memcmp(Pixel(result, x, y), Pixel(source, x, y), 3), 0);
}

TEST(HealingStrokeOperator, HealsAlongThePathOnlyAndFailsWithoutOne)
{
    ImageData source = MakeImage(80, 40);
    std::fill(source.m_Pixels.begin(), source.m_Pixels.end(), 128);
    for (int x = 10; x <= 70; ++x) std::memset(source.m_Pixels.data() + PixelOffset(source.m_Header, x, 20), 10, 3);
    auto* param = new OptParam_HealingStroke;
    param->m_nSpotSize = 6;  // healed 7 wide, as a spot of size 6
    param->m_Path = {{10, 20}, {70, 20}};
    auto operation = MakeOperation(OPTGUID_HEALINGSTROKE, source, param);
    ASSERT_TRUE(RunOperator(*operation));
    const ImageData& result = DataOf(*operation);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 80; ++x) {
            if (std::abs(y - 20) <= 3 && x >= 6 && x <= 74) continue;
            ASSERT_EQ(std::memcmp(Pixel(result, x, y), Pixel(source, x, y), 3), 0) << x << "," << y;
        }
    for (int x = 10; x <= 70; ++x) EXPECT_GT(Pixel(result, x, 20)[0], 120) << x;

    LogWatch log;
    auto empty = MakeOperation(OPTGUID_HEALINGSTROKE, source, new OptParam_HealingStroke);
    EXPECT_FALSE(RunOperator(*empty));
    EXPECT_TRUE(log.Contains("Operator_HealingStroke::Process: Failed to execute ImageProcess::HealStroke."));
}

TEST(BrushOperators, TakeTheToolPictureOnlyWhenItHasTheSnapshotSize)
{
    static ImageData painted = MakeImage(8, 4);
    static bool available = true;
    SetBrushBitmapSource([](int toolIndex, BITMAPINFO& header) -> const unsigned char* {
        if (toolIndex != 2 || !available) return nullptr;
        header = painted.m_Header;
        return painted.m_Pixels.data();
    });
    ImageData before = MakeImage(8, 4);
    std::fill(before.m_Pixels.begin(), before.m_Pixels.end(), 0);
    auto stamp = MakeOperation(OPTGUID_CLONESTAMP, before, nullptr);
    ASSERT_TRUE(Operator_CloneStamp::Process(*stamp));
    EXPECT_EQ(DataOf(*stamp).m_Pixels, painted.m_Pixels);

    LogWatch log;
    const ImageData other = MakeImage(7, 4);  // the image was replaced meanwhile
    auto mismatch = MakeOperation(OPTGUID_CLONESTAMP, other, nullptr);
    EXPECT_FALSE(Operator_CloneStamp::Process(*mismatch));
    EXPECT_EQ(DataOf(*mismatch).m_Pixels, other.m_Pixels);
    EXPECT_TRUE(log.Contains("Failed to get image from CloneStamp-Tool."));
    const ImageData turned = MakeImage(4, 8);  // as many bytes as 8x4, another shape
    ASSERT_EQ(turned.m_Pixels.size(), painted.m_Pixels.size());
    auto quarterTurn = MakeOperation(OPTGUID_CLONESTAMP, turned, nullptr);
    EXPECT_FALSE(Operator_CloneStamp::Process(*quarterTurn));
    EXPECT_EQ(DataOf(*quarterTurn).m_Pixels, turned.m_Pixels);
    auto dodge = MakeOperation(OPTGUID_DODGEBURN, before, nullptr);
    EXPECT_FALSE(Operator_DodgeBurn::Process(*dodge));  // no dodge/burn tool
    EXPECT_TRUE(log.Contains("Failed to get image from DodgeBurn-Tool."));
    SetBrushBitmapSource(nullptr);
}

TEST(AdjustmentOperators, ChangeTheWholeSnapshotWithoutASelection)
{
    const ImageData source = MakeImage(9, 7);
    LogWatch log;
    auto negative = MakeOperation(OPTGUID_NEGATIVE, source, nullptr);
    ASSERT_TRUE(Operator_Negative::Process(*negative));
    EXPECT_EQ(Pixel(DataOf(*negative), 3, 2)[0], 255 - Pixel(source, 3, 2)[0]);
    EXPECT_TRUE(log.Contains("Operator_Negative::Process: ParamInfo: Not Need."));

    auto cut = MakeOperation(OPTGUID_CUT, source, nullptr);
    ASSERT_TRUE(Operator_Cut::Process(*cut));
    EXPECT_EQ(Pixel(DataOf(*cut), 8, 6)[1], 150);
    auto cutWithParam = MakeOperation(OPTGUID_CUT, source, new OptParam_GaussBlur);
    EXPECT_FALSE(Operator_Cut::Process(*cutWithParam));

    auto* size = new OptParam_Resize;
    size->m_nWidth = 4;
    size->m_nHeight = 3;
    auto resize = MakeOperation(OPTGUID_RESIZE, source, size);
    ASSERT_TRUE(Operator_Resize::Process(*resize));
    EXPECT_EQ(DataOf(*resize).m_Header.bmiHeader.biWidth, 4);
    EXPECT_EQ(DataOf(*resize).m_Pixels.size(), DataOf(*resize).m_Header.bmiHeader.biSizeImage);

    // Cropping needs a selection: without one it fails and writes no line.
    log.Mark();
    auto crop = MakeOperation(OPTGUID_CROP, source, new OptParam_Crop);
    EXPECT_FALSE(Operator_Crop::Process(*crop));
    EXPECT_FALSE(log.Contains("Operator_Crop::Process: Failed"));
    EXPECT_EQ(DataOf(*crop).m_Pixels, source.m_Pixels);
}

TEST(AdjustmentOperators, ColourLevelsWhiteBalanceAndInverseHue)
{
    const ImageData source = MakeImage(9, 7);  // pixel (3, 2): red 7, green 2, blue 3
    LogWatch log;
    auto* levels = new OptParam_RGBColor;
    levels->m_nRed = 300;  // refused by the library: logged, the other channels still change
    levels->m_nGreen = -5;
    levels->m_nBlue = 20;
    auto rgb = MakeOperation(OPTGUID_RGBCOLOR, source, levels);
    EXPECT_TRUE(Operator_RGBColor::Process(*rgb));
    const unsigned char* p = Pixel(DataOf(*rgb), 3, 2);
    EXPECT_EQ(p[2], 7);
    EXPECT_EQ(p[1], 0);
    EXPECT_EQ(p[0], 23);
    EXPECT_TRUE(log.Contains("Operator_RGBColor::Process: Failed to adjust color level of 'Red' channel."));
    EXPECT_FALSE(log.Contains("'Green' channel"));

    // White balance: the reference colour becomes the grey of its mean.
    auto* balance = new OptParam_WhiteBalance;
    balance->m_crReference = RGB(200, 100, 150);
    auto white = MakeOperation(OPTGUID_WHITEBALANCE, Flat(4, 3, 200, 100, 150), balance);
    ASSERT_TRUE(Operator_WhiteBalance::Process(*white));
    p = Pixel(DataOf(*white), 1, 1);
    EXPECT_TRUE(p[0] == 150 && p[1] == 150 && p[2] == 150) << int(p[2]) << "," << int(p[1]) << "," << int(p[0]);

    // Inverse hue: red turns cyan, and the operator has no parameter text.
    log.Mark();
    auto inverse = MakeOperation(OPTGUID_INVERSEHUE, Flat(4, 3, 255, 0, 0), nullptr);
    ASSERT_TRUE(Operator_InverseHue::Process(*inverse));
    p = Pixel(DataOf(*inverse), 2, 2);
    EXPECT_TRUE(p[2] == 0 && p[1] == 255 && p[0] == 255) << int(p[2]) << "," << int(p[1]) << "," << int(p[0]);
    EXPECT_TRUE(log.Contains("Operator_InverseHue::Process: ParamInfo: Not Need."));
}

TEST(RedeyeOperator, DarkensTheRedPupilInsideTheRectangleOnly)
{
    // Two red pupils on grey skin; the rectangle holds the left one.
    ImageData source = Flat(40, 20, 170, 140, 120);
    for (int y = 7; y <= 13; ++y)
        for (int x = 0; x < 40; ++x)
            if ((x - 10) * (x - 10) + (y - 10) * (y - 10) <= 9 || (x - 30) * (x - 30) + (y - 10) * (y - 10) <= 9)
                Paint(source, x, y, 210, 30, 40);
    auto* param = new OptParam_RedeyeReduction;
    param->m_rcRect = RECT{4, 4, 17, 17};
    param->m_nDarkenAmount = 50;
    LogWatch log;
    auto operation = MakeOperation(OPTGUID_REDEYEREDUCTION, source, param);
    ASSERT_TRUE(Operator_RedeyeReduction::Process(*operation));
    const ImageData& result = DataOf(*operation);
    EXPECT_LT(Pixel(result, 10, 10)[2], 60);  // no longer red
    EXPECT_EQ(std::memcmp(Pixel(result, 30, 10), Pixel(source, 30, 10), 3), 0);
    EXPECT_EQ(std::memcmp(Pixel(result, 2, 2), Pixel(source, 2, 2), 3), 0);
    EXPECT_FALSE(log.Contains("Operator_RedeyeReduction::Process: ParamInfo"));
}

TEST(OperatorDispatch, RunsTheOperatorOfTheKindAndRefusesUnknownKinds)
{
    const ImageData source = MakeImage(5, 5);
    auto flip = MakeOperation(OPTGUID_FLIP, source, new OptParam_Flip);
    EXPECT_TRUE(RunOperator(*flip));
    EXPECT_NE(DataOf(*flip).m_Pixels, source.m_Pixels);
    auto open = MakeOperation(OPTGUID_OPEN, source, nullptr);
    EXPECT_FALSE(RunOperator(*open));
    auto unset = MakeOperation(OPTGUID_NULL, source, nullptr);
    EXPECT_FALSE(RunOperator(*unset));
}
