#include "Tinctor/Feathering.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>

#include <opencv2/imgproc.hpp>

#include "Tinctor/ScratchPool.h"

namespace ImageProcess {

namespace {

// Largest radius served by the band search; its distances fit a byte.
constexpr int kBandRadiusLimit = 64;

// Picture columns [left, right) and rows [top, bottom) that can hold the
// nearest unselected pixel of a pixel in the view: the view widened by the
// reach, clipped to the picture.
struct Window {
    int left;
    int top;
    int right;
    int bottom;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

Window Widen(const RegionView& view, int width, int height, long long reach)
{
    return {static_cast<int>(std::max(0LL, view.left - reach)), static_cast<int>(std::max(0LL, view.top - reach)),
            static_cast<int>(std::min<long long>(width, view.right + reach)),
            static_cast<int>(std::min<long long>(height, view.bottom + reach))};
}

unsigned char Scaled(unsigned char value, double distance, double reach)
{
    return static_cast<unsigned char>(std::max(1L, std::lround(value * distance / reach)));
}

// The whole window through OpenCV's exact distance transform.
void FeatherByDistanceTransform(std::vector<unsigned char>& mask, int width, const Window& w, const RegionView& view,
                                long long reach)
{
    const cv::Mat whole(static_cast<int>(mask.size() / width), width, CV_8UC1, mask.data());
    const cv::Rect window(w.left, w.top, w.Width(), w.Height());
    cv::Mat selected;
    cv::compare(whole(window), 0, selected, cv::CMP_GT);
    cv::Mat distance;
    cv::distanceTransform(selected, distance, cv::DIST_L2, cv::DIST_MASK_PRECISE, CV_32F);
    const double ramp = static_cast<double>(reach);
    for (int y = view.top; y < view.bottom; ++y) {
        unsigned char* m = mask.data() + static_cast<std::size_t>(y) * width;
        const float* d = distance.ptr<float>(y - w.top);
        for (int x = view.left; x < view.right; ++x)
            if (m[x] != 0 && d[x - w.left] < ramp) m[x] = Scaled(m[x], d[x - w.left], ramp);
    }
}

// ---- the band search ---------------------------------------------------------------

// g: for every window pixel, the distance in rows to the nearest unselected
// pixel of its column, capped at `reach` (rows outside the window count as
// selected: they are too far from the view to matter, or outside the picture).
void ColumnDistances(const unsigned char* mask, int width, const Window& w, int reach, unsigned char* g)
{
    const std::size_t ww = static_cast<std::size_t>(w.Width());
    const auto cap = static_cast<unsigned char>(reach);
    for (int y = w.top; y < w.bottom; ++y) {
        const unsigned char* m = mask + static_cast<std::size_t>(y) * width + w.left;
        unsigned char* row = g + (y - w.top) * ww;
        if (y == w.top) {
            for (std::size_t x = 0; x < ww; ++x) row[x] = m[x] ? cap : 0;
            continue;
        }
        const unsigned char* above = row - ww;
        for (std::size_t x = 0; x < ww; ++x) {
            const unsigned char next = static_cast<unsigned char>(std::min<int>(above[x] + 1, cap));
            row[x] = m[x] ? next : 0;
        }
    }
    for (int y = w.bottom - 2; y >= w.top; --y) {
        unsigned char* row = g + (y - w.top) * ww;
        const unsigned char* below = row + ww;
        for (std::size_t x = 0; x < ww; ++x) row[x] = std::min<unsigned char>(row[x], static_cast<unsigned char>(below[x] + 1));
    }
}

// First index in [from, to) whose byte is below `limit` (≤ 128), else `to`;
// eight bytes at a time through the long stretches where none is.
int FindBelow(const unsigned char* p, int from, int to, unsigned limit)
{
    constexpr std::uint64_t ones = 0x0101010101010101ULL, highs = 0x8080808080808080ULL;
    int x = from;
    for (; x + 8 <= to; x += 8) {
        std::uint64_t word;
        std::memcpy(&word, p + x, 8);
        if ((word - ones * limit) & ~word & highs) break;
    }
    while (x < to && p[x] >= limit) ++x;
    return x;
}

// First index in [from, to) whose byte is not zero, else `to`.
int FindSelected(const unsigned char* p, int from, int to)
{
    int x = from;
    for (; x + 8 <= to; x += 8) {
        std::uint64_t word;
        std::memcpy(&word, p + x, 8);
        if (word != 0) break;
    }
    while (x < to && p[x] == 0) ++x;
    return x;
}

int FindUnselected(const unsigned char* p, int from, int to)
{
    const void* zero = std::memchr(p + from, 0, static_cast<std::size_t>(to - from));
    return zero ? static_cast<int>(static_cast<const unsigned char*>(zero) - p) : to;
}

// One row of the band search. `m` and `g` are the row's mask bytes and
// column distances from the window's left edge; the selected run [a, b) of
// the row has unselected neighbours at a − 1 when a > 0 and at b when b < ww.
class RowFeather {
public:
    RowFeather(unsigned char* m, const unsigned char* g, int ww, int reach, int viewLeft, int viewRight)
        : m_m(m), m_g(g), m_ww(ww), m_reach(reach), m_viewLeft(viewLeft), m_viewRight(viewRight)
    {
    }

