// The healing stroke's path: simplified within a pixel of what the engine
// walked, keeping ends and turns.
#include <gtest/gtest.h>

#include "imagewindow/tools/SpotStroke.h"

using ImageWindow::EmbeddedTool::Sketcher;
using ImageWindow::EmbeddedTool::SpotStroke;

namespace {

Sketcher::PointList Walk(std::initializer_list<CPoint> corners)
{
    Sketcher::PointList walked, part;
    for (auto it = corners.begin(); it + 1 != corners.end(); ++it) {
        Sketcher::CalcLinePoints(*it, *(it + 1), part);
        walked.insert(walked.end(), part.begin(), part.end());
    }
    return walked;
}

} // namespace

TEST(SpotStrokePath, SimplifiesStaircasesAndKeepsEndsTurnsAndTurningBack)
{
    // A slanted line walked in single-pixel steps is one segment.
    EXPECT_EQ(SpotStroke::Simplify(Walk({{0, 0}, {40, 13}}), 1.0), (std::vector<POINT>{{0, 0}, {40, 13}}));
    // A corner stays; so does the far end of a path that turns back.
    EXPECT_EQ(SpotStroke::Simplify(Walk({{0, 0}, {30, 0}, {30, 20}}), 1.0),
              (std::vector<POINT>{{0, 0}, {30, 0}, {30, 20}}));
    EXPECT_EQ(SpotStroke::Simplify(Walk({{5, 5}, {25, 5}, {5, 5}}), 1.0),
              (std::vector<POINT>{{5, 5}, {25, 5}, {5, 5}}));
    // Repeats collapse; one point stays one point.
    EXPECT_EQ(SpotStroke::Simplify({{3, 4}, {3, 4}, {3, 4}}, 1.0), (std::vector<POINT>{{3, 4}}));
    EXPECT_TRUE(SpotStroke::Simplify({}, 1.0).empty());
}
