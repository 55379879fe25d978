#pragma once
// Spots to remove, as corvane-batch takes them: "X,Y" or "X,Y,SIZE" on the
// command line or one per line of a spots file. X and Y are image pixels with
// row 0 at the top, as the spot remover reports a click; SIZE is the side of
// the repaired square, 1 to the spot remover's largest size (500).

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace CorvaneBatch {

/// One spot to remove: centre and spot size in pixels.
struct Spot {
    int x{0};
    int y{0};
    int size{15};
};

/// Largest spot size, as the spot remover allows it.
int MaxSpotSize();

/// A spots file larger than this is refused.
inline constexpr std::size_t kMaxSpotsFileBytes = 8u << 20;
/// A line of a spots file longer than this is refused.
inline constexpr std::size_t kMaxSpotsLineBytes = 1024;

/// Parses a whole number, allowing blanks (and a carriage return) around it.
std::optional<int> ParseInt(std::string_view text);

/// The parts of `text` between its commas (one part when it holds none).
std::vector<std::string_view> SplitAtCommas(std::string_view text);

/// Parses "X,Y" or "X,Y,SIZE"; a missing SIZE is `defaultSize`. Nothing for
/// malformed text or a size outside 1..MaxSpotSize().
std::optional<Spot> ParseSpot(std::string_view text, int defaultSize);

/// Reads a spots file: one spot per line as ParseSpot takes it; blank lines
/// and text after '#' are ignored, and a UTF-8 byte-order mark may open the
/// file. Only a regular file of at most kMaxSpotsFileBytes with lines of at
/// most kMaxSpotsLineBytes is read (a device, a pipe or a folder is refused
/// without reading from it), and it must hold at least one spot. Returns
/// nothing and sets `error` to a one-line reason (with the line number for a
/// bad line) otherwise.
std::optional<std::vector<Spot>> ReadSpotsFile(const std::wstring& path, int defaultSize, std::string& error);

} // namespace CorvaneBatch
