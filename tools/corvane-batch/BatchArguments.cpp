#include "BatchArguments.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <string_view>
#include <variant>

#include "platform/TextConvert.h"

namespace CorvaneBatch {

namespace {

std::wstring Resolve(const std::string& path, const std::wstring& baseFolder)
{
    const std::wstring wide = FileNameToWide(path);  // byte for byte, also names that are not UTF-8
    if (!wide.empty() && wide.front() == L'/') return wide;
    return baseFolder + wide;
}

// What the command line holds before the spots and its form are settled:
// spots stay text until the last --size is known; strokes, whose size is
// their own, are read at once and keep their place among them.
struct Gathered {
    BatchArguments result;
    std::wstring baseFolder;
    int size{15};
    std::vector<std::variant<std::string, Stroke>> repairs;
    std::optional<std::wstring> spotsFile;
    std::vector<std::string> positional;
};

// Takes an option's value (empty for an option without one) into `gathered`;
// false with `error` set when the value is refused.
using TakeFunction = bool (*)(const std::string& value, Gathered& gathered, std::string& error);

bool TakeSize(const std::string& value, Gathered& gathered, std::string& error)
{
    const auto n = ParseInt(value);
    if (!n || *n < 1 || *n > MaxSpotSize()) return error = "--size must be 1 to " + std::to_string(MaxSpotSize()), false;
    gathered.size = *n;
    return true;
}

bool TakeSpot(const std::string& value, Gathered& gathered, std::string&)
{
    gathered.repairs.emplace_back(value);  // parsed once the last --size is known
    return true;
}

bool TakeStroke(const std::string& value, Gathered& gathered, std::string& error)
{
    std::optional<Stroke> stroke = ParseStroke(value, error);
    if (!stroke) return false;
    gathered.repairs.emplace_back(std::move(*stroke));
    return true;
}

bool TakeSpotsFile(const std::string& value, Gathered& gathered, std::string&)
{
    gathered.spotsFile = Resolve(value, gathered.baseFolder);
    return true;
}

bool TakeRedeye(const std::string& value, Gathered& gathered, std::string& error)
{
    const auto redeye = ParseRedeye(value, error);
    if (!redeye) return false;
    gathered.result.redeyes.push_back(*redeye);
    return true;
}

bool TakeRotate(const std::string& value, Gathered& gathered, std::string& error)
{
    if (value != "left" && value != "right") return error = "--rotate takes left or right", false;
    gathered.result.transforms.push_back(value == "left" ? Transform::RotateLeft : Transform::RotateRight);
    return true;
}

bool TakeFlip(const std::string& value, Gathered& gathered, std::string& error)
{
    if (value != "h" && value != "v") return error = "--flip takes h or v", false;
    gathered.result.transforms.push_back(value == "h" ? Transform::FlipHorizontal : Transform::FlipVertical);
    return true;
}

bool TakeQuality(const std::string& value, Gathered& gathered, std::string& error)
{
    const auto q = ParseInt(value);
    if (!q || *q < 1 || *q > 100) return error = "--quality must be 1 to 100", false;
    gathered.result.quality = *q;
    return true;
}

bool TakeTiffCompression(const std::string& value, Gathered& gathered, std::string& error)
{
    if (value != "none" && value != "lzw") return error = "--tiff-compression takes none or lzw", false;
    gathered.result.lzw = value == "lzw";
    return true;
}

bool TakeDropMetadata(const std::string&, Gathered& gathered, std::string&)
{
    gathered.result.dropMetadata = true;
    return true;
}

bool TakeInfo(const std::string& value, Gathered& gathered, std::string&)
{
    gathered.result.infoFile = Resolve(value, gathered.baseFolder);
    return true;
}

bool TakeOutputFolder(const std::string& value, Gathered& gathered, std::string& error)
{
    if (value.empty()) return error = "-o takes a folder", false;
    std::wstring& folder = gathered.result.outputFolder.emplace(Resolve(value, gathered.baseFolder));
    if (folder.back() != L'/') folder += L'/';
    return true;
}

bool TakeHelp(const std::string&, Gathered& gathered, std::string&)
{
    gathered.result.command = Command::Help;
    return true;
}

bool TakeVersion(const std::string&, Gathered& gathered, std::string&)
{
    if (gathered.result.command != Command::Help) gathered.result.command = Command::Version;
    return true;
}

struct OptionRow {
    std::string_view name;
    bool takesValue;
    TakeFunction take;
};

constexpr OptionRow kOptions[] = {
    {"--size", true, &TakeSize},
    {"--spot", true, &TakeSpot},
    {"--spots-file", true, &TakeSpotsFile},
    {"--stroke", true, &TakeStroke},
    {"--redeye", true, &TakeRedeye},
    {"--rotate", true, &TakeRotate},
    {"--flip", true, &TakeFlip},
    {"--quality", true, &TakeQuality},
    {"--tiff-compression", true, &TakeTiffCompression},
    {"--drop-metadata", false, &TakeDropMetadata},
    {"--info", true, &TakeInfo},
    {"-o", true, &TakeOutputFolder},
    {"--help", false, &TakeHelp},
    {"-h", false, &TakeHelp},
    {"--version", false, &TakeVersion},
};

const OptionRow* FindOption(const std::string& name)
{
    const auto found = std::find_if(std::begin(kOptions), std::end(kOptions),
                                    [&](const OptionRow& row) { return row.name == name; });
    return found == std::end(kOptions) ? nullptr : found;
}

// Walks the command line: options (with their values) and positional
// arguments ("-" alone is one, and so is everything after "--").
std::optional<Gathered> Gather(const std::vector<std::string>& args, const std::wstring& baseFolder,
                               std::string& error)
{
    Gathered gathered;
    gathered.baseFolder = baseFolder;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() <= 1 || arg[0] != '-') {
            gathered.positional.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        const OptionRow* option = FindOption(arg);
        if (!option) return error = "unknown option " + arg, std::nullopt;
        std::string value;
        if (option->takesValue) {
            if (i + 1 >= args.size()) return error = arg + " needs a value", std::nullopt;
            value = args[++i];
        }
        if (!option->take(value, gathered, error)) return std::nullopt;
    }
    return gathered;
}

// The spots and strokes of the command line in their order, then the spots
// of the spots file, each spot without a size taking the last --size.
bool CollectRepairs(Gathered& gathered, std::string& error)
{
    std::vector<Repair>& repairs = gathered.result.repairs;
    for (auto& given : gathered.repairs) {
        if (Stroke* stroke = std::get_if<Stroke>(&given)) {
            repairs.emplace_back(std::move(*stroke));
            continue;
        }
        const std::string& text = std::get<std::string>(given);
        const auto spot = ParseSpot(text, gathered.size);
        if (!spot)
            return error = "--spot takes X,Y or X,Y,SIZE (SIZE 1 to " + std::to_string(MaxSpotSize()) + "): " + text,
                   false;
        repairs.emplace_back(*spot);
    }
    if (!gathered.spotsFile) return true;
    const auto fromFile = ReadSpotsFile(*gathered.spotsFile, gathered.size, error);
    if (!fromFile) return false;
    repairs.insert(repairs.end(), fromFile->begin(), fromFile->end());
    return true;
}

// With -o DIR, two inputs of the same file name would overwrite one
// another's output: the run is refused before anything is written.
bool CheckOutputsDiffer(const BatchArguments& args, const std::vector<std::string>& given, std::string& error)
{
    std::map<std::wstring, std::size_t> firstInputOf;
    for (std::size_t i = 0; i < args.inputs.size(); ++i) {
        const std::wstring output = OutputFor(args, args.inputs[i]);
        const auto [found, isNew] = firstInputOf.emplace(output, i);
        if (isNew) continue;
        error = "inputs " + given[found->second] + " and " + given[i] + " would both be saved as " +
                WideToUtf8(ReadableFileName(output)) + "; nothing was written";
        return false;
    }
    return true;
}

// Settles the form of the command line from its positional arguments:
// --info FILE alone, -o DIR with one or more inputs, or IN and OUT.
std::optional<BatchArguments> ChooseForm(Gathered& gathered, std::string& error)
{
    BatchArguments& result = gathered.result;
    const std::vector<std::string>& positional = gathered.positional;
    if (result.command == Command::Help || result.command == Command::Version) return result;
    if (result.infoFile) {
        if (!positional.empty()) return error = "--info takes one file and nothing else", std::nullopt;
        result.command = Command::Info;
        return result;
    }
    if (result.outputFolder) {
        if (positional.empty()) return error = "-o DIR needs at least one input", std::nullopt;
        for (const std::string& p : positional) result.inputs.push_back(Resolve(p, gathered.baseFolder));
        if (!CheckOutputsDiffer(result, positional, error)) return std::nullopt;
        return result;
    }
    if (positional.size() != 2) return error = "expected IN and OUT", std::nullopt;
    result.inputs.push_back(Resolve(positional[0], gathered.baseFolder));
    result.output = Resolve(positional[1], gathered.baseFolder);
    return result;
}

} // namespace

