// Operators of the colour adjustments and filters. None of them has a command
// in the program; each makes one or two calls into the image-processing
// library on the snapshot's image, inside the snapshot's selection.
#include "operations/AdjustmentParams.h"
#include "operations/OperatorFrame.h"
#include "operations/Operators.h"
#include "operations/OptGuids.h"

using OperationManage::Operation;
using namespace OperatorFrame;

namespace Operator_BrightnessContrast {
bool Process(Operation& operation)
{
    constexpr const wchar_t* kFunction = L"Operator_BrightnessContrast::Process";
    const auto [data, param] =
        CheckRecords<OptParam_BrightnessContrast>(operation, OPTGUID_BRIGHTNESSCONTRAST, kFunction);
    if (!param) return false;
    const auto region = MakeRegion(*data);
    if (!ImageProcess::AdjustBrightness(data->m_Pixels, data->m_Header, region, param->m_nBrightness, nullptr, true))
        return Fail(kFunction, L"Failed to adjust brightness.");
    return Succeeded(
        ImageProcess::AdjustContrast(data->m_Pixels, data->m_Header, region, param->m_nContrast, nullptr, true),
        kFunction, L"Failed to adjust contrast.");
}
} // namespace Operator_BrightnessContrast

namespace Operator_RGBColor {
bool Process(Operation& operation)
{
    constexpr const wchar_t* kFunction = L"Operator_RGBColor::Process";
    const auto [data, param] = CheckRecords<OptParam_RGBColor>(operation, OPTGUID_RGBCOLOR, kFunction);
    if (!param) return false;
    const auto region = MakeRegion(*data);
    struct Channel { int bit; int level; const wchar_t* failure; };
    const Channel channels[] = {
        {1, param->m_nRed, L"Failed to adjust color level of 'Red' channel."},
        {2, param->m_nGreen, L"Failed to adjust color level of 'Green' channel."},
        {4, param->m_nBlue, L"Failed to adjust color level of 'Blue' channel."},
    };
    // Each channel is tried on its own; a failing one is logged and the
    // others still apply, so the operation as a whole succeeds.
    for (const Channel& c : channels) {
        if (!ImageProcess::AdjustChannelLevel(data->m_Pixels, data->m_Header, region, c.bit, c.level, nullptr, true))
            Fail(kFunction, c.failure);
    }
    return true;
}
} // namespace Operator_RGBColor

namespace Operator_HSV {
bool Process(Operation& operation)
{
    constexpr const wchar_t* kFunction = L"Operator_HSV::Process";
    const auto [data, param] = CheckRecords<OptParam_HSV>(operation, OPTGUID_HSV, kFunction);
    if (!param) return false;
    return Succeeded(ImageProcess::AdjustHSV(data->m_Pixels, data->m_Header, MakeRegion(*data), param->m_dHue,
                                             param->m_dSaturation, param->m_dValue, nullptr, true),
                     kFunction, L"Failed to adjust HSV.");
}
} // namespace Operator_HSV

namespace Operator_Histogram {
bool Process(Operation& operation)
{
    constexpr const wchar_t* kFunction = L"Operator_Histogram::Process";
    const auto [data, param] = CheckRecords<OptParam_Histogram>(operation, OPTGUID_HISTOGRAM, kFunction);
    if (!param) return false;
    return Succeeded(ImageProcess::AdjustHistogram(data->m_Pixels, data->m_Header, MakeRegion(*data),
                                                   param->m_Histogram, param->m_Params.data(), nullptr, true),
                     kFunction, L"Failed to adjust Histogram.");
}
} // namespace Operator_Histogram

