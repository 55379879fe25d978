#pragma once
// Small images for the Tinctor tests: built pixel by pixel in picture terms
// (row 0 at the top), stored as the library stores them (bottom-up rows
// padded to 4 bytes, padding zero).

#include <cstdint>
#include <random>
#include <vector>

#include "Tinctor/ImageProcess.h"

namespace TinctorTest {

struct Bgra {
    unsigned char b{0}, g{0}, r{0}, a{255};
    bool operator==(const Bgra&) const = default;
};

struct TestImage {
    std::vector<unsigned char> pixels;
    BITMAPINFO header{};

    TestImage() = default;
    TestImage(int width, int height, int bits)
    {
        BITMAPINFOHEADER& h = header.bmiHeader;
        h.biSize = sizeof(BITMAPINFO);
        h.biWidth = width;
        h.biHeight = height;
        h.biPlanes = 1;
        h.biBitCount = static_cast<WORD>(bits);
        h.biCompression = BI_RGB;
        h.biSizeImage = static_cast<DWORD>(Stride() * height);
        pixels.assign(h.biSizeImage, 0);
    }

    int Width() const { return header.bmiHeader.biWidth; }
    int Height() const { return header.bmiHeader.biHeight; }
    int Bpp() const { return header.bmiHeader.biBitCount / 8; }
    std::size_t Stride() const { return DibStride(Width(), header.bmiHeader.biBitCount); }

    /// Address of picture pixel (x, top), row 0 at the top.
    unsigned char* At(int x, int top) { return pixels.data() + (Height() - 1 - top) * Stride() + x * Bpp(); }
    const unsigned char* At(int x, int top) const
    {
        return pixels.data() + (Height() - 1 - top) * Stride() + x * Bpp();
    }

    Bgra Get(int x, int top) const
    {
        const unsigned char* p = At(x, top);
        return {p[0], p[1], p[2], Bpp() == 4 ? p[3] : static_cast<unsigned char>(255)};
    }
    void Set(int x, int top, Bgra c)
    {
        unsigned char* p = At(x, top);
        p[0] = c.b;
        p[1] = c.g;
        p[2] = c.r;
        if (Bpp() == 4) p[3] = c.a;
    }
    void Fill(Bgra c)
    {
        for (int y = 0; y < Height(); ++y)
            for (int x = 0; x < Width(); ++x) Set(x, y, c);
    }
};

/// An image of random pixels (fourth byte random too), padding zero.
inline TestImage RandomImage(int width, int height, int bits, unsigned seed)
{
    TestImage img(width, height, bits);
    std::mt19937 rng(seed);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            img.Set(x, y, {static_cast<unsigned char>(rng()), static_cast<unsigned char>(rng()),
                           static_cast<unsigned char>(rng()), static_cast<unsigned char>(rng())});
    return img;
}

/// A distinct colour per position, so misplaced pixels show.
inline Bgra Tag(int x, int y)
{
    return {static_cast<unsigned char>(10 + x), static_cast<unsigned char>(100 + y),
            static_cast<unsigned char>(x * 7 + y * 13), static_cast<unsigned char>(200 + x + y)};
}

/// The region covering the whole image.
inline ImageProcess::PROCESS_REGION Whole()
{
    return {};
}

} // namespace TinctorTest
