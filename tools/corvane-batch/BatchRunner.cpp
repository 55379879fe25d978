#include "BatchRunner.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <system_error>
#include <variant>

#include <exiv2/exiv2.hpp>

#include "Tracewell/Log.h"
#include "Wordhoard/LocalizeHelper.h"
#include "app/CorvaneLoaderApp.h"
#include "io/FixedEncoderOptionsProvider.h"
#include "io/ImageFile.h"
#include "io/ScopedEncoderOptionsProvider.h"
#include "operations/OptGuids.h"
#include "operations/OptParam_Flip.h"
#include "operations/OptParam_HealingStroke.h"
#include "operations/OptParam_RedeyeReduction.h"
#include "operations/OptParam_Rotate.h"
#include "operations/OptParam_SpotRemoval.h"
#include "platform/TextConvert.h"
#include "platform/TickCount.h"

namespace CorvaneBatch {

namespace {

using OperationManage::IOptParam;
using OperationManage::OPTGUID;

constexpr const wchar_t* kModule = L"corvane-batch";

void PrintError(const std::wstring& text)
{
    std::fflush(stdout);  // keep the order of the two streams on one terminal
    std::fprintf(stderr, "corvane-batch: %s\n", WideToUtf8(ReadableFileName(text)).c_str());
}

const wchar_t* Item(const wchar_t* key) { return LocalizeHelper::GetDictionaryItem("Dictionary", key); }

// Exif entries as the image file keeps them (the thumbnail's own entries
// are not kept) and IPTC entries; both 0 when the file has none or Exiv2
// cannot read it.
std::pair<long, long> CountMetadata(const std::wstring& path)
{
    try {
        auto image = Exiv2::ImageFactory::open(WideToFileName(path));
        if (!image.get()) return {0, 0};
        image->readMetadata();
        long exif = 0;
        for (const auto& datum : image->exifData()) exif += datum.groupName().rfind("Thumbnail", 0) == 0 ? 0 : 1;
        return {exif, static_cast<long>(image->iptcData().count())};
    } catch (const std::exception&) {
        return {0, 0};
    }
}

// The format of OUT from its extension; nothing for other extensions.
std::optional<GUID> FormatOf(const std::wstring& path)
{
    const std::size_t dot = path.find_last_of(L'.');
    if (dot == std::wstring::npos) return std::nullopt;
    std::wstring ext = path.substr(dot + 1);
    for (auto& c : ext) c = static_cast<wchar_t>(std::towlower(c));
    using namespace Carrow::FileIO;
    if (ext == L"bmp") return ImageFormatBMP;
    if (ext == L"jpg" || ext == L"jpeg") return ImageFormatJPEG;
    if (ext == L"png") return ImageFormatPNG;
    if (ext == L"tif" || ext == L"tiff") return ImageFormatTIFF;
    return std::nullopt;
}

// One operation through the program's protocol: begin, worker thread, end.
// True when it was recorded in the history.
bool RunOperation(const OPTGUID& kind, const wchar_t* nameKey, std::unique_ptr<IOptParam> param)
{
    OperationManage::Operation* operation = theApp.BeginProcessImage();
    if (!operation) return false;
    OperationManage::OptGuidCopy(operation->m_Kind, kind);
    operation->m_strName = Item(nameKey);
    operation->m_pParam = param.release();
    if (!BeginImageProcessThread(operation)) {
        theApp.CancelProcessImage(operation);
        return false;
    }
    theApp.WaitWhileProcessing(24 * 3600 * 1000);
    // Recorded, the operation is the current entry. A cancelled one was
    // freed while the entry before it lived on, so the two cannot share an
    // address.
    return theApp.m_OptHistory.Current() == operation;
}

std::wstring Where(const POINT& point) { return std::to_wstring(point.x) + L"," + std::to_wstring(point.y); }

std::unique_ptr<OptParam_SpotRemoval> SpotRecord(const Spot& spot)
{
    auto param = std::make_unique<OptParam_SpotRemoval>();
    param->m_nSpotSize = spot.size;
    param->m_nX = spot.x;
    param->m_nY = spot.y;
    return param;
}

std::unique_ptr<OptParam_HealingStroke> StrokeRecord(const Stroke& stroke)
{
    auto param = std::make_unique<OptParam_HealingStroke>();
    param->m_nSpotSize = stroke.size;
    param->m_Path = stroke.path;
    return param;
}

// How a repair is named in messages: "the spot at X,Y" or "the stroke from
// X1,Y1 to Xn,Yn".
std::wstring Describe(const Repair& repair)
{
    if (const Spot* spot = std::get_if<Spot>(&repair)) return L"the spot at " + Where(POINT{spot->x, spot->y});
    const std::vector<POINT>& path = std::get<Stroke>(repair).path;
    if (path.size() == 1) return L"the stroke at " + Where(path.front());
    return L"the stroke from " + Where(path.front()) + L" to " + Where(path.back());
}

bool MakeRepairs(const std::vector<Repair>& repairs)
{
    for (const Repair& repair : repairs) {
        const bool done =
            std::holds_alternative<Spot>(repair)
                ? RunOperation(OPTGUID_SPOTREMOVAL, L"IDS_VELMIRA_OPERATION_NAME_SPOTREMOVAL", SpotRecord(std::get<Spot>(repair)))
                : RunOperation(OPTGUID_HEALINGSTROKE, L"IDS_VELMIRA_OPERATION_NAME_HEALINGSTROKE",
                               StrokeRecord(std::get<Stroke>(repair)));
        if (!done) {
            PrintError(Describe(repair) + L" could not be repaired");
            return false;
        }
    }
    return true;
}

bool ReduceRedeyes(const std::vector<RedeyeRect>& redeyes)
{
    for (const RedeyeRect& redeye : redeyes) {
        auto param = std::make_unique<OptParam_RedeyeReduction>();
        param->m_rcRect = redeye.rect;
        param->m_nDarkenAmount = redeye.amount;
        if (!RunOperation(OPTGUID_REDEYEREDUCTION, L"IDS_VELMIRA_OPERATION_NAME_REDEYEREDUCTION", std::move(param))) {
            PrintError(L"the red eyes in " + redeye.Text() + L" could not be treated");
            return false;
        }
    }
    return true;
}

bool ApplyTransforms(const std::vector<Transform>& transforms)
{
    for (const Transform transform : transforms) {
        bool done = false;
        if (transform == Transform::RotateLeft || transform == Transform::RotateRight) {
            auto param = std::make_unique<OptParam_Rotate>();
            param->m_nMode = OptParam_Rotate::ROTATE_90;
            param->m_fAngle = 90.0f;
            param->m_bClockwise = transform == Transform::RotateRight;
            done = RunOperation(OPTGUID_ROTATE, L"IDS_VELMIRA_OPERATION_NAME_ROTATE", std::move(param));
        } else {
            auto param = std::make_unique<OptParam_Flip>();
            param->m_bVertical = transform == Transform::FlipVertical;
            done = RunOperation(OPTGUID_FLIP, L"IDS_VELMIRA_OPERATION_NAME_FLIP", std::move(param));
        }
        if (!done) {
            PrintError(L"a turn or flip failed");
            return false;
        }
    }
    return true;
}

bool Save(const BatchArguments& args, const std::wstring& output)
{
    const auto format = FormatOf(output);
    if (!format) {
        PrintError(L"unknown output format (use .bmp, .jpg, .png or .tif): " + output);
        return false;
    }
    Carrow::FileIO::EncoderOptions options;
    options.nQuality = args.quality;
    options.nCompression = args.lzw ? Carrow::FileIO::EncoderValueCompressionLZW
                                    : Carrow::FileIO::EncoderValueCompressionNone;
    options.bDropMetadata = args.dropMetadata ? TRUE : FALSE;
    Carrow::FileIO::ScopedEncoderOptionsProvider scope(
        std::make_shared<Carrow::FileIO::FixedEncoderOptionsProvider>(options));
    return theApp.SaveEditImageFileTo(*format, output.c_str()) == 0;
}

// The width and height of the photo being edited; (0, 0) when none.
std::pair<long, long> EditedSize()
{
    BITMAPINFO header{};
    if (!theApp.m_pEditFile || !theApp.m_pEditFile->GetImageDataInfo(header)) return {0, 0};
    return {header.bmiHeader.biWidth, std::labs(header.bmiHeader.biHeight)};
}

std::wstring SizeText(long width, long height) { return std::to_wstring(width) + L"x" + std::to_wstring(height); }

// True when the repair changes some pixel of a `width` x `height` photo: a
// pixel of a spot's square (64-bit, so that no coordinate can overflow) or of
// a stroke's area lies inside it.
bool TouchesPhoto(const Repair& repair, long width, long height)
{
    if (const Spot* spot = std::get_if<Spot>(&repair)) {
        const long long half = spot->size / 2;
        return spot->x + half >= 0 && spot->x - half < width && spot->y + half >= 0 && spot->y - half < height;
    }
    return StrokeRecord(std::get<Stroke>(repair))->ReachesImage(width, height);
}

// Reports every spot and stroke that misses the open `width` x `height`
// photo entirely (the first few by position); true when all of them touch it.
bool AllSpotsAndStrokesTouchThePhoto(const std::vector<Repair>& repairs, const std::wstring& input, long width,
                                     long height)
{
    constexpr std::size_t kShown = 5;
    std::size_t missing = 0;
    for (const Repair& repair : repairs) {
        if (TouchesPhoto(repair, width, height)) continue;
        if (++missing <= kShown)
            PrintError(input + L": " + Describe(repair) + L" lies wholly outside the " + SizeText(width, height) +
                       L" photo");
    }
    if (missing > kShown)
        PrintError(input + L": " + std::to_wstring(missing - kShown) + L" more spots and strokes lie outside it");
    return missing == 0;
}

// Reports every red-eye rectangle that misses the open photo (an error) or
// reaches beyond its edges (a note: only its part on the photo is treated);
// true when all of them cover a pixel of it.
bool AllRedeyesTouchThePhoto(const std::vector<RedeyeRect>& redeyes, const std::wstring& input, long width,
                             long height)
{
    bool all = true;
    for (const RedeyeRect& redeye : redeyes) {
        const RECT& r = redeye.rect;
        const std::wstring start = input + L": the red-eye rectangle " + redeye.Text();
        OptParam_RedeyeReduction param;
        param.m_rcRect = r;
        if (!param.ReachesImage(width, height)) {
            PrintError(start + L" lies wholly outside the " + SizeText(width, height) + L" photo");
            all = false;
        } else if (r.left < 0 || r.top < 0 || r.right > width || r.bottom > height) {
            PrintError(start + L" reaches beyond the " + SizeText(width, height) +
                       L" photo; only its part on the photo is treated");
        }
    }
    return all;
}

// True when every spot, stroke and red-eye rectangle lies at least partly on the
// open photo; otherwise they are reported and the photo is not saved.
bool AllRepairsTouchThePhoto(const BatchArguments& args, const std::wstring& input)
{
    const auto [width, height] = EditedSize();
    const bool spots = AllSpotsAndStrokesTouchThePhoto(args.repairs, input, width, height);
    const bool redeyes = AllRedeyesTouchThePhoto(args.redeyes, input, width, height);
    if (spots && redeyes) return true;
    PrintError(input + L": nothing was saved");
    return false;
}

// Lets only warnings and errors into the log for the life of the object: the
// per-operation lines of thousands of spots would bury everything else.
class QuietLog {
public:
    QuietLog() : m_previous(GetLogThreshold()) { SetLogThreshold(LOG_LEVEL_WARNING); }
    ~QuietLog() { SetLogThreshold(m_previous); }
    QuietLog(const QuietLog&) = delete;
    QuietLog& operator=(const QuietLog&) = delete;

private:
    int m_previous;
};

bool RepairAndTurn(const BatchArguments& args)
{
    const QuietLog quiet;
    return MakeRepairs(args.repairs) && ReduceRedeyes(args.redeyes) && ApplyTransforms(args.transforms);
}

bool RunOne(const BatchArguments& args, const std::wstring& input, const std::wstring& output)
{
    const DWORD start = GetTickCount();
    if (!theApp.SetEditImageFile(input.c_str())) return false;  // the message was printed
    const bool saved = AllRepairsTouchThePhoto(args, input) && RepairAndTurn(args) && Save(args, output);
    theApp.EndEditImageFile();
    if (!saved) return false;
    const auto strokes = static_cast<std::size_t>(std::count_if(
        args.repairs.begin(), args.repairs.end(), [](const auto& repair) { return std::holds_alternative<Stroke>(repair); }));
    WriteLog(LOG_LEVEL_INFO, kModule, L"RunBatch",
             L"'%s' saved as '%s': %zu spots removed, %zu strokes healed, %zu red-eye rectangles treated, %zu turns "
             L"and flips, %u ms.",
             input.c_str(), output.c_str(), args.repairs.size() - strokes, strokes, args.redeyes.size(),
             args.transforms.size(),
             static_cast<unsigned>(GetTickCount() - start));
    std::printf("%s -> %s\n", WideToFileName(input).c_str(), WideToFileName(output).c_str());
    return true;
}

// What can be known before any photo is touched: -o DIR is a folder and
// every output has a format. False (reported) when not.
bool CheckOutputs(const BatchArguments& args)
{
    std::error_code error;
    if (args.outputFolder && !std::filesystem::is_directory(WideToFileName(*args.outputFolder), error)) {
        PrintError(L"-o " + *args.outputFolder + L" is not a folder; nothing was written");
        return false;
    }
    for (const std::wstring& input : args.inputs) {
        const std::wstring output = OutputFor(args, input);
        if (FormatOf(output)) continue;
        PrintError(L"unknown output format (use .bmp, .jpg, .png or .tif): " + output + L"; nothing was written");
        return false;
    }
    return true;
}

} // namespace

int PrintInfo(const std::wstring& path)
{
    Carrow::FileIO::ImageFile file;
    const int result = file.FromFile(path.c_str());
    std::printf("FromFile: %d\n", result);
    if (result <= 0) {
        PrintError(Item(CCorvaneLoaderApp::GetReadResultMessageKey(result)));
        return 1;
    }
    BITMAPINFO header{};
    file.GetImageDataInfo(header);
    const auto [exif, iptc] = CountMetadata(path);
    std::printf("Width: %d\nHeight: %d\nBitsPerPixel: %d\nExif: %ld\nIptc: %ld\n", header.bmiHeader.biWidth,
                header.bmiHeader.biHeight, header.bmiHeader.biBitCount, exif, iptc);
    return 0;
}

int RunBatch(const BatchArguments& args)
{
    if (!CheckOutputs(args)) return 2;
    // The batch never undoes: each operation works on the one snapshot.
    theApp.SetHistoryMode(CCorvaneLoaderApp::HistoryMode::LatestOnly);
    int failures = 0;
    for (const std::wstring& input : args.inputs) failures += RunOne(args, input, OutputFor(args, input)) ? 0 : 1;
    return failures == 0 ? 0 : 1;
}

} // namespace CorvaneBatch
