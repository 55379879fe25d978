// Pen masks, feathered selections and block transfers: the primitives the
// brushes and the region selector are built on.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>
#include <type_traits>
#include <vector>

#include <opencv2/imgproc.hpp>

#include "Tinctor/CallGuard.h"
#include "Tinctor/Feathering.h"
#include "Tinctor/ImageBuffer.h"
#include "Tinctor/ImageProcess.h"
#include "Tinctor/RegionView.h"

namespace ImageProcess {

namespace {

// ------------------------------------------------------------------- pens

// Weight at distance `t` from the centre in radii: full inside `hardness`,
// a smooth step down to 0 at the rim, 0 outside.
std::int32_t PenWeight(double t, double hardness)
{
    if (t >= 1.0) return 0;
    if (t <= hardness) return MASK_WEIGHT_FULL;
    const double u = (t - hardness) / (1.0 - hardness);
    const double w = 1.0 - u * u * (3.0 - 2.0 * u);
    return static_cast<std::int32_t>(std::lround(w * MASK_WEIGHT_FULL));
}

void DescribeMask(BITMAPINFO& header, int width, int height)
{
    header = BITMAPINFO{};
    DescribeImage(header, width, height, 32);
    header.bmiHeader.biSizeImage = static_cast<DWORD>(width) * static_cast<DWORD>(height);
}

// ------------------------------------------------------------------ blits

// A block-transfer operand: elements of one type, `channels` per pixel,
// bottom-up rows `stride` elements apart.
template <typename T>
struct Plane {
    T* data{nullptr};
    int width{0};
    int height{0};
    std::size_t stride{0};
    int channels{1};

