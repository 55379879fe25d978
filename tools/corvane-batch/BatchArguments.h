#pragma once
// The command line of corvane-batch (UsageText() gives it in full):
//
//   corvane-batch [options] IN OUT
//   corvane-batch [options] -o DIR IN...
//   corvane-batch --info FILE
//   corvane-batch --help | --version
//
// Spots, strokes and red-eye rectangles are in image pixels with row 0 at the
// top of the photo as it was opened (as the spot remover reports a click or a
// drag and the red-eye tool a drag). The repairs come first: the spots and
// strokes in the order given (the --spot and --stroke options of the command
// line, then the spots file), then the red-eye rectangles in the order given;
// then the turns and flips in the order given.
//
// Each option is one row of the option table in BatchArguments.cpp: a new
// option is a new row and a function that takes its value.

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "RedeyeRect.h"
#include "SpotList.h"
#include "StrokeList.h"

namespace CorvaneBatch {

/// One repair: a spot to remove or a stroke to heal along.
using Repair = std::variant<Spot, Stroke>;

/// One turn or flip, in command-line order.
enum class Transform { RotateLeft, RotateRight, FlipHorizontal, FlipVertical };

/// What the command line asks for.
enum class Command {
    Repair,   ///< repair, turn and save the inputs
    Info,     ///< --info: describe one file
    Help,     ///< --help: print the usage
    Version,  ///< --version: print the version
};

/// Everything the command line asks for.
struct BatchArguments {
    Command command{Command::Repair};
    std::vector<Repair> repairs;   ///< spots and strokes, in the order they are made
    std::vector<RedeyeRect> redeyes;
    std::vector<Transform> transforms;
    int quality{100};              ///< JPEG quality
    bool lzw{false};               ///< TIFF compression LZW instead of none
    bool dropMetadata{false};
    std::optional<std::wstring> infoFile;      ///< --info: describe this file only
    std::optional<std::wstring> outputFolder;  ///< -o DIR: one output per input
    std::vector<std::wstring> inputs;
    std::optional<std::wstring> output;        ///< OUT of the single-file form
};

/// Parses `args` (without the program name). Relative paths are taken
/// relative to `baseFolder` (which ends in a separator); "--" ends the
/// options. With -o DIR, inputs whose outputs would share a file name are
/// refused. Reads the spots file, nothing else. On error returns nothing and
/// sets `error` to a one-line description.
std::optional<BatchArguments> ParseArguments(const std::vector<std::string>& args, const std::wstring& baseFolder,
                                             std::string& error);

/// The output of `input`: OUT, or the input's file name inside -o DIR.
std::wstring OutputFor(const BatchArguments& args, const std::wstring& input);

/// The usage text, as --help prints it and the README shows it.
const char* UsageText();

} // namespace CorvaneBatch
