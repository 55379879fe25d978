// Operators that change the image's geometry: cut, rotate, flip, resize, crop.
#include <cstring>

#include "operations/AdjustmentParams.h"
#include "operations/OperatorFrame.h"
#include "operations/Operators.h"
#include "operations/OptGuids.h"
#include "operations/OptParam_Flip.h"
#include "operations/OptParam_Rotate.h"

using OperationManage::Operation;
using namespace OperatorFrame;

namespace {

// Replaces the snapshot's image with the one a geometry function produced.
void TakeOver(ImageData& data, std::vector<unsigned char>& pixels, const BITMAPINFO& header)
{
    data.m_Header = header;
    data.m_Pixels.swap(pixels);
}

bool QuarterTurn(ImageData& data, bool clockwise, const wchar_t* function)
{
    const int mode = clockwise ? ImageProcess::FIXROTATE_CLOCKWISE : ImageProcess::FIXROTATE_COUNTERCLOCKWISE;
    return Succeeded(ImageProcess::FixRotate(data.m_Pixels, data.m_Header, mode, nullptr), function,
                     L"Failed to execute ImageProcess::FixRotate.");
}

} // namespace

namespace Operator_Cut {
bool Process(Operation& operation)
{
    constexpr const wchar_t* kFunction = L"Operator_Cut::Process";
    ImageData* data = CheckData(operation, OPTGUID_CUT, kFunction);
    if (!data) return false;
    if (operation.m_pParam) return Fail(kFunction, L"Invalid Argument.");
    return Succeeded(
        ImageProcess::FillColor(data->m_Pixels, data->m_Header, MakeRegion(*data), RGB(150, 150, 150), nullptr, true),
        kFunction, L"Failed to call ImageProcess::FillColor.");
}
} // namespace Operator_Cut

namespace Operator_Rotate {
bool Process(Operation& operation)
{
    constexpr const wchar_t* kFunction = L"Operator_Rotate::Process";
    const auto [data, param] = CheckRecords<OptParam_Rotate>(operation, OPTGUID_ROTATE, kFunction);
    if (!param) return false;
    switch (param->m_nMode) {
    case OptParam_Rotate::ROTATE_90:
        return QuarterTurn(*data, param->m_bClockwise, kFunction);
    case OptParam_Rotate::ROTATE_180:
        // A half turn is two exact quarter turns.
        return QuarterTurn(*data, true, kFunction) && QuarterTurn(*data, true, kFunction);
    case OptParam_Rotate::ROTATE_FREE: {
        std::vector<unsigned char> pixels;
        BITMAPINFO header{};
        if (!ImageProcess::FreeRotate(data->m_Pixels, data->m_Header, pixels, header,
                                      static_cast<double>(param->m_fAngle), param->m_crFillColor, nullptr))
            return Fail(kFunction, L"Failed to execute ImageProcess::FreeRotate.");
        TakeOver(*data, pixels, header);
        return true;
    }
    default:
        WriteLog(LOG_LEVEL_ERROR, L"CorvaneLoader", kFunction, L"Invalid RotateMode: %d.", param->m_nMode);
        return false;
    }
}
} // namespace Operator_Rotate

namespace Operator_Flip {
bool Process(Operation& operation)
{
    constexpr const wchar_t* kFunction = L"Operator_Flip::Process";
    const auto [data, param] = CheckRecords<OptParam_Flip>(operation, OPTGUID_FLIP, kFunction);
    if (!param) return false;
    return ImageProcess::Flip(data->m_Pixels, data->m_Header, param->m_bVertical, nullptr);
}
} // namespace Operator_Flip

namespace Operator_Resize {
bool Process(Operation& operation)
{
    constexpr const wchar_t* kFunction = L"Operator_Resize::Process";
    const auto [data, param] = CheckRecords<OptParam_Resize>(operation, OPTGUID_RESIZE, kFunction);
    if (!param) return false;
    std::vector<unsigned char> pixels;
    BITMAPINFO header{};
    if (!ImageProcess::Resize(data->m_Pixels, data->m_Header, pixels, header, param->m_nWidth, param->m_nHeight,
                              param->m_Algorithm, nullptr))
        return false;
    TakeOver(*data, pixels, header);
    return true;
}
} // namespace Operator_Resize

namespace Operator_Crop {
bool Process(Operation& operation)
{
    constexpr const wchar_t* kFunction = L"Operator_Crop::Process";
    const auto [data, param] = CheckRecords<OptParam_Crop>(operation, OPTGUID_CROP, kFunction);
    if (!param) return false;
    // Cutting needs a selection to cut to; filling alone works on the whole image.
    if (param->m_bCrop && !(data->m_pRegion && data->m_pRegion->HasRegion())) return false;
    const ImageProcess::PROCESS_REGION region = MakeRegion(*data);
    if (!ImageProcess::FillColor(data->m_Pixels, data->m_Header, region, param->m_crFillColor, nullptr, true))
        return Fail(kFunction, L"Failed to call ImageProcess::FillColor.");
    if (!param->m_bCrop) return true;
    std::vector<unsigned char> pixels;
    BITMAPINFO header{};
    if (!ImageProcess::Crop(data->m_Pixels, data->m_Header, pixels, header, region, nullptr))
        return Fail(kFunction, L"Failed to call ImageProcess::Crop.");
    // The selection was drawn on the old canvas; it means nothing on the new one.
    if (std::memcmp(&header, &data->m_Header, sizeof(BITMAPINFO)) != 0) data->m_pRegion.reset();
    TakeOver(*data, pixels, header);
    return true;
}
} // namespace Operator_Crop
