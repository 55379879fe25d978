// Operators of the retouching tools (spot remover and its healing stroke,
// red-eye, clone stamp, dodge and burn) and the dispatch table of every
// operator.
#include <atomic>
#include <cstdlib>
#include <cstring>

#include "operations/OperatorFrame.h"
#include "operations/Operators.h"
#include "operations/OptGuids.h"
#include "operations/OptParam_HealingStroke.h"
#include "operations/OptParam_RedeyeReduction.h"
#include "operations/OptParam_SpotRemoval.h"

using OperationManage::Operation;
using namespace OperatorFrame;

namespace {

std::atomic<BrushBitmapSource> g_brushSource{nullptr};

// A picture of another shape can hold as many bytes as the snapshot (a
// quarter turn of 8x4 is 4x8), so the size alone does not tell it apart.
bool SameLayout(const BITMAPINFOHEADER& painted, const BITMAPINFOHEADER& snapshot, size_t bytes)
{
    return painted.biSizeImage == bytes && painted.biWidth == snapshot.biWidth &&
           std::abs(painted.biHeight) == std::abs(snapshot.biHeight) && painted.biBitCount == snapshot.biBitCount;
}

// Copies the brush tool's finished picture over the snapshot's pixels. The
// tool painted on a copy of the very image the operation started from, so
// only a picture of exactly the snapshot's size is taken; the header stays.
bool TakeBrushPicture(Operation& operation, const OperationManage::OPTGUID& kind, int toolIndex,
                      const wchar_t* function, const wchar_t* failure)
{
    ImageData* data = CheckData(operation, kind, function);
    if (!data) return false;
    BITMAPINFO header{};
    const BrushBitmapSource source = g_brushSource.load();
    const unsigned char* bits = source ? source(toolIndex, header) : nullptr;
    if (!bits || !SameLayout(header.bmiHeader, data->m_Header.bmiHeader, data->m_Pixels.size()))
        return Fail(function, failure);
    std::memcpy(data->m_Pixels.data(), bits, data->m_Pixels.size());
    return true;
}

} // namespace

void SetBrushBitmapSource(BrushBitmapSource source) { g_brushSource.store(source); }

namespace Operator_SpotRemoval {
bool Process(Operation& operation)
{
    constexpr const wchar_t* kFunction = L"Operator_SpotRemoval::Process";
    const auto [data, param] = CheckRecords<OptParam_SpotRemoval>(operation, OPTGUID_SPOTREMOVAL, kFunction);
    if (!param) return false;
    // The corner of the square may lie outside the image.
    const RECT square = param->GetSquare();
    const POINT corner{square.left, square.top};
    return Succeeded(ImageProcess::RemoveSpot(data->m_Pixels, data->m_Header, square.right - square.left, corner, 0.8f,
                                              nullptr),
                     kFunction, L"Failed to execute ImageProcess::RemoveSpot.");
}
} // namespace Operator_SpotRemoval

namespace Operator_HealingStroke {
bool Process(Operation& operation)
{
    constexpr const wchar_t* kFunction = L"Operator_HealingStroke::Process";
    const auto [data, param] = CheckRecords<OptParam_HealingStroke>(operation, OPTGUID_HEALINGSTROKE, kFunction);
    if (!param) return false;
    // The stroke is as wide as a spot of its size: the odd 2 (size / 2) + 1.
    const int half = param->m_nSpotSize / 2;
    return Succeeded(ImageProcess::HealStroke(data->m_Pixels, data->m_Header, 2 * half + 1, param->m_Path, 0.8f, nullptr),
                     kFunction, L"Failed to execute ImageProcess::HealStroke.");
}
} // namespace Operator_HealingStroke

namespace Operator_RedeyeReduction {
bool Process(Operation& operation)
{
    constexpr const wchar_t* kFunction = L"Operator_RedeyeReduction::Process";
    // The red-eye operator logs no parameter text.
    const auto [data, param] =
        CheckRecords<OptParam_RedeyeReduction>(operation, OPTGUID_REDEYEREDUCTION, kFunction, ParamLog::Silent);
    if (!param) return false;
    const float amount = static_cast<float>(param->m_nDarkenAmount) / 100.0f;
    return Succeeded(ImageProcess::RedeyeReduct(data->m_Pixels, data->m_Header, param->m_rcRect, amount, nullptr),
                     kFunction, L"Failed to execute ImageProcess::RedeyeReduct.");
}
} // namespace Operator_RedeyeReduction

namespace Operator_CloneStamp {
bool Process(Operation& operation)
{
    return TakeBrushPicture(operation, OPTGUID_CLONESTAMP, 2, L"Operator_CloneStamp::Process",
                            L"Failed to get image from CloneStamp-Tool.");
}
} // namespace Operator_CloneStamp

namespace Operator_DodgeBurn {
bool Process(Operation& operation)
{
    return TakeBrushPicture(operation, OPTGUID_DODGEBURN, 3, L"Operator_DodgeBurn::Process",
                            L"Failed to get image from DodgeBurn-Tool.");
}
} // namespace Operator_DodgeBurn

bool RunOperator(Operation& operation)
{
    struct Entry {
        const OperationManage::OPTGUID* kind;
        bool (*process)(Operation&);
    };
    static const Entry kTable[] = {
        {&OPTGUID_CUT, &Operator_Cut::Process},
        {&OPTGUID_ROTATE, &Operator_Rotate::Process},
        {&OPTGUID_FLIP, &Operator_Flip::Process},
        {&OPTGUID_RESIZE, &Operator_Resize::Process},
        {&OPTGUID_CROP, &Operator_Crop::Process},
        {&OPTGUID_BRIGHTNESSCONTRAST, &Operator_BrightnessContrast::Process},
        {&OPTGUID_RGBCOLOR, &Operator_RGBColor::Process},
        {&OPTGUID_HSV, &Operator_HSV::Process},
        {&OPTGUID_HISTOGRAM, &Operator_Histogram::Process},
        {&OPTGUID_CURVE, &Operator_Curve::Process},
        {&OPTGUID_WHITEBALANCE, &Operator_WhiteBalance::Process},
        {&OPTGUID_NEGATIVE, &Operator_Negative::Process},
        {&OPTGUID_DECOLOR, &Operator_Decolor::Process},
        {&OPTGUID_INVERSEHUE, &Operator_InverseHue::Process},
        {&OPTGUID_GAUSSBLUR, &Operator_GaussBlur::Process},
        {&OPTGUID_SIMPLESHARPEN, &Operator_SimpleSharpen::Process},
        {&OPTGUID_USMSHARPEN, &Operator_USMSharpen::Process},
        {&OPTGUID_CLONESTAMP, &Operator_CloneStamp::Process},
        {&OPTGUID_DODGEBURN, &Operator_DodgeBurn::Process},
        {&OPTGUID_SPOTREMOVAL, &Operator_SpotRemoval::Process},
        {&OPTGUID_REDEYEREDUCTION, &Operator_RedeyeReduction::Process},
        {&OPTGUID_HEALINGSTROKE, &Operator_HealingStroke::Process},
    };
    for (const Entry& entry : kTable) {
        if (OperationManage::IsOptGuidEqual(operation.m_Kind, *entry.kind)) return entry.process(operation) == true;
    }
    return false;
}