namespace Operator_Curve {
bool Process(Operation& operation)
{
    constexpr const wchar_t* kFunction = L"Operator_Curve::Process";
    const auto [data, param] = CheckRecords<OptParam_Curve>(operation, OPTGUID_CURVE, kFunction);
    if (!param) return false;
    const unsigned char* curves[4] = {param->m_Curves[0].data(), param->m_Curves[1].data(),
                                      param->m_Curves[2].data(), param->m_Curves[3].data()};
    return Succeeded(
        ImageProcess::AdjustCurve(data->m_Pixels, data->m_Header, MakeRegion(*data), curves, nullptr, true),
        kFunction, L"Failed to adjust Curve.");
}
} // namespace Operator_Curve

namespace Operator_WhiteBalance {
bool Process(Operation& operation)
{
    constexpr const wchar_t* kFunction = L"Operator_WhiteBalance::Process";
    const auto [data, param] = CheckRecords<OptParam_WhiteBalance>(operation, OPTGUID_WHITEBALANCE, kFunction);
    if (!param) return false;
    const COLORREF reference = param->m_crReference;
    const DWORD mean = (GetRValue(reference) + GetGValue(reference) + GetBValue(reference)) / 3;
    const COLORREF grey = mean * 0x010101;
    return Succeeded(
        ImageProcess::ColorCorrect(data->m_Pixels, data->m_Header, MakeRegion(*data), grey, reference, nullptr, true),
        kFunction, L"Failed to execute color-correction.");
}
} // namespace Operator_WhiteBalance

namespace Operator_Negative {
bool Process(Operation& operation)
{
    ImageData* data = CheckDataNoParam(operation, OPTGUID_NEGATIVE, L"Operator_Negative::Process");
    return data && ImageProcess::ReverseColor(data->m_Pixels, data->m_Header, MakeRegion(*data), nullptr, true);
}
} // namespace Operator_Negative

namespace Operator_Decolor {
bool Process(Operation& operation)
{
    ImageData* data = CheckDataNoParam(operation, OPTGUID_DECOLOR, L"Operator_Decolor::Process");
    return data && ImageProcess::Decolor(data->m_Pixels, data->m_Header, MakeRegion(*data), nullptr, true);
}
} // namespace Operator_Decolor

namespace Operator_InverseHue {
bool Process(Operation& operation)
{
    ImageData* data = CheckDataNoParam(operation, OPTGUID_INVERSEHUE, L"Operator_InverseHue::Process");
    return data &&
           ImageProcess::AdjustHSV(data->m_Pixels, data->m_Header, MakeRegion(*data), 180.0, 0.0, 0.0, nullptr, true);
}
} // namespace Operator_InverseHue

namespace Operator_GaussBlur {
bool Process(Operation& operation)
{
    constexpr const wchar_t* kFunction = L"Operator_GaussBlur::Process";
    const auto [data, param] = CheckRecords<OptParam_GaussBlur>(operation, OPTGUID_GAUSSBLUR, kFunction);
    if (!param) return false;
    return Succeeded(
        ImageProcess::GaussBlur(data->m_Pixels, data->m_Header, MakeRegion(*data), param->m_dRadius, nullptr, true),
        kFunction, L"Failed to execute gausian-blur.");
}
} // namespace Operator_GaussBlur

namespace Operator_SimpleSharpen {
bool Process(Operation& operation)
{
    ImageData* data = CheckDataNoParam(operation, OPTGUID_SIMPLESHARPEN, L"Operator_SimpleSharpen::Process");
    return data && ImageProcess::SimpleSharpen(data->m_Pixels, data->m_Header, MakeRegion(*data), nullptr, true);
}
} // namespace Operator_SimpleSharpen

namespace Operator_USMSharpen {
bool Process(Operation& operation)
{
    const auto [data, param] =
        CheckRecords<OptParam_USMSharpen>(operation, OPTGUID_USMSHARPEN, L"Operator_USMSharpen::Process");
    if (!param) return false;
    return ImageProcess::USMSharpen(data->m_Pixels, data->m_Header, MakeRegion(*data), param->m_nAmount,
                                    param->m_dRadius, param->m_nThreshold, nullptr, true);
}
} // namespace Operator_USMSharpen
