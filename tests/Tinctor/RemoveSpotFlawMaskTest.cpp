// The spot remover's flaw finder on made-up departures from the whole-disk
// repair: what it takes as flaw, what it keeps, and when it gives up and
// takes the whole disk.

#include <cmath>
#include <functional>
#include <vector>

#include <gtest/gtest.h>

#include "Tinctor/RemoveSpotFlawMask.h"

namespace {

/// A disk of the given radius on its grid (one cell of border), a flat
/// whole-disk repair, and an original that departs from it as `departure`
/// says at each cell (x, y relative to the centre), in all three channels.
struct Case {
    std::vector<std::uint8_t> disk;
    std::vector<float> original;
    std::vector<float> repaired;
    ImageProcess::SpotGrid grid;

    Case(int radius, const std::function<float(double, double)>& departure)
    {
        const int side = 2 * radius + 3;
        grid.width = grid.height = side;
        grid.centreX = grid.centreY = radius + 1;
        grid.radius = radius + 0.5;
        disk.assign(static_cast<std::size_t>(side) * side, 0);
        original.assign(disk.size() * 3, 100.0f);
        repaired.assign(disk.size() * 3, 100.0f);
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x) {
                const double dx = x - grid.centreX, dy = y - grid.centreY;
                const std::size_t i = static_cast<std::size_t>(y) * side + x;
                if (std::hypot(dx, dy) < grid.radius + 0.5) disk[i] = 1;
                for (int c = 0; c < 3; ++c) original[i * 3 + c] += departure(dx, dy);
            }
        grid.disk = &disk;
    }

    std::vector<std::uint8_t> Find(float typicalDeparture) const
    {
        ImageProcess::RemoveSpotFlawMask finder;
        return finder.Find(grid, original, repaired, typicalDeparture);
    }

    bool Flawed(const std::vector<std::uint8_t>& mask, double dx, double dy) const
    {
        const int x = static_cast<int>(std::lround(grid.centreX + dx));
        const int y = static_cast<int>(std::lround(grid.centreY + dy));
        return mask[static_cast<std::size_t>(y) * grid.width + x] != 0;
    }

    double Share(const std::vector<std::uint8_t>& mask) const
    {
        double flawed = 0.0, cells = 0.0;
        for (std::size_t i = 0; i < disk.size(); ++i) {
            cells += disk[i];
            flawed += disk[i] && mask[i];
        }
        return flawed / cells;
    }
};

/// A dark line, three cells wide, across the disk at height `dy`.
std::function<float(double, double)> Hair(double dy, float contrast)
{
    return [=](double, double y) { return std::fabs(y - dy) <= 1.0 ? -contrast : 0.0f; };
}

} // namespace

TEST(RemoveSpotFlawMaskTest, HairAcrossALargeDiskIsRepairedAloneWithItsMargin)
{
    const Case c(40, Hair(0.0, 80.0f));
    const std::vector<std::uint8_t> mask = c.Find(2.0f);
    EXPECT_TRUE(c.Flawed(mask, -30, 0));
    EXPECT_TRUE(c.Flawed(mask, 30, 5));     // within the margin of 2 + 4 cells
    EXPECT_FALSE(c.Flawed(mask, 30, 10));
    EXPECT_FALSE(c.Flawed(mask, 0, -25));
    EXPECT_LT(c.Share(mask), 0.3);
    for (std::size_t i = 0; i < mask.size(); ++i) ASSERT_TRUE(!mask[i] || c.disk[i]) << "outside the disk at " << i;
}

TEST(RemoveSpotFlawMaskTest, TheClickedCentreIsAlwaysFlaw)
{
    // The hair runs well below the centre; the centre (a fifth of the radius
    // around it) is repaired all the same, the rest above the hair is kept.
    const Case c(40, Hair(25.0, 80.0f));
    const std::vector<std::uint8_t> mask = c.Find(2.0f);
    EXPECT_TRUE(c.Flawed(mask, 0, 0));
    EXPECT_TRUE(c.Flawed(mask, 7, 0));
    EXPECT_TRUE(c.Flawed(mask, 0, -7));
    EXPECT_FALSE(c.Flawed(mask, 10, -10));
    EXPECT_FALSE(c.Flawed(mask, 0, -20));
}

TEST(RemoveSpotFlawMaskTest, WhatARingOfDustEnclosesIsFlaw)
{
    // A ring of dust away from the centre, its inside departing no more than
    // intact pixels do (a faint halo): the inside goes with the ring, the
    // pixels around the ring beyond the margin stay.
    const Case c(45, [](double x, double y) {
        const double d = std::hypot(x - 20.0, y);
        return std::fabs(d - 14.0) <= 1.5 ? -90.0f : d < 14.0 ? 3.0f : 0.0f;
    });
    const std::vector<std::uint8_t> mask = c.Find(2.0f);
    for (double r = 0.0; r <= 12.0; r += 1.0)
        for (double a = 0.0; a < 6.3; a += 0.4) {
            ASSERT_TRUE(c.Flawed(mask, 20.0 + r * std::cos(a), r * std::sin(a))) << r << " " << a;
        }
    EXPECT_FALSE(c.Flawed(mask, -20.0, -20.0));
    EXPECT_FALSE(c.Flawed(mask, 20.0, -30.0));
}

TEST(RemoveSpotFlawMaskTest, WholeDiskWhenNothingStandsOutOrTheFlawFillsIt)
{
    const Case quiet(30, [](double x, double y) { return static_cast<float>(std::sin(x) * std::cos(y)); });
    EXPECT_EQ(quiet.Find(2.0f), quiet.disk);
    const Case big(30, [](double x, double y) { return std::hypot(x, y) < 27.0 ? -60.0f : 0.0f; });
    EXPECT_EQ(big.Find(2.0f), big.disk);
}

TEST(RemoveSpotFlawMaskTest, WholeDiskWhenThePredictionIsTooPoorToSeeFaintParts)
{
    // The same hair that is repaired alone under a good prediction: when intact
    // pixels typically depart by 40 grey levels, a faint part that shows would
    // pass for intact, so the whole disk is repaired.
    const Case c(40, Hair(0.0, 150.0f));
    EXPECT_LT(c.Share(c.Find(20.0f)), 0.3);
    EXPECT_EQ(c.Find(40.0f), c.disk);
}
