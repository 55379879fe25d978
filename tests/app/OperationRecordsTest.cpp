// The operation records: their byte-exact serialised forms, the version and
// size rules of Unserialize, copying, and the parameter texts.
#include <cstring>

#include <gtest/gtest.h>

#include "AppTestSupport.h"
#include "Wordhoard/LocalizeHelper.h"
#include "operations/ImageData.h"
#include "operations/OptGuids.h"
#include "operations/OptParam_Flip.h"
#include "operations/OptParam_HealingStroke.h"
#include "operations/OptParam_Open.h"
#include "operations/OptParam_RedeyeReduction.h"
#include "operations/OptParam_Rotate.h"
#include "operations/OptParam_SpotRemoval.h"
#include "platform/Guid.h"
#include "platform/WideFormat.h"

using AppTest::LogWatch;
using Bytes = std::vector<unsigned char>;

namespace {

std::wstring Item(const wchar_t* key) { return LocalizeHelper::GetDictionaryItem("Dictionary", key); }

Bytes Le32(std::initializer_list<std::uint32_t> values)
{
    Bytes out;
    for (std::uint32_t v : values)
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<unsigned char>(v >> (8 * i)));
    return out;
}

} // namespace

TEST(OperationKinds, EveryKindHasItsFixedIdentifier)
{
    const std::pair<const OperationManage::OPTGUID*, const wchar_t*> kinds[] = {
        {&OPTGUID_OPEN, L"{944A6B3A-411E-4C27-BEBD-F06E5FC5C78F}"},
        {&OPTGUID_ROTATE, L"{C6BA3B5C-A8D3-43F8-A27A-96952C88F077}"},
        {&OPTGUID_FLIP, L"{2C11F9F4-9434-4588-B1A6-1BA3AC0EED4A}"},
        {&OPTGUID_CLONESTAMP, L"{1CA0F6A9-584D-4F2D-8C7C-F9091ED5C5BF}"},
        {&OPTGUID_DODGEBURN, L"{0B7BBD92-834E-4A35-B770-2B657F6C4E70}"},
        {&OPTGUID_SPOTREMOVAL, L"{A318B5CE-B77A-47E3-BBD3-5FA665081725}"},
        {&OPTGUID_REDEYEREDUCTION, L"{4822FCD5-0AC6-4D58-95A7-6EA4CF98F59D}"},
        {&OPTGUID_HEALINGSTROKE, L"{FBDA2273-120A-4E96-B3D5-08BE6956A264}"},
        {&OPTGUID_CUT, L"{A5C0FE36-508F-4500-9BCE-2294EC5A5449}"},
        {&OPTGUID_RESIZE, L"{3E434099-A03F-4363-AF35-423A73B691F3}"},
        {&OPTGUID_CROP, L"{1666C60C-065C-4C1A-8352-3851318397E6}"},
        {&OPTGUID_BRIGHTNESSCONTRAST, L"{59DEC61E-BD7A-4C17-A9EC-C9621C9182BA}"},
        {&OPTGUID_RGBCOLOR, L"{EC0E2A62-8407-49CA-A25A-98BF8245946E}"},
        {&OPTGUID_HSV, L"{28EAEFA6-FC92-4037-A9A1-FC5E83143C8A}"},
        {&OPTGUID_HISTOGRAM, L"{03F27FD8-35C6-4D6B-B025-494DB1814BFD}"},
        {&OPTGUID_CURVE, L"{7E31B9D3-2642-4B00-B00C-6DFCB9A9B1B2}"},
        {&OPTGUID_WHITEBALANCE, L"{F8C4C9EA-D272-4FFB-8D7E-17E2384C469D}"},
        {&OPTGUID_NEGATIVE, L"{618B149F-E4E2-4F17-A034-55DFAF366D31}"},
        {&OPTGUID_INVERSEHUE, L"{EFDEF79E-4770-4E3D-94A4-33090A596D46}"},
        {&OPTGUID_DECOLOR, L"{91F8188D-D534-4DBE-AD2D-54381BB19B89}"},
        {&OPTGUID_GAUSSBLUR, L"{15117859-69AA-4321-86E4-A902CF78910B}"},
        {&OPTGUID_SIMPLESHARPEN, L"{CC174DED-F40B-43FA-8BD5-EA48A0E9158E}"},
        {&OPTGUID_USMSHARPEN, L"{EE22AF8E-2513-4DFE-B300-BF307A3B7E50}"},
        {&OPTGUID_NOIMAGE, L"{3EB99C5F-8122-4F72-976A-F1A2B2CB6CEB}"},
    };
    for (const auto& [kind, text] : kinds) EXPECT_EQ(GuidToString(*kind), text);
}

