#include "BatchRunner.h"

#include <cstdio>
#include <memory>

#include <exiv2/exiv2.hpp>

#include "Wordhoard/LocalizeHelper.h"
#include "app/CorvaneLoaderApp.h"
#include "io/FixedEncoderOptionsProvider.h"
#include "io/ImageFile.h"
#include "io/ScopedEncoderOptionsProvider.h"
#include "operations/OptGuids.h"
#include "operations/OptParam_Flip.h"
#include "operations/OptParam_Rotate.h"
#include "operations/OptParam_SpotRemoval.h"
#include "platform/TextConvert.h"

namespace CorvaneBatch {

namespace {

using OperationManage::IOptParam;
using OperationManage::OPTGUID;

void PrintError(const std::wstring& text)
{
    std::fflush(stdout);  // keep the order of the two streams on one terminal
    std::fprintf(stderr, "corvane-batch: %s\n", WideToUtf8(text).c_str());
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
    const OperationManage::Operation* before = theApp.m_OptHistory.Current();
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
    return theApp.m_OptHistory.Current() != before;
}

bool RemoveSpots(const std::vector<Spot>& spots)
{
    for (const Spot& spot : spots) {
        auto param = std::make_unique<OptParam_SpotRemoval>();
        param->m_nSpotSize = spot.size;
        param->m_nX = spot.x;
        param->m_nY = spot.y;
        if (!RunOperation(OPTGUID_SPOTREMOVAL, L"IDS_VELMIRA_OPERATION_NAME_SPOTREMOVAL", std::move(param))) {
            PrintError(L"the spot at " + std::to_wstring(spot.x) + L"," + std::to_wstring(spot.y) +
                       L" could not be removed");
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

bool RunOne(const BatchArguments& args, const std::wstring& input, const std::wstring& output)
{
    if (!theApp.SetEditImageFile(input.c_str())) return false;  // the message was printed
    const bool saved = RemoveSpots(args.spots) && ApplyTransforms(args.transforms) && Save(args, output);
    theApp.EndEditImageFile();
    if (saved) std::printf("%s -> %s\n", WideToFileName(input).c_str(), WideToFileName(output).c_str());
    return saved;
}

std::wstring OutputFor(const BatchArguments& args, const std::wstring& input)
{
    if (args.output) return *args.output;
    const std::size_t slash = input.find_last_of(L'/');
    return *args.outputFolder + (slash == std::wstring::npos ? input : input.substr(slash + 1));
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
    int failures = 0;
    for (const std::wstring& input : args.inputs) failures += RunOne(args, input, OutputFor(args, input)) ? 0 : 1;
    return failures == 0 ? 0 : 1;
}

} // namespace CorvaneBatch