    void Run()
    {
        for (int a = FindSelected(m_m, 0, m_ww); a < m_ww; a = FindSelected(m_m, a, m_ww)) {
            const int b = FindUnselected(m_m, a, m_ww);
            FeatherRun(a, b);
            a = b;
        }
    }

private:
    // The run's pixels near its ends or near a column whose unselected pixel
    // lies within reach above or below.
    void FeatherRun(int a, int b)
    {
        int from = a, to = a;  // the pending stretch of candidates
        if (a > 0) to = std::min(b, a - 1 + m_reach);
        for (int s = FindBelow(m_g, a, b, m_reach); s < b; s = FindBelow(m_g, s + 1, b, m_reach)) {
            const int lo = std::max(a, s - m_reach + 1), hi = std::min(b, s + m_reach);
            if (lo > to) {
                Feather(from, to, a, b);
                from = lo;
            }
            to = std::max(to, hi);
        }
        if (b < m_ww) {
            const int lo = std::max(a, b - m_reach + 1);
            if (lo > to) {
                Feather(from, to, a, b);
                from = lo;
            }
            to = b;
        }
        Feather(from, to, a, b);
    }

    void Feather(int from, int to, int a, int b)
    {
        const long long reach2 = static_cast<long long>(m_reach) * m_reach;
        for (int x = std::max(from, m_viewLeft); x < std::min(to, m_viewRight); ++x) {
            long long best = static_cast<long long>(m_g[x]) * m_g[x];
            if (a > 0) best = std::min<long long>(best, static_cast<long long>(x - a + 1) * (x - a + 1));
            if (b < m_ww) best = std::min<long long>(best, static_cast<long long>(b - x) * (b - x));
            for (long long k = 1; k * k < best; ++k) {
                if (x - k >= a) best = std::min(best, k * k + static_cast<long long>(m_g[x - k]) * m_g[x - k]);
                if (x + k < b) best = std::min(best, k * k + static_cast<long long>(m_g[x + k]) * m_g[x + k]);
            }
            if (best < reach2) m_m[x] = Scaled(m_m[x], std::sqrt(static_cast<double>(best)), m_reach);
        }
    }

    unsigned char* m_m;
    const unsigned char* m_g;
    int m_ww;
    int m_reach;
    int m_viewLeft;
    int m_viewRight;
};

void FeatherByBand(std::vector<unsigned char>& mask, int width, const Window& w, const RegionView& view, int reach)
{
    const std::size_t ww = static_cast<std::size_t>(w.Width());
    std::vector<unsigned char> g = ScratchPool::Take(ww * static_cast<std::size_t>(w.Height()));
    ColumnDistances(mask.data(), width, w, reach, g.data());
    for (int y = view.top; y < view.bottom; ++y) {
        unsigned char* row = mask.data() + static_cast<std::size_t>(y) * width + w.left;
        RowFeather(row, g.data() + (y - w.top) * ww, w.Width(), reach, view.left - w.left, view.right - w.left).Run();
    }
    ScratchPool::Give(std::move(g));
}

} // namespace

void FeatherMask(std::vector<unsigned char>& mask, int width, int height, const RegionView& view, int radius)
{
    const long long reach = static_cast<long long>(radius) + 1;
    const Window window = Widen(view, width, height, reach);
    if (window.Width() <= 0 || window.Height() <= 0) return;
    if (radius <= kBandRadiusLimit)
        FeatherByBand(mask, width, window, view, static_cast<int>(reach));
    else
        FeatherByDistanceTransform(mask, width, window, view, reach);
}

} // namespace ImageProcess