TEST(OptParamRotate, SerialisesTwentyLittleEndianBytesAndReadsThemBack)
{
    OptParam_Rotate rotate;
    rotate.m_nMode = OptParam_Rotate::ROTATE_90;
    rotate.m_bClockwise = false;
    rotate.m_fAngle = 90.0f;
    rotate.m_crFillColor = RGB(1, 2, 3);
    Bytes out;
    rotate.Serialize(out);
    const Bytes expected = Le32({1, 1, 0, 0x42B40000u /* 90.0f */, 0x00030201u});
    EXPECT_EQ(out, expected);

    OptParam_Rotate back;
    ASSERT_TRUE(back.Unserialize(out));
    EXPECT_EQ(back.m_nMode, 1);
    EXPECT_FALSE(back.m_bClockwise);
    EXPECT_FLOAT_EQ(back.m_fAngle, 90.0f);
    EXPECT_EQ(back.m_crFillColor, RGB(1, 2, 3));
    EXPECT_EQ(back.m_nVersion, 1);
    std::wstring name;
    back.GetClassName(name);
    EXPECT_EQ(name, L"OptParam_Rotate");
}

TEST(OptParamRotate, ReadsOnlyTheFirstByteOfTheMode)
{
    OptParam_Rotate rotate;
    ASSERT_TRUE(rotate.Unserialize(Le32({1, 0x101, 1, 0, 0})));
    EXPECT_EQ(rotate.m_nMode, 1);
}

TEST(OptParamFlip, SerialisesVersionThenAxisAndReadsTheAxisBack)
{
    OptParam_Flip flip;
    flip.m_bVertical = true;
    Bytes out;
    flip.Serialize(out);
    EXPECT_EQ(out, Le32({1, 1}));
    OptParam_Flip back;
    ASSERT_TRUE(back.Unserialize(Le32({1, 1})));
    EXPECT_TRUE(back.m_bVertical);
    ASSERT_TRUE(back.Unserialize(Le32({1, 0})));
    EXPECT_FALSE(back.m_bVertical) << "the axis is read from the second field, not the version";
}

TEST(OptParamRecords, AcceptAndIgnoreOtherVersionsButRefuseWrongSizes)
{
    OptParam_Flip flip;
    flip.m_bVertical = true;
    LogWatch log;
    EXPECT_TRUE(flip.Unserialize(Le32({2, 0})));  // 8 bytes, version 2: accepted, unchanged
    EXPECT_TRUE(flip.m_bVertical);
    EXPECT_FALSE(flip.Unserialize(Le32({1, 0, 0})));  // 12 bytes, version 1
    EXPECT_TRUE(flip.m_bVertical);
    EXPECT_EQ(log.Count("OptParam_Flip::Unserialize: Invalid parameter data size for version 1."), 1);

    OptParam_SpotRemoval spot;
    EXPECT_FALSE(spot.Unserialize(Bytes{1, 0}));  // shorter than a version
    EXPECT_TRUE(log.Contains("OptParam_SpotRemoval::Unserialize: Invalid parameter data size or version."));
    EXPECT_FALSE(spot.Unserialize(Le32({1, 15, 3})));
    EXPECT_TRUE(log.Contains("OptParam_SpotRemoval::Unserialize: Invalid parameter data size for version 1."));
    EXPECT_EQ(spot.m_nSpotSize, 15);
    EXPECT_EQ(spot.m_nX, -1);
}

