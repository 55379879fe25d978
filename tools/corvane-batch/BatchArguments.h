#pragma once
// The command line of corvane-batch:
//
//   corvane-batch [--size N] [--spot X,Y ...] [--spots-file FILE]
//                 [--rotate left|right ...] [--flip h|v ...]
//                 [--quality 1-100] [--tiff-compression none|lzw]
//                 [--drop-metadata] IN OUT
//   corvane-batch [options] -o DIR IN...
//   corvane-batch --info FILE
//
// Spots are in image pixels with row 0 at the top (as the spot remover
// reports a click). Spots are applied first, in the order given (command
// line, then spots file), then the turns and flips in the order given.

#include <optional>
#include <string>
#include <vector>

namespace CorvaneBatch {

/// One spot to remove: centre and spot size in pixels.
struct Spot {
    int x{0};
    int y{0};
    int size{15};
};

/// One turn or flip, in command-line order.
enum class Transform { RotateLeft, RotateRight, FlipHorizontal, FlipVertical };

/// Everything the command line asks for.
struct BatchArguments {
    std::vector<Spot> spots;
    std::vector<Transform> transforms;
    int quality{100};              ///< JPEG quality
    bool lzw{false};               ///< TIFF compression LZW instead of none
    bool dropMetadata{false};
    std::optional<std::wstring> infoFile;  ///< --info: describe this file only
    std::optional<std::wstring> outputFolder;  ///< -o DIR: one output per input
    std::vector<std::wstring> inputs;
    std::optional<std::wstring> output;    ///< OUT of the single-file form
};

/// Parses `args` (without the program name). Relative paths are taken
/// relative to `baseFolder` (which ends in a separator). On error returns
/// nothing and sets `error` to a one-line description.
std::optional<BatchArguments> ParseArguments(const std::vector<std::string>& args, const std::wstring& baseFolder,
                                             std::string& error);

/// Reads a spots file: one "X,Y" or "X,Y,SIZE" per line; blank lines and text
/// after '#' are ignored. `defaultSize` is the size of spots without one.
/// Returns nothing and sets `error` (with the line number) on a bad line or
/// an unreadable file.
std::optional<std::vector<Spot>> ReadSpotsFile(const std::wstring& path, int defaultSize, std::string& error);

/// The usage text.
const char* UsageText();

} // namespace CorvaneBatch
