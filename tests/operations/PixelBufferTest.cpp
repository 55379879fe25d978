// The spare buffer that is faulted in ahead of a large snapshot: taken by
// the next copy of a fitting size, left alone by others, and safe to ask
// for while it is still being made.
#include <numeric>
#include <thread>

#include <gtest/gtest.h>

#include "operations/PixelBuffer.h"

namespace {

constexpr std::size_t kSnapshot = 3 * PixelBuffer::kHugePageThreshold;

std::vector<unsigned char> Picture(std::size_t size)
{
    std::vector<unsigned char> picture(size);
    std::iota(picture.begin(), picture.end(), static_cast<unsigned char>(7));
    return picture;
}

class SpareBuffer : public ::testing::Test {
protected:
    void TearDown() override { PixelBuffer::ReleaseSpare(); }
};

} // namespace

TEST_F(SpareBuffer, TheNextCopyOfAFittingSizeTakesItOthersLeaveIt)
{
    PixelBuffer::PrepareSpare(kSnapshot);
    PixelBuffer::PrepareSpare(kSnapshot);  // one is being made already
    EXPECT_GE(PixelBuffer::SpareCapacity(), kSnapshot);

    const std::vector<unsigned char> small = Picture(PixelBuffer::kHugePageThreshold / 2);
    const std::vector<unsigned char> third = Picture(kSnapshot / 3);
    std::vector<unsigned char> a, b, c;
    PixelBuffer::AssignCopy(a, small.data(), small.size());  // below the large sizes
    PixelBuffer::AssignCopy(b, third.data(), third.size());  // a third of the spare: not for it
    EXPECT_GE(PixelBuffer::SpareCapacity(), kSnapshot);

    const std::vector<unsigned char> snapshot = Picture(kSnapshot);
    PixelBuffer::AssignCopy(c, snapshot.data(), snapshot.size());
    EXPECT_EQ(c, snapshot);
    EXPECT_EQ(PixelBuffer::SpareCapacity(), 0u);
    EXPECT_EQ(a, small);
    EXPECT_EQ(b, third);

    PixelBuffer::PrepareSpare(PixelBuffer::kHugePageThreshold - 1);  // too small to be worth it
    EXPECT_EQ(PixelBuffer::SpareCapacity(), 0u);
    PixelBuffer::PrepareSpare(kSnapshot);
    PixelBuffer::ReleaseSpare();  // gives the memory back
    EXPECT_EQ(PixelBuffer::SpareCapacity(), 0u);
}

TEST_F(SpareBuffer, ACopyWhileTheSpareIsBeingMadeFromAnotherThreadGetsItWhole)
{
    const std::vector<unsigned char> snapshot = Picture(kSnapshot);
    std::vector<unsigned char> copy;
    std::thread ui([&] {
        PixelBuffer::PrepareSpare(kSnapshot);
        PixelBuffer::AssignCopy(copy, snapshot.data(), snapshot.size());
    });
    PixelBuffer::PrepareSpare(kSnapshot);
    ui.join();
    EXPECT_EQ(copy, snapshot);
    PixelBuffer::ReleaseSpare();
    EXPECT_EQ(PixelBuffer::SpareCapacity(), 0u);
}
