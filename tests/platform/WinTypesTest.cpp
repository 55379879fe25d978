// Byte layouts of the Windows structures: records built from them are stored
// and exchanged byte for byte, so every size and offset is fixed.
#include <gtest/gtest.h>

#include <cstddef>

#include "platform/WinTypes.h"

TEST(WinTypes, IntegerWidths)
{
    EXPECT_EQ(sizeof(BYTE), 1u);
    EXPECT_EQ(sizeof(WORD), 2u);
    EXPECT_EQ(sizeof(DWORD), 4u);
    EXPECT_EQ(sizeof(LONG), 4u);
    EXPECT_EQ(sizeof(UINT), 4u);
    EXPECT_EQ(sizeof(BOOL), 4u);
    EXPECT_EQ(sizeof(LONGLONG), 8u);
    EXPECT_EQ(sizeof(COLORREF), 4u);
    EXPECT_EQ(sizeof(WPARAM), sizeof(void*));
    EXPECT_EQ(sizeof(LPARAM), sizeof(void*));
    EXPECT_LT(LONG(-1), 0);
    EXPECT_GT(DWORD(-1), 0u);
}

TEST(WinTypes, GeometryLayouts)
{
    EXPECT_EQ(sizeof(RECT), 16u);
    EXPECT_EQ(offsetof(RECT, left), 0u);
    EXPECT_EQ(offsetof(RECT, top), 4u);
    EXPECT_EQ(offsetof(RECT, right), 8u);
    EXPECT_EQ(offsetof(RECT, bottom), 12u);
    EXPECT_EQ(sizeof(POINT), 8u);
    EXPECT_EQ(offsetof(POINT, x), 0u);
    EXPECT_EQ(offsetof(POINT, y), 4u);
    EXPECT_EQ(sizeof(SIZE), 8u);
    EXPECT_EQ(offsetof(SIZE, cx), 0u);
    EXPECT_EQ(offsetof(SIZE, cy), 4u);
}

TEST(WinTypes, BitmapLayouts)
{
    EXPECT_EQ(sizeof(RGBQUAD), 4u);
    EXPECT_EQ(offsetof(RGBQUAD, rgbBlue), 0u);
    EXPECT_EQ(offsetof(RGBQUAD, rgbGreen), 1u);
    EXPECT_EQ(offsetof(RGBQUAD, rgbRed), 2u);
    EXPECT_EQ(offsetof(RGBQUAD, rgbReserved), 3u);

    EXPECT_EQ(sizeof(BITMAPINFOHEADER), 40u);
    EXPECT_EQ(offsetof(BITMAPINFOHEADER, biSize), 0u);
    EXPECT_EQ(offsetof(BITMAPINFOHEADER, biWidth), 4u);
    EXPECT_EQ(offsetof(BITMAPINFOHEADER, biHeight), 8u);
    EXPECT_EQ(offsetof(BITMAPINFOHEADER, biPlanes), 12u);
    EXPECT_EQ(offsetof(BITMAPINFOHEADER, biBitCount), 14u);
    EXPECT_EQ(offsetof(BITMAPINFOHEADER, biCompression), 16u);
    EXPECT_EQ(offsetof(BITMAPINFOHEADER, biSizeImage), 20u);
    EXPECT_EQ(offsetof(BITMAPINFOHEADER, biXPelsPerMeter), 24u);
    EXPECT_EQ(offsetof(BITMAPINFOHEADER, biYPelsPerMeter), 28u);
    EXPECT_EQ(offsetof(BITMAPINFOHEADER, biClrUsed), 32u);
    EXPECT_EQ(offsetof(BITMAPINFOHEADER, biClrImportant), 36u);

    EXPECT_EQ(sizeof(BITMAPINFO), 44u);
    EXPECT_EQ(offsetof(BITMAPINFO, bmiHeader), 0u);
    EXPECT_EQ(offsetof(BITMAPINFO, bmiColors), 40u);
}

TEST(WinTypes, GuidLayout)
{
    EXPECT_EQ(sizeof(GUID), 16u);
    EXPECT_EQ(offsetof(GUID, Data1), 0u);
    EXPECT_EQ(offsetof(GUID, Data2), 4u);
    EXPECT_EQ(offsetof(GUID, Data3), 6u);
    EXPECT_EQ(offsetof(GUID, Data4), 8u);
}

TEST(WinTypes, ColorAndWordHelpers)
{
    constexpr COLORREF c = RGB(0x12, 0x34, 0x56);
    EXPECT_EQ(c, 0x00563412u);
    EXPECT_EQ(GetRValue(c), 0x12);
    EXPECT_EQ(GetGValue(c), 0x34);
    EXPECT_EQ(GetBValue(c), 0x56);
    EXPECT_EQ(LOWORD(0xABCD1234u), 0x1234);
    EXPECT_EQ(HIWORD(0xABCD1234u), 0xABCD);
    EXPECT_EQ(MAKELONG(0x1234, 0xABCD), 0xABCD1234u);
}

TEST(WinTypes, DibStridePadsRowsToFourBytes)
{
    EXPECT_EQ(DibStride(1, 24), 4u);
    EXPECT_EQ(DibStride(3, 24), 12u);
    EXPECT_EQ(DibStride(5, 24), 16u); // 15 bytes padded
    EXPECT_EQ(DibStride(7, 32), 28u);
    EXPECT_EQ(DibStride(9, 1), 4u);
    EXPECT_EQ(DibStride(0, 24), 0u);
    EXPECT_EQ(DibStride(-4, 24), 0u);
    EXPECT_EQ(DibStride(100000, 32), 400000u);
}
