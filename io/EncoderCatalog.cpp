#include "io/EncoderCatalog.h"

#include <QImageWriter>
#include <cwchar>

#include "Tracewell/Log.h"

namespace Carrow::FileIO {

namespace {

struct FormatEntry {
    GUID format;
    const wchar_t* mimeType;
};

constexpr FormatEntry kFormatTable[] = {
    {ImageFormatBMP, L"image/bmp"},
    {ImageFormatJPEG, L"image/jpeg"},
    {ImageFormatPNG, L"image/png"},
    {ImageFormatTIFF, L"image/tiff"},
};

std::vector<ImageEncoderInfo> BuildEncoderList()
{
    std::vector<ImageEncoderInfo> encoders;
    encoders.push_back({EncoderClsidBMP, ImageFormatBMP, L"image/bmp", {}});
    encoders.push_back({EncoderClsidJPEG, ImageFormatJPEG, L"image/jpeg", {EncoderQuality}});
    encoders.push_back({EncoderClsidTIFF, ImageFormatTIFF, L"image/tiff", {EncoderCompression}});
    // PNG goes through Qt's image writer, which a stripped Qt may lack.
    if (QImageWriter::supportedImageFormats().contains("png"))
        encoders.push_back({EncoderClsidPNG, ImageFormatPNG, L"image/png", {}});
    return encoders;
}

} // namespace

const std::vector<ImageEncoderInfo>& EncoderCatalog::Encoders()
{
    static const std::vector<ImageEncoderInfo> encoders = BuildEncoderList();
    return encoders;
}

const wchar_t* EncoderCatalog::MimeTypeOfFormat(const GUID& format)
{
    for (const FormatEntry& entry : kFormatTable) {
        if (entry.format == format) return entry.mimeType;
    }
    return nullptr;
}

std::vector<GUID> EncoderCatalog::SupportedParameters(const GUID& clsid)
{
    if (clsid == GUID_NULL) return {};
    for (const ImageEncoderInfo& encoder : Encoders()) {
        if (encoder.Clsid == clsid) return encoder.Parameters;
    }
    return {};
}

int GetEncoderClsidFromFormat(const GUID& format, GUID& clsid)
{
    static const wchar_t kFunction[] = L"FileIO::ImageFile::GetEncoderClsidFromFormat";
    const wchar_t* mimeType = EncoderCatalog::MimeTypeOfFormat(format);
    if (!mimeType) {
        WriteLog(LOG_LEVEL_ERROR, L"Carrow", kFunction, L"Format not supported.");
        return 0;
    }
    for (const ImageEncoderInfo& encoder : EncoderCatalog::Encoders()) {
        if (std::wcscmp(encoder.MimeType, mimeType) == 0) {
            clsid = encoder.Clsid;
            return 1;
        }
    }
    WriteLog(LOG_LEVEL_ERROR, L"Carrow", kFunction, L"Encoder not found.");
    return 0;
}

} // namespace Carrow::FileIO
