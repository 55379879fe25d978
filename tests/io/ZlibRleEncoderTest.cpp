// The run-length deflate encoder of the PNG writer: whatever it is given,
// zlib's own inflater must give back the same bytes.

#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <zlib.h>

#include "io/ByteSink.h"
#include "io/ZlibRleEncoder.h"

using namespace Carrow::FileIO;

namespace {

std::vector<BYTE> Compress(const std::vector<BYTE>& data, std::size_t piece)
{
    MemoryByteSink sink;
    ZlibRleEncoder encoder(sink);
    for (std::size_t at = 0; at < data.size(); at += piece)
        EXPECT_TRUE(encoder.Add(data.data() + at, std::min(piece, data.size() - at)));
    EXPECT_TRUE(encoder.Finish());
    return {sink.Bytes().begin(), sink.Bytes().end()};
}

std::vector<BYTE> Inflate(const std::vector<BYTE>& stream, std::size_t size)
{
    std::vector<BYTE> out(size + 1);
    uLongf length = static_cast<uLongf>(out.size());
    EXPECT_EQ(uncompress(out.data(), &length, stream.data(), static_cast<uLong>(stream.size())), Z_OK);
    out.resize(length);
    return out;
}

} // namespace

TEST(ZlibRleEncoder, ZlibInflatesWhatItWrites)
{
    std::mt19937 random(12);
    std::vector<std::pair<std::string, std::vector<BYTE>>> cases;
    cases.push_back({"empty", {}});
    cases.push_back({"one byte", {7}});
    std::vector<BYTE> noise(300000);
    for (BYTE& b : noise) b = static_cast<BYTE>(random());
    cases.push_back({"noise", noise});
    // Filtered photographs: small values, runs of zeros of every length
    // (across the 258-byte limit of a match and the edges of blocks).
    std::vector<BYTE> mixed;
    std::geometric_distribution<int> small(0.3);
    while (mixed.size() < 400000) {
        const int run = static_cast<int>(random() % 700);
        mixed.insert(mixed.end(), static_cast<std::size_t>(random() % 3 ? run : 1), static_cast<BYTE>(random() % 2 ? 0 : 200));
        for (int i = 0; i < 50; ++i) mixed.push_back(static_cast<BYTE>(small(random)));
    }
    cases.push_back({"mixed", mixed});
    cases.push_back({"one long run", std::vector<BYTE>(100000, 9)});
    for (const auto& [name, data] : cases) {
        for (std::size_t piece : {std::size_t{1} << 20, std::size_t{1000}, std::size_t{257}}) {
            const std::vector<BYTE> stream = Compress(data, piece);
            EXPECT_EQ(Inflate(stream, data.size()), data) << name << " in pieces of " << piece;
            if (name == "one long run") {
                EXPECT_LT(stream.size(), 1000u) << "runs are compressed";
            }
        }
    }
}
