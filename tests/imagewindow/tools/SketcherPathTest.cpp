// The stroke engine's path between two positions: the worked examples, and
// for random pairs anywhere in the largest images a walk that stays on the
// line, takes single 4-connected steps and always ends at its target.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <random>

#include <gtest/gtest.h>

#include "imagewindow/tools/Sketcher.h"

using ImageWindow::EmbeddedTool::Sketcher;

namespace {

Sketcher::PointList Path(CPoint from, CPoint to)
{
    Sketcher::PointList out{CPoint(99, 99)};  // emptied first
    Sketcher::CalcLinePoints(from, to, out);
    return out;
}

Sketcher::PointList List(std::initializer_list<std::pair<int, int>> points)
{
    Sketcher::PointList out;
    for (const auto& [x, y] : points) out.emplace_back(x, y);
    return out;
}

// Checks one walk; returns a description of the first fault, or "".
std::string Fault(CPoint from, CPoint to, const Sketcher::PointList& path)
{
    if (path.empty() || !(path.front() == from)) return "does not begin at from";
    if (!(path.back() == to)) return "does not end at to";
    const long long steps = std::llabs(to.x - from.x) + std::llabs(to.y - from.y);
    if (static_cast<long long>(path.size()) > 2 * steps + 3) return "too long";
    const double dx = to.x - from.x, dy = to.y - from.y, length = std::hypot(dx, dy);
    for (std::size_t i = 0; i < path.size(); ++i) {
        const CPoint& p = path[i];
        if (i > 0 && std::abs(p.x - path[i - 1].x) + std::abs(p.y - path[i - 1].y) > 1) return "not 4-connected";
        // Within the bounding box, and within 1.5 pixels of the line.
        if ((p.x - from.x) * (p.x - to.x) > 0 || (p.y - from.y) * (p.y - to.y) > 0) return "steps past an end";
        if (length > 0 && std::fabs(dy * (p.x - from.x) - dx * (p.y - from.y)) / length > 1.5) return "leaves the line";
    }
    return "";
}

} // namespace

TEST(SketcherPath, TheWorkedExamples)
{
    EXPECT_EQ(Path({0, 0}, {3, 1}), List({{0, 0}, {0, 0}, {1, 0}, {1, 1}, {2, 1}, {2, 1}, {3, 1}, {3, 1}}));
    EXPECT_EQ(Path({0, 0}, {2, 2}), List({{0, 0}, {0, 0}, {1, 0}, {1, 1}, {2, 1}, {2, 2}}));
    EXPECT_EQ(Path({0, 0}, {1, 3}), List({{0, 0}, {0, 1}, {1, 1}, {1, 2}, {1, 3}, {1, 3}}));
    EXPECT_EQ(Path({2, 5}, {2, 2}), List({{2, 5}, {2, 4}, {2, 3}, {2, 2}}));
    EXPECT_EQ(Path({7, -3}, {7, -3}), List({{7, -3}}));
    EXPECT_EQ(Path({4, 1}, {1, 1}), List({{4, 1}, {3, 1}, {2, 1}, {1, 1}}));
}

TEST(SketcherPath, EveryWalkInsideTheLargestImagesEndsAtItsTarget)
{
    std::mt19937 random(2024);
    std::uniform_int_distribution<int> anywhere(0, 65535), near(-40, 40);
    Sketcher::PointList path;
    for (int round = 0; round < 6000; ++round) {
        // Long walks across the whole range, short ones anywhere in it, and
        // steep and flat ones whose single-precision slope is least exact.
        CPoint from(anywhere(random), anywhere(random)), to;
        if (round % 3 == 0 && round < 600) to = CPoint(anywhere(random), anywhere(random));
        else if (round % 3 == 1) to = CPoint(std::clamp(from.x + near(random), 0, 65535), anywhere(random));
        else to = CPoint(std::clamp(from.x + near(random), 0, 65535), std::clamp(from.y + near(random), 0, 65535));
        if (round % 2) std::swap(to.x, to.y), std::swap(from.x, from.y);
        Sketcher::CalcLinePoints(from, to, path);
        const std::string fault = Fault(from, to, path);
        ASSERT_EQ(fault, "") << "(" << from.x << "," << from.y << ") -> (" << to.x << "," << to.y << ")";
    }
}
