#include "BatchArguments.h"

#include <algorithm>
#include <charconv>
#include <iterator>
#include <string_view>
#include <fstream>

#include "platform/TextConvert.h"

namespace CorvaneBatch {

namespace {

std::optional<int> ParseInt(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
    return value;
}

// "X,Y" or "X,Y,SIZE"; the size must be positive.
std::optional<Spot> ParseSpot(std::string_view text, int defaultSize)
{
    std::vector<std::string_view> parts;
    for (std::size_t start = 0;;) {
        const std::size_t comma = text.find(',', start);
        parts.push_back(text.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    if (parts.size() != 2 && parts.size() != 3) return std::nullopt;
    const auto x = ParseInt(parts[0]);
    const auto y = ParseInt(parts[1]);
    const auto size = parts.size() == 3 ? ParseInt(parts[2]) : std::optional<int>(defaultSize);
    if (!x || !y || !size || *size < 1) return std::nullopt;
    return Spot{*x, *y, *size};
}

std::wstring Resolve(const std::string& path, const std::wstring& baseFolder)
{
    const std::wstring wide = FileNameToWide(path);  // byte for byte, also names that are not UTF-8
    if (!wide.empty() && wide.front() == L'/') return wide;
    return baseFolder + wide;
}

// What the command line holds before the spots and its form are settled:
// spots stay text until the last --size is known.
struct Gathered {
    BatchArguments result;
    int size{15};
    std::vector<std::string> spotTexts;
    std::optional<std::wstring> spotsFile;
    std::vector<std::string> positional;
};

bool TakesValue(const std::string& option)
{
    static const std::string_view kValueOptions[] = {"--size",    "--spot",    "--spots-file",
                                                     "--rotate",  "--flip",    "--quality",
                                                     "--tiff-compression", "--info", "-o"};
    return std::find(std::begin(kValueOptions), std::end(kValueOptions), option) != std::end(kValueOptions);
}

// Takes `option` with its `value` (empty for an option without one) into
// `gathered`; false with `error` set for a refused value or an unknown option.
bool TakeOption(const std::string& option, const std::string& value, const std::wstring& baseFolder,
                Gathered& gathered, std::string& error)
{
    BatchArguments& result = gathered.result;
    if (option == "--size") {
        const auto n = ParseInt(value);
        if (!n || *n < 1) return error = "--size must be a positive number", false;
        gathered.size = *n;
    } else if (option == "--spot") {
        gathered.spotTexts.push_back(value);
    } else if (option == "--spots-file") {
        gathered.spotsFile = Resolve(value, baseFolder);
    } else if (option == "--rotate") {
        if (value != "left" && value != "right") return error = "--rotate takes left or right", false;
        result.transforms.push_back(value == "left" ? Transform::RotateLeft : Transform::RotateRight);
    } else if (option == "--flip") {
        if (value != "h" && value != "v") return error = "--flip takes h or v", false;
        result.transforms.push_back(value == "h" ? Transform::FlipHorizontal : Transform::FlipVertical);
    } else if (option == "--quality") {
        const auto q = ParseInt(value);
        if (!q || *q < 1 || *q > 100) return error = "--quality must be 1 to 100", false;
        result.quality = *q;
    } else if (option == "--tiff-compression") {
        if (value != "none" && value != "lzw") return error = "--tiff-compression takes none or lzw", false;
        result.lzw = value == "lzw";
    } else if (option == "--drop-metadata") {
        result.dropMetadata = true;
    } else if (option == "--info") {
        result.infoFile = Resolve(value, baseFolder);
    } else if (option == "-o") {
        result.outputFolder = Resolve(value, baseFolder);
        if (result.outputFolder->back() != L'/') *result.outputFolder += L'/';
    } else {
        return error = "unknown option " + option, false;
    }
    return true;
}

// Walks the command line: options (with their values) and positional
// arguments ("-" alone is one).
std::optional<Gathered> Gather(const std::vector<std::string>& args, const std::wstring& baseFolder,
                               std::string& error)
{
    Gathered gathered;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.size() <= 1 || arg[0] != '-') {
            gathered.positional.push_back(arg);
            continue;
        }
        std::string value;
        if (TakesValue(arg)) {
            if (i + 1 >= args.size()) return error = arg + " needs a value", std::nullopt;
            value = args[++i];
        }
        if (!TakeOption(arg, value, baseFolder, gathered, error)) return std::nullopt;
    }
    return gathered;
}

// The spots of the command line, then those of the spots file, each without
// a size taking the last --size.
bool CollectSpots(Gathered& gathered, std::string& error)
{
    std::vector<Spot>& spots = gathered.result.spots;
    for (const std::string& text : gathered.spotTexts) {
        const auto spot = ParseSpot(text, gathered.size);
        if (!spot) return error = "--spot takes X,Y or X,Y,SIZE: " + text, false;
        spots.push_back(*spot);
    }
    if (!gathered.spotsFile) return true;
    const auto fromFile = ReadSpotsFile(*gathered.spotsFile, gathered.size, error);
    if (!fromFile) return false;
    spots.insert(spots.end(), fromFile->begin(), fromFile->end());
    return true;
}

// Settles the form of the command line from its positional arguments:
// --info FILE alone, -o DIR with one or more inputs, or IN and OUT.
std::optional<BatchArguments> ChooseForm(Gathered& gathered, const std::wstring& baseFolder, std::string& error)
{
    BatchArguments& result = gathered.result;
    const std::vector<std::string>& positional = gathered.positional;
    if (result.infoFile) {
        if (!positional.empty()) return error = "--info takes one file and nothing else", std::nullopt;
        return result;
    }
    if (result.outputFolder) {
        if (positional.empty()) return error = "-o DIR needs at least one input", std::nullopt;
        for (const std::string& p : positional) result.inputs.push_back(Resolve(p, baseFolder));
        return result;
    }
    if (positional.size() != 2) return error = "expected IN and OUT", std::nullopt;
    result.inputs.push_back(Resolve(positional[0], baseFolder));
    result.output = Resolve(positional[1], baseFolder);
    return result;
}

} // namespace

const char* UsageText()
{
    return "usage: corvane-batch [--size N] [--spot X,Y ...] [--spots-file FILE]\n"
           "                     [--rotate left|right ...] [--flip h|v ...]\n"
           "                     [--quality 1-100] [--tiff-compression none|lzw]\n"
           "                     [--drop-metadata] IN OUT\n"
           "       corvane-batch [options] -o DIR IN...\n"
           "       corvane-batch --info FILE\n"
           "Spots are image pixels, row 0 at the top; SIZE defaults to --size (15).\n"
           "A spots file holds one X,Y[,SIZE] per line; '#' starts a comment.\n"
           "OUT's extension (.bmp .jpg .jpeg .png .tif .tiff) chooses its format.\n";
}

std::optional<std::vector<Spot>> ReadSpotsFile(const std::wstring& path, int defaultSize, std::string& error)
{
    std::ifstream in(WideToFileName(path));
    if (!in) {
        error = "cannot read the spots file " + WideToUtf8(path);
        return std::nullopt;
    }
    std::vector<Spot> spots;
    int lineNumber = 0;
    for (std::string line; std::getline(in, line);) {
        ++lineNumber;
        const std::size_t hash = line.find('#');
        if (hash != std::string::npos) line.erase(hash);
        if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
        const auto spot = ParseSpot(line, defaultSize);
        if (!spot) {
            error = WideToUtf8(path) + ":" + std::to_string(lineNumber) + ": expected X,Y or X,Y,SIZE";
            return std::nullopt;
        }
        spots.push_back(*spot);
    }
    return spots;
}

std::optional<BatchArguments> ParseArguments(const std::vector<std::string>& args, const std::wstring& baseFolder,
                                             std::string& error)
{
    std::optional<Gathered> gathered = Gather(args, baseFolder, error);
    if (!gathered || !CollectSpots(*gathered, error)) return std::nullopt;
    return ChooseForm(*gathered, baseFolder, error);
}

} // namespace CorvaneBatch
