#include "BatchArguments.h"

#include <charconv>
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
    const std::wstring wide = Utf8ToWide(path);
    if (!wide.empty() && wide.front() == L'/') return wide;
    return baseFolder + wide;
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
    std::ifstream in(WideToUtf8(path));
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
    BatchArguments result;
    int size = 15;
    std::vector<std::string> spotTexts;
    std::optional<std::wstring> spotsFile;
    std::vector<std::string> positional;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        auto value = [&]() -> const std::string& { return args[++i]; };
        if ((arg == "--size" || arg == "--spot" || arg == "--spots-file" || arg == "--rotate" || arg == "--flip" ||
             arg == "--quality" || arg == "--tiff-compression" || arg == "--info" || arg == "-o") &&
            !hasValue) {
            error = arg + " needs a value";
            return std::nullopt;
        }
        if (arg == "--size") {
            const auto n = ParseInt(value());
            if (!n || *n < 1) return error = "--size must be a positive number", std::nullopt;
            size = *n;
        } else if (arg == "--spot") {
            spotTexts.push_back(value());
        } else if (arg == "--spots-file") {
            spotsFile = Resolve(value(), baseFolder);
        } else if (arg == "--rotate") {
            const std::string& v = value();
            if (v != "left" && v != "right") return error = "--rotate takes left or right", std::nullopt;
            result.transforms.push_back(v == "left" ? Transform::RotateLeft : Transform::RotateRight);
        } else if (arg == "--flip") {
            const std::string& v = value();
            if (v != "h" && v != "v") return error = "--flip takes h or v", std::nullopt;
            result.transforms.push_back(v == "h" ? Transform::FlipHorizontal : Transform::FlipVertical);
        } else if (arg == "--quality") {
            const auto q = ParseInt(value());
            if (!q || *q < 1 || *q > 100) return error = "--quality must be 1 to 100", std::nullopt;
            result.quality = *q;
        } else if (arg == "--tiff-compression") {
            const std::string& v = value();
            if (v != "none" && v != "lzw") return error = "--tiff-compression takes none or lzw", std::nullopt;
            result.lzw = v == "lzw";
        } else if (arg == "--drop-metadata") {
            result.dropMetadata = true;
        } else if (arg == "--info") {
            result.infoFile = Resolve(value(), baseFolder);
        } else if (arg == "-o") {
            result.outputFolder = Resolve(value(), baseFolder);
            if (result.outputFolder->back() != L'/') *result.outputFolder += L'/';
        } else if (arg.size() > 1 && arg[0] == '-') {
            error = "unknown option " + arg;
            return std::nullopt;
        } else {
            positional.push_back(arg);
        }
    }
    for (const std::string& text : spotTexts) {
        const auto spot = ParseSpot(text, size);
        if (!spot) return error = "--spot takes X,Y or X,Y,SIZE: " + text, std::nullopt;
        result.spots.push_back(*spot);
    }
    if (spotsFile) {
        const auto fromFile = ReadSpotsFile(*spotsFile, size, error);
        if (!fromFile) return std::nullopt;
        result.spots.insert(result.spots.end(), fromFile->begin(), fromFile->end());
    }
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

} // namespace CorvaneBatch