TEST(OptParamRecords, SpotAndRedeyeRoundTrips)
{
    OptParam_SpotRemoval spot;
    spot.m_nSpotSize = 21;
    spot.m_nX = -4;
    spot.m_nY = 700;
    Bytes out;
    spot.Serialize(out);
    EXPECT_EQ(out, Le32({1, 21, static_cast<std::uint32_t>(-4), 700}));
    OptParam_SpotRemoval spotBack;
    ASSERT_TRUE(spotBack.Unserialize(out));
    EXPECT_EQ(spotBack.m_nSpotSize, 21);
    EXPECT_EQ(spotBack.m_nX, -4);
    EXPECT_EQ(spotBack.m_nY, 700);

    OptParam_RedeyeReduction redeye;
    redeye.m_rcRect = {1, 2, 3, 4};
    redeye.m_nDarkenAmount = 65;
    redeye.Serialize(out);
    EXPECT_EQ(out, Le32({1, 65}));
    OptParam_RedeyeReduction redeyeBack;
    redeyeBack.m_rcRect = {9, 9, 99, 99};
    ASSERT_TRUE(redeyeBack.Unserialize(out));
    EXPECT_EQ(redeyeBack.m_nDarkenAmount, 65);
    EXPECT_EQ(redeyeBack.m_rcRect, (RECT{9, 9, 99, 99}));  // not part of the record
}

TEST(OptParamHealingStroke, SerialisesSizeCountAndPointsAndRefusesMismatchedCounts)
{
    OptParam_HealingStroke stroke;
    stroke.m_nSpotSize = 9;
    stroke.m_Path = {{-3, 7}, {120, 80}};
    Bytes out;
    stroke.Serialize(out);
    EXPECT_EQ(out, Le32({1, 9, 2, static_cast<std::uint32_t>(-3), 7, 120, 80}));
    OptParam_HealingStroke back;
    ASSERT_TRUE(back.Unserialize(out));
    EXPECT_EQ(back.m_nSpotSize, 9);
    ASSERT_EQ(back.m_Path.size(), 2u);
    EXPECT_EQ(back.m_Path[1], (POINT{120, 80}));

    LogWatch log;
    const Bytes refused[] = {Le32({1, 9, 3, 1, 2, 3, 4}),        // three points stated, two stored
                             Le32({1, 9, 0}),                    // no point
                             Le32({1, 9, 0x7FFFFFFF, 1, 2}),     // an absurd count
                             Le32({1, 9, static_cast<std::uint32_t>(-1), 1, 2}),
                             Le32({1, 9})};                      // no count
    for (const Bytes& in : refused) EXPECT_FALSE(back.Unserialize(in));
    EXPECT_EQ(log.Count("OptParam_HealingStroke::Unserialize: Invalid parameter data size for version 1."), 5);
    EXPECT_EQ(back.m_Path.size(), 2u);
    EXPECT_TRUE(back.Unserialize(Le32({2, 5})));  // another version: accepted, unchanged
    EXPECT_EQ(back.m_nSpotSize, 9);

    std::wstring text;
    back.GetParamInfo(text);
    EXPECT_EQ(text, Item(L"IDS_VELMIRA_OPTPARAM_HEALINGSTROKE_SIZE") + L": 9 px\r\n" +
                        Item(L"IDS_VELMIRA_OPTPARAM_HEALINGSTROKE_PATH") + L": 2 " +
                        Item(L"IDS_VELMIRA_OPTPARAM_HEALINGSTROKE_POINTS") + L", (-3, 7) ... (120, 80)");
    OptParam_HealingStroke copy;
    ASSERT_TRUE(copy.CopyFrom(&back));
    EXPECT_EQ(copy.m_Path.size(), 2u);
}

