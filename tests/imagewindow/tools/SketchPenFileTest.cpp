// Pen files: whole and damaged files in a folder, the log lines, and records
// whose sizes or counts would ask for absurd amounts of memory.
#include <fstream>

#include <gtest/gtest.h>

#include "imagewindow/tools/SketchPenFile.h"
#include "support/LogWatch.h"
#include "support/TempFolder.h"

using ImageWindow::GetSketchPens;
using ImageWindow::LoadSketchPens;
using ImageWindow::EmbeddedTool::SketchPenFile;

namespace {

void Put(std::vector<std::uint8_t>& bytes, std::uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<std::uint8_t>(value >> shift));
}

// "SKPN", the count, then records of style, size, hot spot and size² weights
// (weight i of a record is i + 1).
std::vector<std::uint8_t> PenFile(std::uint32_t count, std::initializer_list<int> sizes)
{
    std::vector<std::uint8_t> bytes{'S', 'K', 'P', 'N'};
    Put(bytes, count);
    for (int size : sizes) {
        for (int field : {0, size, size / 2, size / 2}) Put(bytes, static_cast<std::uint32_t>(field));
        for (int i = 0; i < size * size; ++i) Put(bytes, static_cast<std::uint32_t>(i + 1));
    }
    return bytes;
}

void Write(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

} // namespace

TEST(SketchPenFile, LoadsWholeRecordsAndStopsAtTheFirstShortOne)
{
    CorvaneTest::TempFolder folder;
    std::vector<std::uint8_t> damaged = PenFile(2, {3, 4});
    damaged.erase(damaged.end() - 30, damaged.end());  // half of the second record's weights
    Write(folder.File("b_damaged.sp"), damaged);
    Write(folder.File("a_two.SP"), PenFile(2, {2, 5}));
    Write(folder.File("c_other.spx"), PenFile(1, {2}));  // not a pen file
    std::filesystem::create_directory(folder.File("d_folder.sp"));
    Write(folder.File("e_wrong.sp"), {'P', 'N', 'G', ' ', 1, 0, 0, 0});
    Write(folder.File("f_empty.sp"), {});
    CorvaneTest::LogWatch log;
    ASSERT_EQ(LoadSketchPens(folder.Path().wstring().c_str()), 1);
    const auto& pens = GetSketchPens();
    ASSERT_EQ(pens.size(), 3u);
    EXPECT_EQ(pens[0].iSize, 2);
    EXPECT_EQ(pens[1].iSize, 5);
    EXPECT_EQ(pens[1].ptHotSpot.x, 2);
    EXPECT_EQ(pens[1].vWeights.back(), 25);
    EXPECT_EQ(pens[2].iSize, 3);  // the damaged file keeps the pen before the damage
    EXPECT_EQ(pens[2].iHardness, 100);
    EXPECT_EQ(pens[2].iOpacity, 100);
    EXPECT_TRUE(log.Contains("File 'a_two.SP' contains 2 pens, 2 pens are loaded."));
    EXPECT_TRUE(log.Contains("File 'b_damaged.sp' contains 2 pens, 1 pens are loaded."));
    EXPECT_TRUE(log.Contains("WARNING ImageWindow ImageWindow::LoadSketchPens: File 'e_wrong.sp' is not a valid SketchPen file."));
    EXPECT_TRUE(log.Contains("File 'f_empty.sp' is not a valid SketchPen file."));
    EXPECT_FALSE(log.Contains("c_other"));

    // A file instead of a folder changes nothing; another folder replaces all.
    EXPECT_EQ(LoadSketchPens(folder.Wide("a_two.SP").c_str()), 0);
    EXPECT_EQ(LoadSketchPens(nullptr), 0);
    EXPECT_EQ(log.Count("ImageWindow::LoadSketchPens: Invalid Parameter."), 2);
    EXPECT_EQ(GetSketchPens().size(), 3u);
    ASSERT_EQ(LoadSketchPens(folder.Wide("d_folder.sp").c_str()), 1);
    EXPECT_TRUE(GetSketchPens().empty());
}

TEST(SketchPenFile, HostileSizesAndCountsAskForNoMemory)
{
    // A count of 4 billion with one real record, a record claiming
    // 2^31 - 1 pixels a side, one with a negative and one with a zero size:
    // each reading stops at once, keeping what came before.
    std::vector<std::uint8_t> bytes = PenFile(0xFFFFFFFFu, {2});
    SketchPenFile::Contents contents = SketchPenFile::Read(bytes.data(), bytes.size());
    EXPECT_EQ(contents.uCount, 0xFFFFFFFFu);
    EXPECT_EQ(contents.vPens.size(), 1u);
    for (int size : {0x7FFFFFFF, -3, 0, 65536}) {
        bytes = PenFile(3, {1});
        for (int field : {0, size, 0, 0}) Put(bytes, static_cast<std::uint32_t>(field));
        bytes.resize(bytes.size() + 64, 0);
        contents = SketchPenFile::Read(bytes.data(), bytes.size());
        EXPECT_TRUE(contents.bCount);
        EXPECT_EQ(contents.vPens.size(), 1u) << size;
    }
    // A negative size whose square would fit the file is still no pen.
    bytes = PenFile(1, {});
    for (int field : {0, -2, 0, 0, 1, 2, 3, 4}) Put(bytes, static_cast<std::uint32_t>(field));
    EXPECT_TRUE(SketchPenFile::Read(bytes.data(), bytes.size()).vPens.empty());
    const std::uint8_t shortCount[] = {'S', 'K', 'P', 'N', 1, 0};
    contents = SketchPenFile::Read(shortCount, sizeof shortCount);
    EXPECT_TRUE(contents.bSignature);
    EXPECT_FALSE(contents.bCount);
}
