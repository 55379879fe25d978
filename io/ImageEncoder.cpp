#include "io/ImageEncoder.h"

#include "io/AtomicFileWriter.h"
#include "io/BmpCodec.h"
#include "io/PngEncoder.h"
#include "io/TiffCodec.h"
#include "platform/TextConvert.h"

namespace Carrow::FileIO {

namespace {

constexpr LONG kDefaultJpegQuality = 75;

// Reads the one long value of parameter `guid`; InvalidParameter when it is
// there but malformed, Ok with `value` untouched when it is absent.
Status FindLongParameter(const std::vector<EncoderParameter>& parameters, const GUID& guid, LONG& value)
{
    for (const EncoderParameter& parameter : parameters) {
        if (!(parameter.Guid == guid)) continue;
        if (parameter.NumberOfValues != 1 || parameter.Type != EncoderParameterValueTypeLong || !parameter.Value)
            return Status::InvalidParameter;
        value = *static_cast<const LONG*>(parameter.Value);
    }
    return Status::Ok;
}

Status EncodeTiffInto(const DibView& view, LONG compression, ByteSink& sink)
{
    PixelBuffer bytes;
    const Status status = EncodeTiff(view, compression, bytes);
    if (status != Status::Ok) return status;
    return sink.WriteBuffer(std::move(bytes)) ? Status::Ok : Status::Win32Error;
}

} // namespace

bool ImageEncoder::IsValidView(const DibView& view)
{
    return view.bits && view.width > 0 && view.height > 0 && IsAcceptedPixelFormat(view.pixelFormat) &&
           view.stride >= DibStride(view.width, PixelFormatBits(view.pixelFormat));
}

Status ImageEncoder::Encode(const DibView& view, const GUID& clsid, const std::vector<EncoderParameter>& parameters,
                            const EmbeddedMetadata& embedded, ByteSink& sink)
{
    if (!IsValidView(view)) return Status::InvalidParameter;
    if (clsid == EncoderClsidBMP) return EncodeBmp(view, sink);
    if (clsid == EncoderClsidPNG) return EncodePng(view, embedded.pngIccProfile, sink);
    if (clsid == EncoderClsidJPEG) {
        LONG quality = kDefaultJpegQuality;
        const Status status = FindLongParameter(parameters, EncoderQuality, quality);
        return status == Status::Ok ? EncodeJpeg(view, quality, embedded.jpegMarkers, sink) : status;
    }
    if (clsid == EncoderClsidTIFF) {
        LONG compression = EncoderValueCompressionLZW;
        const Status status = FindLongParameter(parameters, EncoderCompression, compression);
        return status == Status::Ok ? EncodeTiffInto(view, compression, sink) : status;
    }
    return Status::UnknownImageFormat;
}

int SaveBitmapToFile(const void* bits, const BITMAPINFO& info, const wchar_t* path, const GUID& encoderClsid,
                     int pixelFormat)
{
    const BITMAPINFOHEADER& h = info.bmiHeader;
    if (!bits || !path || h.biHeight <= 0) return static_cast<int>(Status::InvalidParameter);
    if (pixelFormat == 0) pixelFormat = h.biBitCount == 24 ? PixelFormat24bppRGB : PixelFormat32bppRGB;
    if (PixelFormatBits(pixelFormat) != h.biBitCount) return static_cast<int>(Status::InvalidParameter);
    DibView view{static_cast<const BYTE*>(bits), h.biWidth,       h.biHeight, h.biSizeImage / static_cast<DWORD>(h.biHeight),
                 pixelFormat, h.biXPelsPerMeter, h.biYPelsPerMeter};
    if (!ImageEncoder::IsValidView(view)) return static_cast<int>(Status::InvalidParameter);

    AtomicFileWriter writer(WideToFileName(path));
    if (!writer.Open()) return static_cast<int>(Status::Win32Error);
    const Status status = ImageEncoder::Encode(view, encoderClsid, {}, {}, writer);
    if (status != Status::Ok) return static_cast<int>(status);
    return static_cast<int>(writer.Commit() ? Status::Ok : Status::Win32Error);
}

} // namespace Carrow::FileIO