const char* UsageText()
{
    return "usage: corvane-batch [options] IN OUT\n"
           "       corvane-batch [options] -o DIR IN...\n"
           "       corvane-batch --info FILE\n"
           "       corvane-batch --help | --version\n"
           "Removes dust spots, hairs, scratches and red eyes from photos, turns and mirrors\n"
           "them, and saves them.\n"
           "  --size N                 spot size for spots without one (1-500, default 15)\n"
           "  --spot X,Y[,SIZE]        a spot to remove; image pixels, row 0 at the top\n"
           "  --spots-file FILE        one X,Y[,SIZE] per line; '#' starts a comment\n"
           "  --stroke SIZE:X1,Y1:X2,Y2[:...]\n"
           "                           heal along a path (a hair, a scratch) as wide as a\n"
           "                           spot of SIZE (1-500); 1 to 10000 points\n"
           "  --redeye X0,Y0,X1,Y1[,AMOUNT]\n"
           "                           darken the red pupils in the rectangle from X0,Y0 up to\n"
           "                           but not including X1,Y1 (image pixels, row 0 at the top)\n"
           "                           by AMOUNT per cent (1-100, default 1); after the spots\n"
           "                           and strokes\n"
           "  --rotate left|right      a quarter turn, after the repairs\n"
           "  --flip h|v               a mirror, after the repairs\n"
           "  --quality 1-100          JPEG quality (default 100)\n"
           "  --tiff-compression none|lzw\n"
           "  --drop-metadata          keep no Exif, IPTC, XMP or colour profile\n"
           "  -o DIR                   save each input in DIR under its own file name\n"
           "  --info FILE              result code, size, bits and Exif/IPTC counts of FILE\n"
           "OUT's extension (.bmp .jpg .jpeg .png .tif .tiff) chooses its format.\n"
           "Exit status: 0 every photo saved, 1 a photo failed, 2 a bad command line.\n";
}

std::wstring OutputFor(const BatchArguments& args, const std::wstring& input)
{
    if (args.output) return *args.output;
    const std::size_t slash = input.find_last_of(L'/');
    return *args.outputFolder + (slash == std::wstring::npos ? input : input.substr(slash + 1));
}

std::optional<BatchArguments> ParseArguments(const std::vector<std::string>& args, const std::wstring& baseFolder,
                                             std::string& error)
{
    std::optional<Gathered> gathered = Gather(args, baseFolder, error);
    if (!gathered) return std::nullopt;
    const Command command = gathered->result.command;
    if (command != Command::Help && command != Command::Version && !CollectRepairs(*gathered, error)) return std::nullopt;
    return ChooseForm(*gathered, error);
}

} // namespace CorvaneBatch