TEST(OptParamHealingStroke, ReachesTheImageWhenAPixelCentreLiesWithinTheStrokesEdge)
{
    // Size 9: pixel centres closer than 5 to the path belong to the area.
    auto reaches = [](std::vector<POINT> path, std::int32_t size = 9) {
        OptParam_HealingStroke stroke;
        stroke.m_nSpotSize = size;
        stroke.m_Path = std::move(path);
        return stroke.ReachesImage(100, 50);
    };
    EXPECT_TRUE(reaches({{-4, 10}}));
    EXPECT_FALSE(reaches({{-5, 10}}));
    EXPECT_TRUE(reaches({{-5, 10}}, 10));  // an even size heals as the next odd one
    EXPECT_FALSE(reaches({{-5, -5}, {-5, 80}}));
    EXPECT_TRUE(reaches({{-50, 20}, {200, 20}}));  // crosses the picture without a point inside it
    EXPECT_FALSE(reaches({{-4, -4}}));             // beside the corner: 5.7 away
    EXPECT_TRUE(reaches({{-3, -3}}));
    EXPECT_FALSE(reaches({{2000000000, 5}, {2000000000, -2000000000}}));
    EXPECT_FALSE(reaches({}));
    EXPECT_FALSE(reaches({{10, 10}}, 0));
}

TEST(OptParamRecords, OpenHasNoSerialisedForm)
{
    OptParam_Open open(L"/photos/a.jpg");
    Bytes out{7, 7};
    open.Serialize(out);
    EXPECT_EQ(out, (Bytes{7, 7}));
    EXPECT_FALSE(open.Unserialize(Le32({1})));
    EXPECT_EQ(open.m_strFilePath, L"/photos/a.jpg");
}

TEST(OptParamRecords, CopyFromTakesOnlyRecordsOfTheSameClass)
{
    OptParam_SpotRemoval source;
    source.m_nSpotSize = 31;
    OptParam_SpotRemoval target;
    EXPECT_FALSE(target.CopyFrom(nullptr));
    OptParam_Flip other;
    EXPECT_FALSE(target.CopyFrom(&other));
    ASSERT_TRUE(target.CopyFrom(&source));
    EXPECT_EQ(target.m_nSpotSize, 31);
    std::wstring name;
    target.GetClassName(name);
    EXPECT_EQ(name, L"OptParam_SpotRemoval");
}

TEST(OptParamTexts, ReadAsTheHistoryShowsThem)
{
    std::wstring text;
    OptParam_Rotate().GetParamInfo(text);
    EXPECT_EQ(text, Item(L"IDS_VELMIRA_OPTPARAM_ROTATE_MODE") + L": " + Item(L"IDS_VELMIRA_OPTPARAM_ROTATE_MODE_FREE") +
                        L"\r\n" + Item(L"IDS_VELMIRA_OPTPARAM_ROTATE_ANGLE") + L": 0.0\r\n" +
                        Item(L"IDS_VELMIRA_OPTPARAM_ROTATE_CLOCKWISE") + L": " + Item(L"IDS_VELMIRA_OPTPARAM_YES") +
                        L"\r\n" + Item(L"IDS_VELMIRA_OPTPARAM_ROTATE_FILLCOLOR") + L": RGB(0,0,0)");
    EXPECT_FALSE(Item(L"IDS_VELMIRA_OPTPARAM_ROTATE_MODE_FREE").empty());

    OptParam_Rotate odd;
    odd.m_nMode = 7;
    odd.m_bClockwise = false;
    odd.m_fAngle = 12.25f;
    odd.m_crFillColor = RGB(10, 20, 30);
    odd.GetParamInfo(text);
    EXPECT_EQ(text, Item(L"IDS_VELMIRA_OPTPARAM_ROTATE_MODE") + L": \r\n" + Item(L"IDS_VELMIRA_OPTPARAM_ROTATE_ANGLE") +
                        L": 12.2\r\n" + Item(L"IDS_VELMIRA_OPTPARAM_ROTATE_CLOCKWISE") + L": " +
                        Item(L"IDS_VELMIRA_OPTPARAM_NO") + L"\r\n" + Item(L"IDS_VELMIRA_OPTPARAM_ROTATE_FILLCOLOR") +
                        L": RGB(10,20,30)");

    OptParam_Flip flip;
    flip.m_bVertical = true;
    flip.GetParamInfo(text);
    EXPECT_EQ(text, Item(L"IDS_VELMIRA_OPTPARAM_FLIP_MODE") + L": " + Item(L"IDS_VELMIRA_OPTPARAM_VERTICAL"));

    OptParam_SpotRemoval spot;
    spot.m_nX = 3;
    spot.m_nY = 4;
    spot.GetParamInfo(text);
    EXPECT_EQ(text, Item(L"IDS_VELMIRA_OPTPARAM_SPOTREMOVAL_SIZE") + L": 15 px\r\n" +
                        Item(L"IDS_VELMIRA_OPTPARAM_SPOTREMOVAL_POSITION") + L": (3, 4)");

    OptParam_RedeyeReduction redeye;
    redeye.GetParamInfo(text);
    EXPECT_EQ(text, Item(L"IDS_VELMIRA_OPTPARAM_REDEYEREDUCTION_DARKENAMOUNT") + L": 1%\r\n");

    OptParam_Open(L"C:/x.png").GetParamInfo(text);
    EXPECT_EQ(text, Item(L"IDS_VELMIRA_OPTPARAM_OPEN_FILEPATH") + L": C:/x.png");
}