    T* RowFromTop(int top) const { return data + static_cast<std::size_t>(height - 1 - top) * stride; }
};

// Element type of a vector, const when the vector is.
template <typename Vector>
using ElementOf = std::remove_reference_t<decltype(std::declval<Vector&>()[0])>;

// The brushes hand over headers copied from a larger image with only width
// and height changed, so biSizeImage is not consulted here: the size follows
// from width, height and depth, and the vector must hold it.
template <typename Vector>
std::optional<Plane<ElementOf<Vector>>> PixelPlane(Vector& pixels, const BITMAPINFO& header)
{
    BITMAPINFO sized = header;
    sized.bmiHeader.biSizeImage = 0;
    const auto img = MakeConstImageBuffer(pixels, sized);
    if (!img) return std::nullopt;
    return Plane<ElementOf<Vector>>{pixels.data(), img->width, img->height, img->stride, img->bytesPerPixel};
}

template <typename Vector>
std::optional<Plane<ElementOf<Vector>>> MaskPlane(Vector& mask, const BITMAPINFO& header)
{
    const BITMAPINFOHEADER& h = header.bmiHeader;
    if (h.biWidth <= 0 || h.biHeight <= 0 || h.biBitCount != 32 || h.biCompression != BI_RGB) return std::nullopt;
    const auto count = static_cast<std::uint64_t>(h.biWidth) * static_cast<std::uint64_t>(h.biHeight);
    if (mask.size() < count) return std::nullopt;
    return Plane<ElementOf<Vector>>{mask.data(), h.biWidth, h.biHeight, static_cast<std::size_t>(h.biWidth), 1};
}

// The part [begin, end) of a block axis of `length` starting at `dst` and
// `src` that lies inside both images.
struct Span {
    long long begin;
    long long end;
};

Span Overlap(long long dst, long long src, long long length, long long dstSize, long long srcSize)
{
    const long long begin = std::max({0LL, -dst, -src});
    const long long end = std::min({length, dstSize - dst, srcSize - src});
    return {begin, std::max(begin, end)};
}

std::int32_t ClampWeight(std::int32_t w)
{
    return std::clamp<std::int32_t>(w, 0, MASK_WEIGHT_FULL);
}

std::int32_t MixElement(std::int32_t d, std::int32_t s, std::int32_t w)
{
    const long long mixed = static_cast<long long>(d) * (255 - w) + static_cast<long long>(s) * w;
    return static_cast<std::int32_t>(std::llround(static_cast<double>(mixed) / 255.0));
}

unsigned char MixElement(unsigned char d, unsigned char s, std::int32_t w)
{
    return BlendByWeight(d, s, static_cast<unsigned int>(w));
}

struct BlitArgs {
    POINT dstPos;
    POINT srcPos;
    int width;
    int height;
    emBitBltFlag mode;
    const std::int32_t* weights;
    bool clipToImage;
};

// Moves one row of `n` pixels; `weightRow` is null or the source row's weights.
template <typename T>
void BlitRow(T* d, const T* s, const std::int32_t* weightRow, int n, int channels, emBitBltFlag mode)
{
    if (weightRow == nullptr && mode == BITBLT_COPY) {
        std::copy(s, s + static_cast<std::size_t>(n) * channels, d);
        return;
    }
    for (int x = 0; x < n; ++x) {
        const std::int32_t w = weightRow == nullptr ? MASK_WEIGHT_FULL : ClampWeight(weightRow[x]);
        for (int k = 0; k < channels; ++k) {
            T& out = d[x * channels + k];
            const T in = s[x * channels + k];
            if constexpr (std::is_same_v<T, std::int32_t>) {
                if (mode == BITBLT_MERGE_MASK) {
                    const T scaled = w == MASK_WEIGHT_FULL ? in : MixElement(T{0}, in, w);
                    out = std::max(out, scaled);
                    continue;
                }
            }
            if (w == MASK_WEIGHT_FULL)
                out = in;
            else if (w != 0)
                out = MixElement(out, in, w);
        }
    }
}

// When source and destination share their buffer the block may overlap
// itself; the source rows are then read from a copy taken first.
template <typename T>
std::vector<T> SourceCopyIfShared(const Plane<T>& dst, const Plane<const T>& src, const Span& xs, const Span& ys,
                                  const POINT& srcPos)
{
    std::vector<T> copy;
    if (static_cast<const void*>(dst.data) != static_cast<const void*>(src.data)) return copy;
    const auto rowElements = static_cast<std::size_t>(xs.end - xs.begin) * src.channels;
    copy.resize(rowElements * static_cast<std::size_t>(ys.end - ys.begin));
    for (long long j = ys.begin; j < ys.end; ++j) {
        const T* s = src.RowFromTop(static_cast<int>(srcPos.y + j)) +
                     static_cast<std::size_t>(srcPos.x + xs.begin) * src.channels;
        std::copy(s, s + rowElements, copy.data() + static_cast<std::size_t>(j - ys.begin) * rowElements);
    }
    return copy;
}

template <typename T>
bool Blit(const Plane<T>& dst, const Plane<const T>& src, const BlitArgs& a, std::size_t weightCount)
{
    if (a.width < 0 || a.height < 0 || dst.channels != src.channels) return false;
    const auto srcPixels = static_cast<std::size_t>(src.width) * static_cast<std::size_t>(src.height);
    if (a.weights != nullptr && weightCount < srcPixels) return false;
    const Span xs = Overlap(a.dstPos.x, a.srcPos.x, a.width, dst.width, src.width);
    const Span ys = Overlap(a.dstPos.y, a.srcPos.y, a.height, dst.height, src.height);
    const bool whole = xs.begin == 0 && xs.end == a.width && ys.begin == 0 && ys.end == a.height;
    if (!whole && !a.clipToImage) return false;
    const std::vector<T> copy = SourceCopyIfShared(dst, src, xs, ys, a.srcPos);
    const int n = static_cast<int>(xs.end - xs.begin);
    const int srcLeft = static_cast<int>(a.srcPos.x + xs.begin);
    const int dstLeft = static_cast<int>(a.dstPos.x + xs.begin);
    for (long long j = ys.begin; j < ys.end; ++j) {
        const int srcTop = static_cast<int>(a.srcPos.y + j);
        T* d = dst.RowFromTop(static_cast<int>(a.dstPos.y + j)) + static_cast<std::size_t>(dstLeft) * dst.channels;
        const T* s = copy.empty() ? src.RowFromTop(srcTop) + static_cast<std::size_t>(srcLeft) * src.channels
                                  : copy.data() + static_cast<std::size_t>(j - ys.begin) * n * src.channels;
        const std::int32_t* w = a.weights == nullptr
                                    ? nullptr
                                    : a.weights + static_cast<std::size_t>(src.height - 1 - srcTop) * src.width + srcLeft;
        BlitRow(d, s, w, n, dst.channels, a.mode);
    }
    return true;
}

// Validated operands in, result out; progress at the start and the end.
template <typename T>
bool RunBlit(const std::optional<Plane<T>>& dst, const std::optional<Plane<const T>>& src, const BlitArgs& args,
             std::size_t weightCount, PROGRESS_CALLBACK progress)
{
    if (!dst || !src) return false;
    ReportProgress(progress, 0, 1);
    const bool ok = Guarded([&] { return Blit(*dst, *src, args, weightCount); });
    ReportProgress(progress, 1, 1);
    return ok;
}

} // namespace

bool CreateMask(std::vector<std::int32_t>& mask, BITMAPINFO& header, emMaskType type, int size, float hardness)
{
    if (type != MASK_TYPE_ROUND || size < 1 || size > 4096 || !(hardness >= 0.0f && hardness <= 1.0f)) return false;
    return Guarded([&] {
        std::vector<std::int32_t> weights(static_cast<std::size_t>(size) * size);
        const double centre = (size - 1) / 2.0;
        const double radius = size / 2.0;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x)
                weights[static_cast<std::size_t>(y) * size + x] =
                    PenWeight(std::hypot(x - centre, y - centre) / radius, hardness);
        mask.swap(weights);
        DescribeMask(header, size, size);
        return true;
    });
}

