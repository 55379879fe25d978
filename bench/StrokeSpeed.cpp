// Speed of ImageProcess::HealStroke on a 6000 x 4000 photo: a curved hair
// 400 px long and 4 px wide, healed along a stroke of spot size 9 (the hair's
// width plus the room a hand needs), next to OpenCV's TELEA inpainting of the
// same area and a row of RemoveSpot disks along the same path.
//
// The photo is the grainy 24-megapixel picture of the spot benchmarks
// (GrainyPhoto.h), held once as a 24-bit and once as a 32-bit bottom-up
// buffer, as the program holds images, with a dark hair painted across its
// middle. Each iteration heals the stroke; the stroke's area is then put back
// with timing paused, so only the library call is timed on memory already in
// use (the library keeps its working memory between calls, as it does in
// the program after its first repair).
//
// Baselines, in the same run: cv::inpaint (INPAINT_TELEA, radius 3) on the
// 24-bit photo's region of interest (the stroke's bounding box grown by 8
// pixels: TELEA reads no farther than its radius beyond the mask), with the
// stroke's area as its mask; and RemoveSpot disks of the stroke's size half
// a disk apart along the path (the clicks a user would otherwise make).
//
// Usage: bench_StrokeSpeed [Google Benchmark flags]

#include <cmath>
#include <cstring>
#include <vector>

#include <benchmark/benchmark.h>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#include <opencv2/photo.hpp>

#include "GrainyPhoto.h"
#include "Tinctor/ImageProcess.h"

namespace {

constexpr int Width = 6000;
constexpr int Height = 4000;
constexpr double HairLength = 400.0;
constexpr int HairWidth = 4;
constexpr int StrokeSize = 9;   // odd, as the operator passes it
constexpr int RoiMargin = 8;

/// The hair's centreline: a gentle arc through the photo's middle, one point
/// every pixel; the stroke's path takes every eighth.
std::vector<cv::Point> HairLine()
{
    std::vector<cv::Point> line;
    for (double s = 0.0; s <= HairLength; s += 1.0) {
        const double angle = 0.6 + s / 600.0;
        line.emplace_back(static_cast<int>(std::lround(2800 + s * std::cos(angle))),
                          static_cast<int>(std::lround(1850 + s * std::sin(angle))));
    }
    return line;
}

std::vector<POINT> StrokePath()
{
    std::vector<POINT> path;
    const std::vector<cv::Point> line = HairLine();
    for (std::size_t i = 0; i < line.size(); i += 8) path.push_back(POINT{line[i].x, line[i].y});
    path.push_back(POINT{line.back().x, line.back().y});
    return path;
}

/// The area HealStroke may change: pixels closer to the path than size / 2 + 0.5.
cv::Mat StrokeMask(cv::Size size)
{
    cv::Mat mask(size, CV_8U, cv::Scalar(0));
    std::vector<cv::Point> points;
    for (const POINT& p : StrokePath()) points.emplace_back(p.x, p.y);
    cv::polylines(mask, points, false, cv::Scalar(255), StrokeSize + 1, cv::LINE_8);
    return mask;
}

cv::Rect StrokeBox()
{
    std::vector<cv::Point> points;
    for (const POINT& p : StrokePath()) points.emplace_back(p.x, p.y);
    const int reach = StrokeSize / 2 + 2 + RoiMargin;
    return cv::boundingRect(points) + cv::Size(2 * reach, 2 * reach) - cv::Point(reach, reach);
}

const cv::Mat& HairyPhoto()
{
    static const cv::Mat photo = [] {
        cv::Mat image = GrainyPhoto::Make(Width, Height);
        const std::vector<cv::Point> line = HairLine();
        cv::polylines(image, line, false, cv::Scalar(25, 22, 20), HairWidth, cv::LINE_AA);
        return image;
    }();
    return photo;
}

GrainyPhoto::ProgramImage& PhotoOfDepth(int bits)
{
    static GrainyPhoto::ProgramImage photos[2] = {GrainyPhoto::ToProgramImage(HairyPhoto(), 24),
                                                   GrainyPhoto::ToProgramImage(HairyPhoto(), 32)};
    return photos[bits == 32 ? 1 : 0];
}

/// The rows of the stroke's box, to put back after each repair.
struct SavedBox {
    SavedBox(GrainyPhoto::ProgramImage& image, const cv::Rect& box) : m_image(image), m_box(box)
    {
        const BITMAPINFOHEADER& h = image.header.bmiHeader;
        m_stride = DibStride(h.biWidth, h.biBitCount);
        m_rowBytes = static_cast<std::size_t>(box.width) * (h.biBitCount / 8);
        m_saved.resize(m_rowBytes * box.height);
        for (int y = 0; y < box.height; ++y) std::memcpy(&m_saved[y * m_rowBytes], Row(y), m_rowBytes);
    }
    void Restore()
    {
        for (int y = 0; y < m_box.height; ++y) std::memcpy(Row(y), &m_saved[y * m_rowBytes], m_rowBytes);
    }

private:
    unsigned char* Row(int y)
    {
        const BITMAPINFOHEADER& h = m_image.header.bmiHeader;
        return m_image.pixels.data() + (h.biHeight - 1 - (m_box.y + y)) * m_stride +
               static_cast<std::size_t>(m_box.x) * (h.biBitCount / 8);
    }
    GrainyPhoto::ProgramImage& m_image;
    cv::Rect m_box;
    std::size_t m_stride{0};
    std::size_t m_rowBytes{0};
    std::vector<unsigned char> m_saved;
};

void BM_HealStroke(benchmark::State& state)
{
    const int bits = static_cast<int>(state.range(0));
    GrainyPhoto::ProgramImage& photo = PhotoOfDepth(bits);
    const std::vector<POINT> path = StrokePath();
    SavedBox saved(photo, StrokeBox());
    for (auto _ : state) {
        if (!ImageProcess::HealStroke(photo.pixels, photo.header, StrokeSize, path, 0.8f, nullptr))
            state.SkipWithError("HealStroke failed");
        state.PauseTiming();
        saved.Restore();
        state.ResumeTiming();
    }
    state.SetLabel(std::to_string(bits) + " bits, 400 px x 4 px hair, size 9");
}

void BM_RowOfDisks(benchmark::State& state)
{
    GrainyPhoto::ProgramImage& photo = PhotoOfDepth(24);
    const std::vector<cv::Point> line = HairLine();
    SavedBox saved(photo, StrokeBox());
    const int half = StrokeSize / 2;
    for (auto _ : state) {
        for (std::size_t i = 0; i < line.size(); i += half)
            ImageProcess::RemoveSpot(photo.pixels, photo.header, StrokeSize, POINT{line[i].x - half, line[i].y - half},
                                     0.8f, nullptr);
        state.PauseTiming();
        saved.Restore();
        state.ResumeTiming();
    }
    state.SetLabel("24 bits, disks of size 9, 4 px apart");
}

void BM_Telea(benchmark::State& state)
{
    const cv::Rect roi = StrokeBox();
    const cv::Mat source = HairyPhoto()(roi);
    const cv::Mat mask = StrokeMask(HairyPhoto().size())(roi).clone();
    cv::Mat repaired(roi.size(), CV_8UC3);
    for (auto _ : state) {
        cv::inpaint(source, mask, repaired, 3, cv::INPAINT_TELEA);
        benchmark::DoNotOptimize(repaired.data);
    }
    state.SetLabel("24 bits, ROI = stroke's box + 8 px");
}

} // namespace

BENCHMARK(BM_HealStroke)->Arg(24)->Arg(32)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RowOfDisks)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Telea)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