TEST(ImageDataRecord, SerialisesClassNameHeaderAndPixels)
{
    ImageData data = AppTest::MakeImage(3, 2);  // stride 12, 24 bytes
    Bytes out;
    data.Serialize(out);
    ASSERT_EQ(out.size(), 64u + 24u);
    const char16_t name[] = u"ImageData";
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(out[2 * i], static_cast<unsigned char>(name[i] & 0xFF));
        EXPECT_EQ(out[2 * i + 1], 0);
    }
    EXPECT_EQ(std::memcmp(out.data() + 20, &data.m_Header, 44), 0);
    EXPECT_EQ(std::memcmp(out.data() + 64, data.m_Pixels.data(), 24), 0);

    ImageData back;
    back.m_Mask = {1, 2, 3};
    ASSERT_TRUE(back.Unserialize(out));
    EXPECT_EQ(back.m_Pixels, data.m_Pixels);
    EXPECT_EQ(std::memcmp(&back.m_Header, &data.m_Header, 44), 0);
    EXPECT_EQ(back.m_Mask, (Bytes{1, 2, 3}));  // not part of the record
}

TEST(ImageDataRecord, RefusesOtherClassesAndWrongSizes)
{
    ImageData data = AppTest::MakeImage(3, 2);
    Bytes out;
    data.Serialize(out);
    ImageData target;
    LogWatch log;

    Bytes headOnly(out.begin(), out.begin() + 64);  // a snapshot without pixels
    headOnly[40] = headOnly[41] = headOnly[42] = headOnly[43] = 0;
    EXPECT_FALSE(target.Unserialize(headOnly));
    EXPECT_EQ(log.Count("ImageData::Unserialize: Invalid data size."), 1);

    Bytes shortened(out.begin(), out.end() - 1);
    EXPECT_FALSE(target.Unserialize(shortened));
    EXPECT_EQ(log.Count("ImageData::Unserialize: Invalid data size."), 2);
    EXPECT_EQ(log.Count("The input data doesn't match class ImageData."), 2);

    Bytes renamed = out;
    renamed[0] = 'J';
    EXPECT_FALSE(target.Unserialize(renamed));
    EXPECT_FALSE(target.Unserialize(Bytes{}));
    EXPECT_EQ(log.Count("The input data doesn't match class ImageData."), 4);
    EXPECT_FALSE(target.HasPixels());
}

TEST(ImageDataRecord, CopiesAreIndependentAndKeepTheSelection)
{
    ImageData data = AppTest::MakeImage(4, 4);
    data.m_pRegion = std::make_unique<CRgn>();
    data.m_pRegion->CreateRectRgn(1, 1, 3, 3);
    data.m_Mask = {9};
    ImageData copy(data);
    ASSERT_TRUE(copy.m_pRegion);
    EXPECT_TRUE(copy.m_pRegion->EqualRgn(*data.m_pRegion));
    EXPECT_NE(copy.m_pRegion.get(), data.m_pRegion.get());
    EXPECT_EQ(copy.m_Mask, data.m_Mask);
    copy.m_Pixels[0] ^= 0xFF;
    EXPECT_NE(copy.m_Pixels[0], data.m_Pixels[0]);
    copy.ClearSelection();
    EXPECT_FALSE(copy.m_pRegion);
    EXPECT_TRUE(copy.m_Mask.empty());
}