bool FeatheringRegion(std::vector<unsigned char>& mask, const RECT& box, int radius, int width, int height,
                      PROGRESS_CALLBACK progress, bool clipToImage)
{
    if (width <= 0 || height <= 0 || radius < 0) return false;
    if (mask.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) return false;
    const auto view = ClipRect(width, height, box, clipToImage);
    if (!view) return false;
    if (radius == 0 || view->Empty()) return true;
    return Guarded([&] {
        ReportProgress(progress, 0, 1);
        FeatherMask(mask, width, height, *view, radius);
        ReportProgress(progress, 1, 1);
        return true;
    });
}

bool BitBlt(bool maskBlock, std::vector<unsigned char>& dstPixels, const BITMAPINFO& dstHeader, POINT dstPos,
            const std::vector<unsigned char>& srcPixels, const BITMAPINFO& srcHeader, POINT srcPos, int width,
            int height, emBitBltFlag mode, const std::int32_t* weights, std::size_t weightCount,
            PROGRESS_CALLBACK progress, bool clipToImage)
{
    if (maskBlock || mode != BITBLT_COPY) return false;
    const BlitArgs args{dstPos, srcPos, width, height, mode, weights, clipToImage};
    return RunBlit(PixelPlane(dstPixels, dstHeader), PixelPlane(srcPixels, srcHeader), args, weightCount, progress);
}

bool BitBlt(bool maskBlock, std::vector<std::int32_t>& dstMask, const BITMAPINFO& dstHeader, POINT dstPos,
            const std::vector<std::int32_t>& srcMask, const BITMAPINFO& srcHeader, POINT srcPos, int width,
            int height, emBitBltFlag mode, const std::int32_t* weights, std::size_t weightCount,
            PROGRESS_CALLBACK progress, bool clipToImage)
{
    if (!maskBlock || (mode != BITBLT_COPY && mode != BITBLT_MERGE_MASK)) return false;
    const BlitArgs args{dstPos, srcPos, width, height, mode, weights, clipToImage};
    return RunBlit(MaskPlane(dstMask, dstHeader), MaskPlane(srcMask, srcHeader), args, weightCount, progress);
}

} // namespace ImageProcess
